#include "MainWindowFixture.h"

#include <app/CMainApp.h>
#include <app/CallTime.h>
#include <resources/resource.h>
#include <window/Clock.h>
#include <window/testing/TestEnvironment.h>
#include <window/testing/UserInput.h>

#include <tapi32/Runtime.h>

#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "TapiPump.h"

#include <chrono>

void MainWindowTest::SetUp()
{
    win::testing::ResetPlatform();
    ASSERT_TRUE(tapi32::Runtime::instance().resetExchange(Topology(), std::make_unique<exchange::ManualClock>()))
        << "a TAPI application from an earlier test is still initialised";
    Faults().clear();
    Recorder().clear();
    SetWallClockSource([] { return tapi32::Runtime::instance().exchange().clock().wallTime(); });
}

void MainWindowTest::TearDown()
{
    CloseWindow();
    GetTapiConnection()->Shutdown();
    SetTapiMessagePump(nullptr);
    SetWallClockSource({});
    GetMainApp().SetMainWindowHandle(win::WindowHandle::Null);
    Faults().clear();
}

exchange::Topology MainWindowTest::Topology() const
{
    return exchange::Topology::standard();
}

bool MainWindowTest::StartSession()
{
    return GetMainApp().StartSession() == 0;
}

CPhoneDlg &MainWindowTest::ShowWindow(const QString &preferredLine)
{
    window_ = std::make_unique<CPhoneDlg>(preferredLine);
    GetMainApp().SetMainWnd(window_.get());
    EXPECT_TRUE(window_->Create());
    return *window_;
}

CPhoneDlg &MainWindowTest::Start(const QString &preferredLine)
{
    EXPECT_TRUE(StartSession());
    return ShowWindow(preferredLine);
}

void MainWindowTest::CloseWindow()
{
    if (!window_)
        return;
    window_->DestroyWindow();
    window_.reset();
}

bool MainWindowTest::SelectDevice(const QString &name)
{
    return win::testing::ChooseItem(Window(), IDC_DEVICE, name);
}

bool MainWindowTest::OpenLine(const QString &name)
{
    if (!SelectDevice(name) || !Click(IDC_SESSION))
        return false;
    CTapiLine *line = Window().GetSelectedLine();
    return line && line->IsOpen();
}

bool MainWindowTest::TypeNumber(const QString &number)
{
    return win::testing::TypeText(Window(), IDC_NUMBER, number);
}

bool MainWindowTest::Click(int id)
{
    return win::testing::Click(Window(), id);
}

QString MainWindowTest::Text(int id) const
{
    return Window().GetDlgItemText(id);
}

bool MainWindowTest::Enabled(int id) const
{
    return Window().IsDlgItemEnabled(id);
}

bool MainWindowTest::Checked(int id) const
{
    return Window().IsDlgButtonChecked(id) != 0;
}

bool MainWindowTest::WaitFor(const std::function<bool()> &condition)
{
    return win::testing::PumpUntil(condition, std::chrono::seconds(10));
}

exchange::Exchange &MainWindowTest::Exchange() const
{
    return tapi32::Runtime::instance().exchange();
}

exchange::LegId MainWindowTest::IncomingCall(DWORD line, const std::u16string &number, const std::u16string &name)
{
    return Exchange().incomingCall(line, 0, number, name);
}

void MainWindowTest::AdvanceExchange(int milliseconds) const
{
    Exchange().advance(exchange::Millis(milliseconds));
}

void MainWindowTest::AdvanceTicks(std::uint32_t milliseconds)
{
    win::Clock::Advance(milliseconds);
}

CTapiLine *MainWindowTest::Line(DWORD id)
{
    return GetTapiConnection()->GetLine(id);
}

CTapiCall *MainWindowTest::CurrentCall() const
{
    return Window().GetCurrentCall();
}

bool MainWindowTest::WaitForCallState(const QString &state)
{
    return WaitFor([&] { return Text(IDC_CALLSTATE).startsWith(state); });
}
