// A whole call through the buttons: extension 201 calls 202, 202 answers,
// holds and takes the call back, parks it and fetches it again, and both
// hang up.
#include "CommandsTestSupport.h"

#include <ui/main/DialDlg.h>
#include <window/testing/UserInput.h>

#include "CTapiLine.h"

namespace {

using FullCallTest = CommandsTest;

TEST_F(FullCallTest, CallAnswerHoldUnholdParkUnparkHangUp)
{
    Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 202")));
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 201")));

    ASSERT_TRUE(MakeCall(QStringLiteral("202"), QStringLiteral("Ringback")));
    EXPECT_EQ(Text(IDC_CALLDIRECTION).left(8), "Outbound");

    ASSERT_TRUE(SelectDevice(QStringLiteral("Extension 202")));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    EXPECT_EQ(Text(IDC_CALLER_NUMBER), "201");
    ASSERT_TRUE(Click(IDC_ANSWER));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));

    ASSERT_TRUE(Click(IDC_HOLD));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("On Hold")));
    ASSERT_TRUE(Click(IDC_HOLD));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));

    // Parked at 7002 the call leaves 202's window; unparking brings it back.
    OnNextDialog<CDialDlg>([](CDialDlg &dialog) {
        win::testing::TypeText(dialog, CDialDlg::IDC_NUMBER, QStringLiteral("7002"));
        win::testing::Click(dialog, win::IDOK);
    });
    ASSERT_TRUE(Click(IDC_PARK));
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; }));
    ASSERT_TRUE(TypeNumber(QStringLiteral("7002")));
    ASSERT_TRUE(Click(IDC_UNPARK));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    EXPECT_EQ(Text(IDC_CALLTYPE), "Unpark");
    EXPECT_EQ(Text(IDC_CONNECTED_NUMBER), "201");

    ASSERT_TRUE(Click(IDC_HANGUP));
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; }));

    // The caller's side was left disconnected; hanging up there ends the call.
    ASSERT_TRUE(SelectDevice(QStringLiteral("Extension 201")));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Disconnected")));
    ASSERT_TRUE(Click(IDC_HANGUP));
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; }));
    EXPECT_EQ(Line(0)->GetCallCount(), 0u);
    EXPECT_EQ(Line(1)->GetCallCount(), 0u);
    for (const char *function : {"lineMakeCallW", "lineAnswer", "lineHold", "lineUnhold", "lineParkW", "lineUnparkW"})
        EXPECT_EQ(Count(function), 1u) << function;
    EXPECT_EQ(Count("lineDrop"), 2u);
    EXPECT_EQ(Status(), "");
}

} // namespace
