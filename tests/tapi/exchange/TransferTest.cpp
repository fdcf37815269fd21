// Blind and consultation transfer through the call objects: which call objects
// the layer creates and where it lists them, their states after the exchange's
// events, and the removal of the calls that went idle.
#include "OfficeFixture.h"

#include <set>

namespace office {
namespace {

using TransferTest = OfficeTest;

TEST_F(TransferTest, BlindTransferOffersTheCallToTheTargetAndIdlesTheTransferringSide)
{
    auto [anna, ben] = Talk(kAnna, kBen);
    const DWORD request = ben->BlindTransfer(TAPI_TEXT("203"));
    ASSERT_TRUE(IsTapiRequestId(request));
    ASSERT_EQ(Reply(request), 0u);
    ASSERT_TRUE(Reaches(ben, LINECALLSTATE_IDLE));
    ASSERT_TRUE(WaitFor([&] { return HookIndex(Tag(ben) + " OnStateIdle") < HookLog::Entries().size(); }));

    CTapiCall *carl = RingsAt(kCarl);
    ASSERT_TRUE(Lists(kCarl, carl));
    EXPECT_EQ(carl->GetCallInfo(true)->dwReason, DWORD{LINECALLREASON_TRANSFER});
    EXPECT_EQ(Narrow(carl->GetCallerNumber()), "201");
    Answer(carl);
    EXPECT_TRUE(Reaches(anna, LINECALLSTATE_CONNECTED));

    // The idle call goes from Ben's list once deallocated; nothing else of his is left.
    ASSERT_EQ(ben->Deallocate(), 0u);
    EXPECT_EQ(lines[kBen]->GetCallCount(), 0u);
    EXPECT_EQ(lines[kCarl]->GetCallCount(), 1u);
}

TEST_F(TransferTest, TransferOfACallThatIsNotConnectedIsRefusedWithoutARequest)
{
    CTapiCall *anna = nullptr;
    ASSERT_EQ(lines[kAnna]->MakeCall(&anna, Number(kBen)), 0u);
    CTapiCall *ringing = RingsAt(kBen);
    const DWORD before = session->GetPendingRequestCount();
    const DWORD result = ringing->BlindTransfer(TAPI_TEXT("203"));
    EXPECT_TRUE(IsTapiError(result)) << HexOf(result);
    EXPECT_EQ(Reply(result), result) << "a refusal is final";
    EXPECT_EQ(session->GetPendingRequestCount(), before);
    EXPECT_EQ(ringing->GetCallState(), DWORD{LINECALLSTATE_OFFERING});

    CTapiCall *consult = ringing;
    EXPECT_TRUE(IsTapiError(ringing->SetupTransfer(&consult)));
    EXPECT_EQ(consult, nullptr) << "the out call is cleared even when TAPI refuses";
    EXPECT_EQ(lines[kBen]->GetCallCount(), 1u);
}

class ConsultationTransferTest : public OfficeTest {
protected:
    /// A customer talks to Anna, who puts them on hold and reaches Ben on a
    /// consultation call; Ben answers.
    void SetUp() override
    {
        OfficeTest::SetUp();
        customer = CustomerTalksTo(kAnna);
        HookLog::Clear();
        const DWORD request = customer->SetupTransfer(&consult);
        ASSERT_TRUE(IsTapiRequestId(request)) << "the TAPI result, not the wait's";
        ASSERT_EQ(Reply(request), 0u) << "the reply stays available after the layer's own wait";
        ASSERT_TRUE(Lists(kAnna, consult));
        ASSERT_NE(consult, customer);
        ASSERT_TRUE(Reaches(customer, LINECALLSTATE_ONHOLDPENDTRANSFER));
        ASSERT_TRUE(Reaches(consult, LINECALLSTATE_DIALTONE));
        // The layer announced the consultation call before any hook of its own ran.
        EXPECT_TRUE(AnnouncedBefore(0, consult, "OnStateChange"));
        ASSERT_TRUE(consult->WaitForFeatures(LINECALLFEATURE_DIAL, 5000));

        ASSERT_EQ(Reply(consult->Dial(Number(kBen))), 0u);
        ben = RingsAt(kBen);
        Answer(ben);
        ASSERT_TRUE(Reaches(consult, LINECALLSTATE_CONNECTED));
    }

