// Merge, Conference, Add Party and Drop Party carried out by the exchange:
// two calls of the line joined by a transfer or made into a conference, a
// party added through a consultation call, and a party dropped again.
#include "CommandsTestSupport.h"

#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

#include <window/testing/UserInput.h>

namespace {

class ConferenceCommandsTest : public CommandsTest {
protected:
    bool TwoCalls() { return CommandsTest::TwoCalls(first_, second_); }

    /// Steps the call display to the call with handle `call`.
    bool Show(HCALL call)
    {
        for (int step : {-1, +1})
            for (int i = 0; i < 8 && CurrentHandle() != call; ++i)
                if (!win::testing::StepUpDown(Window(), IDC_CALL_SPIN, step))
                    return false;
        return CurrentHandle() == call;
    }

    /// The line's conference call once it is connected, or null.
    CTapiCall *Conference() const
    {
        CTapiCall *call = Line(0)->FindCallByState(LINECALLSTATE_CONNECTED, 0);
        return call && call->GetCallInfo() && call->GetCallInfo()->dwOrigin == LINECALLORIGIN_CONFERENCE ? call
                                                                                                         : nullptr;
    }

    HCALL first_ = 0;
    HCALL second_ = 0;
};

TEST_F(ConferenceCommandsTest, MergeCompletesATransferBetweenTheTwoCalls)
{
    ASSERT_TRUE(TwoCalls());
    ASSERT_TRUE(WaitFor([&] { return Enabled(IDC_MERGE); }));
    ASSERT_TRUE(Click(IDC_MERGE));
    const exchange::RecordedCall merge = Last("lineCompleteTransfer");
    EXPECT_EQ(merge.number("hCall"), first_);
    EXPECT_EQ(merge.number("hConsultCall"), second_);
    EXPECT_EQ(merge.number("dwTransferMode"), DWORD{LINETRANSFERMODE_TRANSFER});
    EXPECT_EQ(Status(), "");
    // Both parties were outside: the line lets go of both calls.
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; }));
}

TEST_F(ConferenceCommandsTest, ConferenceMakesBothCallsPartiesAndPartiesComeAndGo)
{
    ASSERT_TRUE(TwoCalls());
    ASSERT_TRUE(WaitFor([&] { return Enabled(IDC_CONFERENCE); }));
    ASSERT_TRUE(Click(IDC_CONFERENCE));
    EXPECT_EQ(Last("lineCompleteTransfer").number("dwTransferMode"), DWORD{LINETRANSFERMODE_CONFERENCE});
    EXPECT_EQ(Status(), "");
    ASSERT_TRUE(WaitFor([&] { return Conference() != nullptr && Line(0)->GetCallCount() == 3; }));
    const HCALL conference = Conference()->GetCallHandle();

    // Add Party on the connected conference call prepares a consultation call.
    ASSERT_TRUE(Show(conference));
    ASSERT_TRUE(Click(IDC_ADDPARTY));
    EXPECT_EQ(Last("linePrepareAddToConferenceW").number("hConfCall"), conference);
    EXPECT_EQ(Status(), "");
    CTapiCall *consultation = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (consultation = Line(0)->FindCallByState(LINECALLSTATE_DIALTONE, 0)); }));
    ASSERT_EQ(GetTapiConnection()->WaitForReply(consultation->Dial(TAPI_TEXT("5550105")), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitFor([&] { return consultation->GetCallState() == LINECALLSTATE_CONNECTED; }));

    // Add Party on the consultation call joins it to the waiting conference.
    ASSERT_TRUE(Show(consultation->GetCallHandle()));
    ASSERT_TRUE(Click(IDC_ADDPARTY));
    const exchange::RecordedCall add = Last("lineAddToConference");
    EXPECT_EQ(add.number("hConfCall"), conference);
    EXPECT_EQ(add.number("hConsultCall"), consultation->GetCallHandle());
    EXPECT_EQ(Status(), "");
    ASSERT_TRUE(WaitFor([&] { return consultation->GetCallState() == LINECALLSTATE_CONFERENCED; }));

    // Drop Party takes the new party out again.
    ASSERT_TRUE(Show(consultation->GetCallHandle()));
    const HCALL dropped = consultation->GetCallHandle();
    ASSERT_TRUE(Click(IDC_DROPPARTY));
    EXPECT_EQ(Last("lineRemoveFromConference").number("hCall"), dropped);
    EXPECT_EQ(Status(), "");
    EXPECT_TRUE(WaitFor([&] { return Line(0)->FindCall(dropped) == nullptr; }));
}

} // namespace
