// The status line: report format, free-form texts, clearing and the report tick.
#include <app/CMainApp.h>
#include <app/ResultReporting.h>

#include <resources/resource.h>
#include <window/Clock.h>
#include <window/Dialog.h>
#include <window/testing/TestEnvironment.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A window with nothing but the status line, standing in for the main window.
class StatusWindow : public win::Dialog {
public:
    StatusWindow() { AddControl({IDC_STATUS, win::ControlKind::StatusLine}); }
};

class ResultReportingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        win::testing::ResetPlatform(5000);
        window = std::make_unique<StatusWindow>();
        ASSERT_TRUE(window->Create());
        GetMainApp().SetMainWnd(window.get());
    }
    void TearDown() override { GetMainApp().SetMainWnd(nullptr); }

    QString Status() const { return window->GetDlgItemText(IDC_STATUS); }

    std::unique_ptr<StatusWindow> window; // made once the application exists
};

TEST_F(ResultReportingTest, AFailureReadsNameCodeAndText)
{
    ReportResult("lineDrop", 0x80000018);
    EXPECT_EQ(Status(), "lineDrop (0x80000018) Invalid Call handle");
    ReportResult("lineDrop", 0xFFFFFFFF);
    EXPECT_EQ(Status(), "lineDrop (0xffffffff) Request timeout");
    ReportResult("phoneOpen", 0x90000012);
    EXPECT_EQ(Status(), "phoneOpen (0x90000012) Invalid parameter");
    ReportResult("Dial feature unavailable", 0xFFFFFFFF);
    EXPECT_EQ(Status(), "Dial feature unavailable (0xffffffff) Request timeout");
    // A code without a text stays identifiable.
    ReportResult("lineOpen", 0x80000004);
    EXPECT_EQ(Status(), "lineOpen (0x80000004) Unknown Error");
}

TEST_F(ResultReportingTest, ShowStatusFormatsAndStampsTheTick)
{
    win::Clock::Advance(2000);
    ShowStatus("Forced to open line with media mode %s", "Voice");
    EXPECT_EQ(Status(), "Forced to open line with media mode Voice");
    EXPECT_EQ(GetLastReportTick(), 7000u);
    ShowStatus(QStringLiteral("Call Parked at %1").arg(QStringLiteral("Ü-7")));
    EXPECT_EQ(Status(), QStringLiteral("Call Parked at Ü-7"));
}

TEST_F(ResultReportingTest, ClearingLeavesTheTick)
{
    ReportResult("lineDrop", 0x80000018);
    const std::uint32_t tick = GetLastReportTick();
    win::Clock::Advance(500);
    ClearStatus();
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(GetLastReportTick(), tick);
}

TEST_F(ResultReportingTest, ALongTextIsCutToOneStatusLine)
{
    ShowStatus(QString(5000, QLatin1Char('x')));
    EXPECT_EQ(Status().size(), 1023);
}

TEST_F(ResultReportingTest, WithoutAMainWindowReportsAreDropped)
{
    ReportResult("lineDrop", 0x80000018);
    const std::uint32_t tick = GetLastReportTick();
    window->DestroyWindow();
    win::Clock::Advance(1000);
    ReportResult("lineHold", 0x8000001C);
    ShowStatus("The line is disconnected.");
    ClearStatus();
    EXPECT_EQ(GetLastReportTick(), tick);
    GetMainApp().SetMainWnd(nullptr);
    ShowStatus("The line is disconnected.");
    EXPECT_EQ(GetLastReportTick(), tick);
}

} // namespace
