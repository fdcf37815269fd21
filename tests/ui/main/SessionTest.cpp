// The session half of the main window: opening and closing lines, the media
// mode fall-back, the open-line stepper, line status, the make-call rule,
// Configure, and lines that TAPI removes or closes.
#include "MainWindowFixture.h"

#include <window/Shell.h>
#include <window/testing/MessageBoxScript.h>
#include <window/testing/UserInput.h>

#include <resources/resource.h>

#include "CTapiCall.h"
#include "CTapiLine.h"

#include <chrono>
#include <thread>

namespace {

using SessionTest = MainWindowTest;

TEST_F(SessionTest, OpeningAndClosingTheSelectedLine)
{
    Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 201")));
    const auto open = Recorder().last("lineOpenW");
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(open->number("dwPrivileges"), LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR);
    EXPECT_EQ(open->number("dwMediaModes"), LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE);
    EXPECT_EQ(open->number("dwExtVersion"), 0u);
    const auto messages = Recorder().last("lineSetStatusMessages");
    ASSERT_TRUE(messages.has_value());
    EXPECT_EQ(messages->number("dwAddressStates"), LINEADDRESSSTATE_OTHER | LINEADDRESSSTATE_INUSEZERO |
                                                       LINEADDRESSSTATE_INUSEONE | LINEADDRESSSTATE_INUSEMANY |
                                                       LINEADDRESSSTATE_NUMCALLS | LINEADDRESSSTATE_FORWARD |
                                                       LINEADDRESSSTATE_CAPSCHANGE);
    EXPECT_EQ(Text(IDC_SESSION), "End Session");
    EXPECT_EQ(Text(IDC_LINE_POSITION), "1 of 1");
    EXPECT_TRUE(Enabled(IDC_CONFIGURE));
    EXPECT_TRUE(Enabled(IDC_NUMBER));
    EXPECT_TRUE(Enabled(IDC_PHONE));
    EXPECT_TRUE(Checked(IDC_CON));
    EXPECT_TRUE(Checked(IDC_SVC));
    EXPECT_FALSE(Checked(IDC_MWI));
    EXPECT_FALSE(Checked(IDC_PWD));
    EXPECT_FALSE(Enabled(IDC_PWD));
    EXPECT_TRUE(Enabled(IDC_MWI));
    EXPECT_EQ(Text(IDC_STATUS), "");

    ASSERT_TRUE(TypeNumber(QStringLiteral("5550100")));
    ASSERT_TRUE(Click(IDC_SESSION));
    EXPECT_FALSE(Line(0)->IsOpen());
    EXPECT_EQ(Text(IDC_SESSION), "Start Session");
    EXPECT_EQ(Text(IDC_LINE_POSITION), "0 Open");
    EXPECT_EQ(Text(IDC_NUMBER), "");
    EXPECT_FALSE(Enabled(IDC_NUMBER));
    EXPECT_FALSE(Enabled(IDC_CONFIGURE));
    EXPECT_FALSE(Enabled(IDC_MAKECALL));
    EXPECT_FALSE(Checked(IDC_CON));
}

TEST_F(SessionTest, ALineWhoseStatusCannotBeReadStillListsItsCalls)
{
    Start();
    Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
    Exchange().waitIdle();
    Faults().failNext("lineGetLineDevStatus", LINEERR_NOMEM, 100);
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 201")));
    EXPECT_EQ(Window().GetCalls().size(), 1u);
    Faults().clear();
}

TEST_F(SessionTest, ALineThatRefusesItsModeSetOpensForOneMode)
{
    Start();
    Faults().failNext("lineOpenW", LINEERR_INVALMEDIAMODE);
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 202")));
    EXPECT_EQ(Text(IDC_STATUS), "Forced to open line with media mode Voice");
    const auto opens = Recorder().calls("lineOpenW");
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[1].number("dwMediaModes"), LINEMEDIAMODE_INTERACTIVEVOICE);
    EXPECT_EQ(Text(IDC_SESSION), "End Session");
}

TEST_F(SessionTest, TheFallBackTriesTheModesInOrderAndReportsTheLastError)
{
    Start();
    Faults().failNext("lineOpenW", LINEERR_INVALMEDIAMODE, 2);
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 201")));
    EXPECT_EQ(Text(IDC_STATUS), "Forced to open line with media mode AutomatedVoice");

    ASSERT_TRUE(Click(IDC_SESSION));
    Faults().failNext("lineOpenW", LINEERR_INVALMEDIAMODE, 3);
    EXPECT_FALSE(OpenLine(QStringLiteral("Extension 201")));
    EXPECT_EQ(Text(IDC_STATUS), "lineOpen (0x8000002f) Invalid Media mode");
    EXPECT_EQ(Text(IDC_SESSION), "Start Session");
    EXPECT_EQ(Text(IDC_LINE_POSITION), "0 Open");
}

