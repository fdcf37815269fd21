// What the tests of the main window's commands share: a line opened through
// the window, calls set up through the exchange, the recorder read by function,
// modal dialogs played by type, and a pretend Ctrl key.
#pragma once

#include "MainWindowFixture.h"

#include <resources/resource.h>
#include <window/Dialog.h>
#include <window/testing/ModalScript.h>

#include <exchange/CallRecorder.h>

#include <QString>

#include <functional>
#include <optional>
#include <string>

class CommandsTest : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Starts the dialer and opens a line through the window; true when open.
    bool StartWithLine(const QString &name = QStringLiteral("Extension 201"));
    /// Types the number and presses "Ma&ke Call"; true once the window shows the
    /// new call in a state starting with `state`.
    bool MakeCall(const QString &number, const QString &state);
    /// A call from outside rings at line 0; true once the window shows it offering.
    bool IncomingOffering(exchange::LegId *leg = nullptr);
    /// An outgoing call to the quick-answering external number, connected.
    bool ConnectedCall();
    /// Two answered calls to outside on line 0; the first goes on hold when
    /// the second is made. True once the calls' objects show both states.
    bool TwoCalls(HCALL &first, HCALL &second);

    /// The status line.
    QString Status() const { return Text(IDC_STATUS); }
    /// The last recorded call of a TAPI function, failing the test when there is none.
    exchange::RecordedCall Last(const std::string &function) const;
    std::size_t Count(const std::string &function) const { return Recorder().count(function); }
    /// The handle the exchange gave this application for the window's current call.
    HCALL CurrentHandle() const;

    /// Holds Ctrl down (or lets it go) for the window, as the keyboard would.
    void HoldCtrl(bool down);

private:
    bool ctrlDown_ = false;
};

/// Plays the next modal dialog, which must be of type `Dlg`; `user` ends it.
template <class Dlg> void OnNextDialog(std::function<void(Dlg &)> user)
{
    win::testing::OnNextModal([user = std::move(user)](win::Dialog &shown) {
        auto *dialog = dynamic_cast<Dlg *>(&shown);
        if (!dialog) {
            ADD_FAILURE() << "another dialog opened: " << shown.windowTitle().toStdString();
            shown.EndDialog(win::IDCANCEL);
            return;
        }
        user(*dialog);
    });
}
