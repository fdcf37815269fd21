// Commands on two calls of the line and on conferences: the partner search,
// the owner step on both calls in order, and the "Unable to locate two calls"
// reports.
#include "CommandsTestSupport.h"

#include "CTapiCall.h"
#include "CTapiLine.h"

namespace {

using TwoCallCommandsTest = CommandsTest;

class SwapTest : public CommandsTest {
protected:
    bool TwoCalls() { return CommandsTest::TwoCalls(first_, second_); }

    HCALL first_ = 0;
    HCALL second_ = 0;
};

TEST_F(SwapTest, SwapsFromTheActiveAndFromTheHeldCall)
{
    ASSERT_TRUE(TwoCalls());
    ASSERT_NE(first_, second_);
    Recorder().clear();
    ASSERT_TRUE(Click(IDC_SWAP));
    const exchange::RecordedCall swap = Last("lineSwapHold");
    EXPECT_EQ(swap.number("hActiveCall"), second_);
    EXPECT_EQ(swap.number("hHeldCall"), first_);
    // The owner step takes the held call first.
    const auto owners = Recorder().calls("lineSetCallPrivilege");
    ASSERT_EQ(owners.size(), 2u);
    EXPECT_EQ(owners[0].number("hCall"), first_);
    EXPECT_EQ(owners[1].number("hCall"), second_);
    EXPECT_EQ(Status(), "");

    // Now the current call (the second) is the held one: its partner is the active first call.
    ASSERT_TRUE(WaitFor([&] {
        return Line(0)->FindCall(first_)->GetCallState() == LINECALLSTATE_CONNECTED &&
               Line(0)->FindCall(second_)->GetCallState() == LINECALLSTATE_ONHOLD && Enabled(IDC_SWAP);
    }));
    ASSERT_EQ(CurrentHandle(), second_);
    ASSERT_TRUE(Click(IDC_SWAP));
    const exchange::RecordedCall back = Last("lineSwapHold");
    EXPECT_EQ(back.number("hActiveCall"), first_);
    EXPECT_EQ(back.number("hHeldCall"), second_);
}

TEST_F(SwapTest, AFailureIsReported)
{
    ASSERT_TRUE(TwoCalls());
    Faults().failNext("lineSwapHold", LINEERR_INVALCALLSTATE);
    ASSERT_TRUE(Click(IDC_SWAP));
    EXPECT_EQ(Status(), "lineSwapHold (0x8000001c) Call not in proper state");
}

TEST_F(TwoCallCommandsTest, WithoutAPartnerEachCommandSaysWhatItLookedFor)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    Recorder().clear();
    Window().OnSwap();
    EXPECT_EQ(Status(), "Unable to locate two calls with lineSwapHold ability.");
    Window().OnMerge();
    EXPECT_EQ(Status(), "Unable to locate two calls with lineCompleteTransfer ability");
    Window().OnAddParty();
    EXPECT_EQ(Status(), "Unable to locate two calls with lineAddToConference ability");
    Window().OnConference();
    EXPECT_EQ(Status(), "Unable to locate two calls with lineCompleteTransfer ability");
    for (const char *function : {"lineSetCallPrivilege", "lineSwapHold", "lineCompleteTransfer", "lineAddToConference",
                                 "linePrepareAddToConferenceW"})
        EXPECT_EQ(Count(function), 0u) << function;
}

TEST_F(TwoCallCommandsTest, DropPartyRemovesTheCurrentCallFromItsConference)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    const HCALL handle = CurrentHandle();
    Faults().failNext("lineRemoveFromConference", LINEERR_INVALCALLSTATE);
    Window().OnDropParty();
    EXPECT_EQ(Last("lineRemoveFromConference").number("hCall"), handle);
    EXPECT_EQ(Last("lineSetCallPrivilege").number("hCall"), handle);
    EXPECT_EQ(Status(), "lineRemoveFromConference (0x8000001c) Call not in proper state");
}

} // namespace
