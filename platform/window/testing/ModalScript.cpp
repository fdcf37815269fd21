#include <window/testing/ModalScript.h>

#include <window/Dialog.h>

#include <deque>

namespace win::testing {

namespace {

// User-interface thread only, like the dialogs the bodies drive.
std::deque<std::function<void(Dialog &)>> bodies;
std::size_t unscripted = 0;

void RunNextBody(Dialog &dialog)
{
    if (bodies.empty()) {
        ++unscripted;
        qWarning("unscripted modal dialog \"%s\" ended with IDCANCEL", qPrintable(dialog.windowTitle()));
        dialog.EndDialog(IDCANCEL);
        return;
    }
    auto body = std::move(bodies.front());
    bodies.pop_front();
    body(dialog);
}

void InstallObserver()
{
    static bool installed = false;
    if (!installed)
        Dialog::SetModalObserver(RunNextBody);
    installed = true;
}

} // namespace

void OnNextModal(std::function<void(Dialog &)> body)
{
    InstallObserver();
    bodies.push_back(std::move(body));
}

std::size_t PendingModalBodies()
{
    return bodies.size();
}

std::size_t UnscriptedModalRuns()
{
    return unscripted;
}

void ClearModalBodies()
{
    InstallObserver();
    bodies.clear();
    unscripted = 0;
}

} // namespace win::testing