    CTapiCall *customer = nullptr;
    CTapiCall *consult = nullptr;
    CTapiCall *ben = nullptr;
};

TEST_F(ConsultationTransferTest, DroppingTheConsultationCallBringsTheCustomerBack)
{
    ASSERT_EQ(Reply(consult->Drop()), 0u);
    ASSERT_TRUE(Reaches(consult, LINECALLSTATE_IDLE));
    ASSERT_TRUE(Reaches(customer, LINECALLSTATE_CONNECTED));
    ASSERT_TRUE(Reaches(ben, LINECALLSTATE_DISCONNECTED));
    ASSERT_EQ(consult->Deallocate(), 0u);
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 1u);
    EXPECT_EQ(lines[kAnna]->GetCall(0), customer);
}

TEST_F(ConsultationTransferTest, CompletingInTransferModeConnectsTheFarPartiesAndFreesAnna)
{
    CTapiCall *conference = consult;
    const DWORD request = customer->CompleteTransfer(consult, &conference, LINETRANSFERMODE_TRANSFER);
    ASSERT_EQ(Reply(request), 0u);
    EXPECT_EQ(conference, nullptr) << "a plain transfer makes no conference call";
    ASSERT_TRUE(Reaches(customer, LINECALLSTATE_IDLE));
    ASSERT_TRUE(Reaches(consult, LINECALLSTATE_IDLE));
    EXPECT_EQ(ben->GetCallState(), DWORD{LINECALLSTATE_CONNECTED});
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 2u) << "idle calls stay listed until deallocated";

    ASSERT_EQ(customer->Deallocate(), 0u);
    ASSERT_EQ(consult->Deallocate(), 0u);
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 0u);
}

TEST_F(ConsultationTransferTest, CompletingInConferenceModeAttachesTheConferenceCall)
{
    CTapiCall *conference = nullptr;
    ASSERT_EQ(Reply(customer->CompleteTransfer(consult, &conference, LINETRANSFERMODE_CONFERENCE)), 0u);
    ASSERT_TRUE(Lists(kAnna, conference));
    EXPECT_NE(conference, customer);
    EXPECT_NE(conference, consult);
    ASSERT_TRUE(Reaches(conference, LINECALLSTATE_CONNECTED));
    ASSERT_TRUE(Reaches(customer, LINECALLSTATE_CONFERENCED));
    ASSERT_TRUE(Reaches(consult, LINECALLSTATE_CONFERENCED));
    EXPECT_EQ(conference->GetCallInfo(true)->dwOrigin, DWORD{LINECALLORIGIN_CONFERENCE});

    // The related calls are the objects already listed, not new ones.
    std::vector<CTapiCall *> related;
    ASSERT_EQ(conference->GetConferenceRelatedCalls(related), 0u);
    EXPECT_EQ(std::set<CTapiCall *>(related.begin(), related.end()),
              (std::set<CTapiCall *>{conference, customer, consult}));
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 3u);

    // Dropping the conference call ends every party with it.
    ASSERT_EQ(Reply(conference->Drop()), 0u);
    ASSERT_TRUE(Reaches(conference, LINECALLSTATE_IDLE));
    EXPECT_TRUE(Reaches(customer, LINECALLSTATE_IDLE));
    EXPECT_TRUE(Reaches(consult, LINECALLSTATE_IDLE));
    EXPECT_TRUE(Reaches(ben, LINECALLSTATE_DISCONNECTED));
}

} // namespace
} // namespace office