TEST_F(SessionTest, OtherOpenErrorsAreReportedWithoutFallBack)
{
    Start();
    Faults().failNext("lineOpenW", LINEERR_RESOURCEUNAVAIL);
    EXPECT_FALSE(OpenLine(QStringLiteral("Extension 201")));
    EXPECT_EQ(Recorder().count("lineOpenW"), 1u);
    EXPECT_EQ(Text(IDC_STATUS), "lineOpen (0x8000004b) Resource Unavailable");
}

TEST_F(SessionTest, TheUpDownStepsThroughTheOpenLines)
{
    CPhoneDlg &window = Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 201")));
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 202")));
    EXPECT_EQ(Text(IDC_LINE_POSITION), "2 of 2");
    ASSERT_TRUE(win::testing::StepUpDown(window, IDC_LINE_SPIN, -1));
    EXPECT_EQ(window.GetSelectedLine(), Line(0));
    EXPECT_EQ(Text(IDC_LINE_POSITION), "1 of 2");
    EXPECT_EQ(Text(IDC_SESSION), "End Session");
    // At the first line a step back stays there.
    ASSERT_TRUE(win::testing::StepUpDown(window, IDC_LINE_SPIN, -1));
    EXPECT_EQ(window.GetSelectedLine(), Line(0));
    ASSERT_TRUE(win::testing::StepUpDown(window, IDC_LINE_SPIN, +1));
    EXPECT_EQ(window.GetSelectedLine(), Line(1));
    EXPECT_EQ(Text(IDC_LINE_POSITION), "2 of 2");
    // Selecting a closed line shows how many are open.
    ASSERT_TRUE(Click(IDC_SESSION));
    EXPECT_EQ(Text(IDC_LINE_POSITION), "1 Open");
}

TEST_F(SessionTest, ALineStatusClickAsksTheLineToChange)
{
    Start(QStringLiteral("Extension 201"));
    ASSERT_TRUE(Click(IDC_MWI));
    const auto request = Recorder().last("lineSetLineDevStatus");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->number("dwStatusToChange"), LINEDEVSTATUSFLAGS_MSGWAIT);
    EXPECT_NE(request->number("fStatus"), 0u);
    EXPECT_TRUE(WaitFor([&] { return Line(0)->GetLineStatus()->dwDevStatusFlags & LINEDEVSTATUSFLAGS_MSGWAIT; }));
    EXPECT_TRUE(Checked(IDC_MWI));

    ASSERT_TRUE(Click(IDC_CON));
    EXPECT_EQ(Recorder().last("lineSetLineDevStatus")->number("dwStatusToChange"), LINEDEVSTATUSFLAGS_CONNECTED);
    EXPECT_EQ(Recorder().last("lineSetLineDevStatus")->number("fStatus"), 0u);
    EXPECT_TRUE(WaitFor([&] { return Text(IDC_STATUS) == "The line is disconnected."; }));
    EXPECT_FALSE(Checked(IDC_CON));
}

TEST_F(SessionTest, AFailedLineStatusChangePutsTheBoxBack)
{
    Start(QStringLiteral("Extension 201"));
    Faults().failNext("lineSetLineDevStatus", LINEERR_OPERATIONFAILED);
    ASSERT_TRUE(Click(IDC_SVC));
    EXPECT_EQ(Text(IDC_STATUS), "lineSetLineDevStatus (0x80000048) Operation Failed");
    EXPECT_TRUE(Checked(IDC_SVC));
    EXPECT_TRUE(Line(0)->GetLineStatus()->dwDevStatusFlags & LINEDEVSTATUSFLAGS_INSERVICE);
}

TEST_F(SessionTest, ALineGoingOutOfServiceIsReported)
{
    Start(QStringLiteral("Extension 201"));
    ASSERT_EQ(Exchange().setLineStatus(0, LINEDEVSTATUSFLAGS_INSERVICE, false), 0);
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_STATUS) == "The line is out-of-service."; }));
    EXPECT_FALSE(Checked(IDC_SVC));
    ASSERT_EQ(Exchange().setLineStatus(0, LINEDEVSTATUSFLAGS_CONNECTED, false), 0);
    EXPECT_TRUE(WaitFor([&] { return Text(IDC_STATUS) == "The line is out-of-service and disconnected."; }));
}

