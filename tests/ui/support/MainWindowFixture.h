// Window tests of the dialer over the simulated exchange: the real main
// window, the application's own line, call and phone classes, a manual clock
// for the exchange (which also stamps the calls' state times) and for the
// window platform's timers, and helpers that play the user and the far end.
#pragma once

#include <ui/main/PhoneDlg.h>

#include <exchange/Exchange.h>

#include <gtest/gtest.h>

#include <QString>

#include <functional>
#include <memory>
#include <string>

class CTapiCall;
class CTapiLine;

class MainWindowTest : public ::testing::Test {
protected:
    /// Resets the window platform (manual tick at 0, message boxes answered
    /// without showing) and the exchange (`Topology()`, manual clock, no faults,
    /// empty recorder); the windows' wall clock follows the exchange's.
    void SetUp() override;
    /// Destroys the main window, shuts the session down and removes the hooks.
    void TearDown() override;

    /// The exchange SetUp builds; the standard one (extensions 201 and 202)
    /// unless a fixture overrides it.
    virtual exchange::Topology Topology() const;

    /// Starts the TAPI session as the dialer does; true when it started.
    bool StartSession();
    /// Creates the main window modelessly with a preferred line device name and
    /// returns it once it is shown (the device list is filled, a preferred line opened).
    CPhoneDlg &ShowWindow(const QString &preferredLine = {});
    /// Both of the above.
    CPhoneDlg &Start(const QString &preferredLine = {});
    CPhoneDlg &Window() const { return *window_; }
    /// Destroys the window now (TearDown does it otherwise).
    void CloseWindow();

    // ---- Playing the user ----
    /// Chooses a device by its name in the device list.
    bool SelectDevice(const QString &name);
    /// Chooses the device and presses the session button; true once the line is open.
    bool OpenLine(const QString &name);
    /// Types a number into "Phone #:".
    bool TypeNumber(const QString &number);
    bool Click(int id);

    // ---- Reading the window ----
    QString Text(int id) const;
    bool Enabled(int id) const;
    bool Checked(int id) const;
    /// Pumps messages until `condition` holds (10 s of real time at most).
    static bool WaitFor(const std::function<bool()> &condition);

    // ---- The exchange and time ----
    exchange::Exchange &Exchange() const;
    exchange::CallRecorder &Recorder() const { return Exchange().recorder(); }
    exchange::FaultTable &Faults() const { return Exchange().faults(); }
    /// A call from outside rings at a line's address 0; returns its leg.
    exchange::LegId IncomingCall(DWORD line, const std::u16string &number, const std::u16string &name);
    /// Moves the exchange clock on (far ends answer, state times grow) and waits until it is idle.
    void AdvanceExchange(int milliseconds) const;
    /// Moves the window platform's clock on, firing the window timers that fall due.
    static void AdvanceTicks(std::uint32_t milliseconds);

    /// The session's line object of a device id.
    static CTapiLine *Line(DWORD id);
    /// The current call of the main window, or null.
    CTapiCall *CurrentCall() const;
    /// Waits until the main window shows a call whose state text starts with `state`.
    bool WaitForCallState(const QString &state);

private:
    std::unique_ptr<CPhoneDlg> window_;
};
