// Park, unpark and pickup carried out by the exchange: the window shows the
// park address of a non-directed park, loses the parked call and gets it
// back, and takes over a call ringing elsewhere.
#include "CommandsTestSupport.h"

#include <ui/main/DialDlg.h>
#include <window/testing/UserInput.h>

#include "CTapiLine.h"

using win::testing::TypeText;

namespace {

using ParkCommandsTest = CommandsTest;

/// Answers the park dialog with `number` (empty: non-directed).
void ParkAt(const QString &number)
{
    OnNextDialog<CDialDlg>([number](CDialDlg &dialog) {
        TypeText(dialog, CDialDlg::IDC_NUMBER, number);
        win::testing::Click(dialog, win::IDOK);
    });
}

TEST_F(ParkCommandsTest, ANonDirectedParkShowsWhereTheCallWaitsAndUnparkFetchesIt)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    ParkAt(QString());
    ASSERT_TRUE(Click(IDC_PARK));
    EXPECT_EQ(Status(), "Call Parked at 7001");
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; }));

    ASSERT_TRUE(TypeNumber(QStringLiteral("7001")));
    ASSERT_TRUE(Click(IDC_UNPARK));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    EXPECT_EQ(Last("lineUnparkW").text("lpszDestAddress"), "7001");
    EXPECT_EQ(Text(IDC_CONNECTED_NUMBER), "5550105");
    EXPECT_EQ(Status(), "");
}

TEST_F(ParkCommandsTest, ADirectedParkReportsNothingAndAnEmptyAddressFailsToUnpark)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    ParkAt(QStringLiteral("7004"));
    ASSERT_TRUE(Click(IDC_PARK));
    EXPECT_EQ(Status(), "");
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; }));

    ASSERT_TRUE(TypeNumber(QStringLiteral("7005")));
    ASSERT_TRUE(Click(IDC_UNPARK));
    EXPECT_EQ(Status(), "lineUnpark (0x80000048) Operation Failed");
    EXPECT_EQ(Line(0)->GetCallCount(), 0u);
}

TEST_F(ParkCommandsTest, PickupTakesOverACallRingingAtAnotherExtension)
{
    ASSERT_TRUE(StartWithLine());
    const exchange::LegId ringing = Exchange().incomingCall(1, 0, u"5551234", u"Dora Engel");
    ASSERT_NE(ringing, 0u);
    ASSERT_TRUE(TypeNumber(QStringLiteral("202")));
    ASSERT_TRUE(Click(IDC_PICKUP));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    EXPECT_EQ(Text(IDC_CALLTYPE), "Pickup");
    EXPECT_EQ(Text(IDC_CALLER_NUMBER), "5551234");
    EXPECT_TRUE(Exchange().legsOn(1).empty()) << "the ringing side let go";
    EXPECT_EQ(Status(), "");
}

} // namespace