TEST_F(SessionTest, MakeCallNeedsANumberOrTheCtrlKey)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    EXPECT_FALSE(Enabled(IDC_MAKECALL));
    ASSERT_TRUE(TypeNumber(QStringLiteral("5")));
    EXPECT_TRUE(Enabled(IDC_MAKECALL));
    EXPECT_TRUE(Enabled(IDC_PICKUP)) << "the extension offers pickup";
    EXPECT_TRUE(Enabled(IDC_UNPARK));
    ASSERT_TRUE(TypeNumber(QString()));
    EXPECT_FALSE(Enabled(IDC_MAKECALL));

    bool ctrl = true;
    win::SetCtrlKeyHook([&] { return ctrl; });
    win::testing::PressKey(window, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(Enabled(IDC_MAKECALL));
    ctrl = false;
    win::testing::PressKey(window, Qt::Key_Control);
    EXPECT_FALSE(Enabled(IDC_MAKECALL));
}

TEST_F(SessionTest, ConfigureShowsTheProvidersDialogForTheLine)
{
    Start(QStringLiteral("Extension 202"));
    win::testing::MessageBoxScript boxes;
    ASSERT_TRUE(Click(IDC_CONFIGURE));
    ASSERT_EQ(Recorder().count("lineConfigDialogW"), 1u);
    EXPECT_EQ(Recorder().last("lineConfigDialogW")->number("dwDeviceID"), 1u);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_TRUE(boxes.Shown().front().text.startsWith("Extension 202"));
}

TEST_F(SessionTest, ARemovedLineLeavesTheListAndTheSelectionFallsBack)
{
    CPhoneDlg &window = Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 202")));
    ASSERT_TRUE(Exchange().removeLine(1));
    ASSERT_TRUE(WaitFor([&] { return window.Items(IDC_DEVICE).GetCount() == 6; }));
    EXPECT_EQ(window.GetSelectedLine(), Line(2)); // "Extension 203" takes its place in the list
    EXPECT_EQ(Text(IDC_LINE_POSITION), "0 Open");
    EXPECT_EQ(window.GetOpenLines().size(), 0u);
}

TEST_F(SessionTest, ChoosingALineTapiHasJustRemovedTellsTheUser)
{
    CPhoneDlg &window = Start();
    ASSERT_TRUE(Exchange().removeLine(1));
    // The removal has reached the line object, but the window has not yet
    // handled the message that refills its list.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Line(1)->IsValid() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    win::testing::MessageBoxScript boxes;
    ASSERT_TRUE(SelectDevice(QStringLiteral("Extension 202")));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown().front().text, "The line was removed by TAPI.");
    EXPECT_EQ(window.Items(IDC_DEVICE).GetCount(), 6);
    EXPECT_EQ(window.GetSelectedLine(), Line(3)); // the first by name
}

TEST_F(SessionTest, ANewLineJoinsTheListWithoutMovingTheSelection)
{
    CPhoneDlg &window = Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 202")));
    const DWORD id = Exchange().addLine(exchange::LineConfig::extension(u"2015", u"Dora Eck"));
    ASSERT_TRUE(WaitFor([&] { return window.Items(IDC_DEVICE).GetCount() == 8; }));
    EXPECT_EQ(window.Items(IDC_DEVICE).GetText(2), "Extension 2015"); // sorted by name
    EXPECT_EQ(window.GetSelectedLine(), Line(1));
    EXPECT_EQ(Line(id)->GetLineName(), TAPI_TEXT("Extension 2015"));
    EXPECT_EQ(Text(IDC_SESSION), "End Session");
}

TEST_F(SessionTest, ALineClosedByTapiDropsItsCallsFromTheWindow)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    IncomingCall(0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    ASSERT_TRUE(Exchange().forceCloseLine(0));
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_SESSION) == "Start Session"; }));
    EXPECT_TRUE(window.GetCalls().empty());
    EXPECT_EQ(Text(IDC_CALL_POSITION), "0 of 0");
    EXPECT_EQ(Text(IDC_LINE_POSITION), "0 Open");
    AdvanceTicks(2000);
    // The line can be opened again.
    ASSERT_TRUE(Click(IDC_SESSION));
    EXPECT_TRUE(Line(0)->IsOpen());
}

TEST_F(SessionTest, ALineClosedByTapiBehindTheShownOneLeavesTheShownOneAlone)
{
    CPhoneDlg &window = Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 202")));
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 201")));
    EXPECT_EQ(Text(IDC_LINE_POSITION), "2 of 2");
    ASSERT_TRUE(Exchange().forceCloseLine(1));
    ASSERT_TRUE(WaitFor([&] { return window.GetOpenLines().size() == 1; }));
    EXPECT_EQ(Text(IDC_LINE_POSITION), "1 of 1");
    EXPECT_EQ(window.GetSelectedLine(), Line(0));
    EXPECT_EQ(Text(IDC_SESSION), "End Session");
    EXPECT_TRUE(Enabled(IDC_NUMBER));
}

} // namespace
