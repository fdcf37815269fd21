#include <window/testing/TestEnvironment.h>

#include <window/Clock.h>
#include <window/MessageQueue.h>
#include <window/Messages.h>
#include <window/Shell.h>
#include <window/Types.h>
#include <window/testing/ModalScript.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QStyleFactory>
#include <QTimer>
#include <QWidget>

// Read by LeakSanitizer when the tests are built with it; an unused symbol
// otherwise. Every window test links it through this file. The font
// configuration library keeps a cache it never frees.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace win::testing {

QApplication &Application()
{
    static int argc = 1;
    static char name[] = "dialwerk-test";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: windows and queues of the tests may outlive any scope.
    // The Windows style draws with lines and fills; the default style scales
    // cached pixmaps on Qt's image thread pool, whose hand-offs ThreadSanitizer
    // cannot see (Qt is not instrumented) and reports as races.
    static QApplication *application = [] {
        auto *created = new QApplication(argc, argv);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
        return created;
    }();
    MessageQueue::Instance().AttachUiThread();
    return *application;
}

void ResetPlatform(std::uint32_t startTick)
{
    Application();
    auto &queue = MessageQueue::Instance();
    queue.CancelQuit();
    queue.Reopen();
    Clock::SetManual(startTick);
    ClearModalBodies();
    SetMessageBoxHook([](const MessageBoxRequest &request) {
        qWarning("unexpected message box: %s", qPrintable(request.text));
        return (request.type & MB_BUTTONMASK) == MB_YESNO ? IDNO : IDOK;
    });
    SetOpenAddressHook([](const QString &address) {
        qWarning("unexpected attempt to open %s", qPrintable(address));
        return false;
    });
    SetCtrlKeyHook([] { return false; });
}

bool PumpUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    QTimer slice;
    slice.setInterval(5);
    slice.start();
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        // Blocks until something arrives: a message, a window event, or the
        // next slice, so a condition set by another thread is seen within 5 ms.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        PumpMessages();
    }
    return true;
}

QString SaveScreenshot(QWidget &widget, const QString &name)
{
    const QString base = qEnvironmentVariableIsEmpty("DIALWERK_BUILD_DIR")
                             ? QStringLiteral(DIALWERK_DEFAULT_BUILD_DIR)
                             : qEnvironmentVariable("DIALWERK_BUILD_DIR");
    QDir folder(base);
    if (!folder.mkpath(QStringLiteral("screenshots")))
        return {};
    const QString path = folder.filePath(QStringLiteral("screenshots/%1.png").arg(name));
    return widget.grab().save(path, "PNG") ? path : QString();
}

} // namespace win::testing
