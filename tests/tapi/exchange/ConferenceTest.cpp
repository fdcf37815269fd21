// Conferences through the call objects: setting one up, preparing and adding
// parties, removing one, the related calls, and what the layer leaves behind
// when the exchange refuses.
#include "OfficeFixture.h"

#include <set>

namespace office {
namespace {

using CallSet = std::set<CTapiCall *>;

class ConferenceTest : public OfficeTest {
protected:
    /// Anna talks to Ben and turns the call into a conference with a consultation call.
    void SetUpConference()
    {
        auto [caller, called] = Talk(kAnna, kBen);
        anna = caller;
        ben = called;
        const DWORD request = anna->SetupConference(&conference, &consult, 3);
        ASSERT_TRUE(IsTapiRequestId(request));
        ASSERT_EQ(Reply(request), 0u);
        ASSERT_TRUE(Lists(kAnna, conference));
        ASSERT_TRUE(Lists(kAnna, consult));
        EXPECT_EQ((CallSet{anna, conference, consult}).size(), 3u) << "three distinct call objects";
        ASSERT_TRUE(Reaches(anna, LINECALLSTATE_CONFERENCED));
        ASSERT_TRUE(Reaches(conference, LINECALLSTATE_ONHOLDPENDCONF));
        ASSERT_TRUE(Reaches(consult, LINECALLSTATE_DIALTONE));
    }

    /// The consultation call reaches someone who answers; the answering side's call.
    CTapiCall *Consult(CTapiCall *call, int who)
    {
        EXPECT_EQ(Reply(call->Dial(Number(who))), 0u);
        CTapiCall *answering = RingsAt(who);
        Answer(answering);
        EXPECT_TRUE(Reaches(call, LINECALLSTATE_CONNECTED));
        return answering;
    }

    CallSet Related(CTapiCall *call) const
    {
        std::vector<CTapiCall *> related;
        EXPECT_EQ(call->GetConferenceRelatedCalls(related), 0u);
        return {related.begin(), related.end()};
    }

    CTapiCall *anna = nullptr;
    CTapiCall *ben = nullptr;
    CTapiCall *conference = nullptr;
    CTapiCall *consult = nullptr;
};

TEST_F(ConferenceTest, PartiesAreAddedPreparedAndRemoved)
{
    SetUpConference();
    CTapiCall *carl = Consult(consult, kCarl);
    ASSERT_EQ(Reply(conference->AddToConference(consult)), 0u);
    ASSERT_TRUE(Reaches(consult, LINECALLSTATE_CONFERENCED));
    ASSERT_TRUE(Reaches(conference, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(Related(conference), (CallSet{conference, anna, consult}));
    EXPECT_EQ(Related(anna), (CallSet{conference, anna, consult})) << "a party finds its conference too";

    // A fourth party: the conference waits while Anna consults Dana.
    CTapiCall *second = nullptr;
    const DWORD prepare = conference->PrepareAddToConference(&second);
    ASSERT_TRUE(IsTapiRequestId(prepare));
    ASSERT_EQ(Reply(prepare), 0u);
    ASSERT_TRUE(Lists(kAnna, second));
    ASSERT_TRUE(Reaches(conference, LINECALLSTATE_ONHOLDPENDCONF));
    ASSERT_TRUE(Reaches(second, LINECALLSTATE_DIALTONE));
    Consult(second, kDana);
    ASSERT_EQ(Reply(conference->AddToConference(second)), 0u);
    ASSERT_TRUE(Reaches(second, LINECALLSTATE_CONFERENCED));
    ASSERT_TRUE(Reaches(conference, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(Related(conference), (CallSet{conference, anna, consult, second}));
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 4u);

    // Carl is taken out: his party goes idle at Anna's side, his own call is disconnected.
    ASSERT_EQ(Reply(consult->RemoveFromConference()), 0u);
    ASSERT_TRUE(Reaches(consult, LINECALLSTATE_IDLE));
    ASSERT_TRUE(Reaches(carl, LINECALLSTATE_DISCONNECTED));
    EXPECT_EQ(Related(conference), (CallSet{conference, anna, second}));
    ASSERT_EQ(consult->Deallocate(), 0u);
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 3u);
    EXPECT_EQ(ben->GetCallState(), DWORD{LINECALLSTATE_CONNECTED});
}

TEST_F(ConferenceTest, ALastPartyLeftAloneIsConnectedAgain)
{
    SetUpConference();
    // Nobody was added: dropping the consultation call dissolves the conference.
    ASSERT_EQ(Reply(consult->Drop()), 0u);
    ASSERT_TRUE(Reaches(consult, LINECALLSTATE_IDLE));
    ASSERT_TRUE(Reaches(conference, LINECALLSTATE_IDLE));
    ASSERT_TRUE(Reaches(anna, LINECALLSTATE_CONNECTED));
    ASSERT_EQ(consult->Deallocate(), 0u);
    ASSERT_EQ(conference->Deallocate(), 0u);
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 1u);
    EXPECT_EQ(lines[kAnna]->GetCall(0), anna);
}

TEST_F(ConferenceTest, ARefusedSetUpLeavesNoCallObjects)
{
    auto [caller, called] = Talk(kAnna, kBen);
    CTapiCall *conf = caller;
    CTapiCall *cons = caller;
    Faults().failNext("lineSetupConferenceW", LINEERR_RESOURCEUNAVAIL);
    const DWORD request = caller->SetupConference(&conf, &cons, 3);
    EXPECT_EQ(Reply(request), DWORD{LINEERR_RESOURCEUNAVAIL});
    EXPECT_EQ(conf, nullptr);
    EXPECT_EQ(cons, nullptr);
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 1u);
    EXPECT_EQ(caller->GetCallState(), DWORD{LINECALLSTATE_CONNECTED});

    // Adding a call that is no consultation call is refused at once.
    const DWORD add = caller->AddToConference(called);
    EXPECT_TRUE(IsTapiError(add)) << HexOf(add);
    EXPECT_EQ(session->GetPendingRequestCount(), 0u);
}

TEST_F(ConferenceTest, AReplyThatNeverComesLeavesTheOutCallsEmpty)
{
    ManualTick tick;
    auto [caller, called] = Talk(kAnna, kBen);
    Faults().dropReply("lineSetupConferenceW");
    // Each pump of the wait moves the layer's clock past the reply time-out.
    SetTapiMessagePump([] {
        ManualTick::Advance(20000);
        return false;
    });
    CTapiCall *conf = caller;
    CTapiCall *cons = caller;
    const DWORD request = caller->SetupConference(&conf, &cons, 3);
    SetTapiMessagePump(nullptr);
    EXPECT_TRUE(IsTapiRequestId(request));
    EXPECT_EQ(conf, nullptr);
    EXPECT_EQ(cons, nullptr);
    EXPECT_EQ(session->GetPendingRequestCount(), 1u);
}

} // namespace
} // namespace office
