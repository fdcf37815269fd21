// The request table: both orders of reply and registration, reuse of identifiers,
// purging across the tick's wrap-around, and waiters outliving their entries.
#include "CTapiConnection.h"
#include "CTapiRequestList.h"
#include "TapiPump.h"
#include "TapiTestSession.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class RequestTableTest : public ::testing::Test {
protected:
    void TearDown() override { SetTapiMessagePump(nullptr); }
    ManualTick tick;
    CTapiRequestList requests;
};

TEST_F(RequestTableTest, FinalResultsCreateNoEntry)
{
    EXPECT_EQ(requests.Add(0), nullptr);
    EXPECT_EQ(requests.Add(LINEERR_OPERATIONFAILED), nullptr);
    EXPECT_EQ(requests.Add(0x80000001), nullptr);
    EXPECT_NE(requests.Add(0x80000000), nullptr);
    EXPECT_EQ(requests.PendingCount(), 1u);
}

TEST_F(RequestTableTest, WaitForReplyPassesFinalResultsAndRejectsUnknownIdentifiers)
{
    CTapiConnection *session = GetTapiConnection();
    EXPECT_EQ(session->WaitForReply(0, 60000), 0u);
    EXPECT_EQ(session->WaitForReply(LINEERR_OPERATIONFAILED, 60000), LINEERR_OPERATIONFAILED);
    EXPECT_EQ(session->WaitForReply(0x1234, 60000), LINEERR_INVALPARAM);
}

TEST_F(RequestTableTest, ReplyBeforeRegistrationIsReturnedAtOnce)
{
    ManualTick::Set(1000);
    requests.OnReply(7, LINEERR_INVALCALLHANDLE);
    auto entry = requests.Add(7);
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->IsPending());
    EXPECT_EQ(entry->Wait(60000), LINEERR_INVALCALLHANDLE);
    EXPECT_EQ(requests.PendingCount(), 0u);
}

TEST_F(RequestTableTest, IdentifierRegisteredAgainAfterTenSecondsWaitsForTheNewReply)
{
    ManualTick::Set(500);
    requests.Add(9);
    requests.OnReply(9, 0);
    ManualTick::Advance(10000);
    auto young = requests.Add(9);
    EXPECT_FALSE(young->IsPending()) << "exactly 10000 ms old still counts as the same request";
    ManualTick::Advance(1);
    auto fresh = requests.Add(9);
    EXPECT_TRUE(fresh->IsPending());
    EXPECT_EQ(fresh->GetResult(), kTapiNoReply);
    EXPECT_EQ(young->GetResult(), 0u) << "a holder of the old entry keeps its result";
    EXPECT_EQ(requests.PendingCount(), 1u);
}

TEST_F(RequestTableTest, AgesSurviveTheTickWrapAround)
{
    ManualTick::Set(0xFFFFF000);
    requests.OnReply(3, 0);
    requests.OnReply(4, 0);
    ManualTick::Set(0x00000100); // 0x1100 ms later, after the wrap
    requests.Purge(5000);
    EXPECT_NE(requests.Find(3), nullptr) << "4352 ms old, not yet purged";
    auto reused = requests.Add(4);
    EXPECT_FALSE(reused->IsPending()) << "not yet old enough to be reused";
    ManualTick::Set(0x00001000);
    requests.Purge(5000);
    EXPECT_EQ(requests.Find(3), nullptr);
    EXPECT_EQ(requests.Find(4), nullptr);
}

TEST_F(RequestTableTest, PendingEntriesAreNeverPurged)
{
    requests.Add(5);
    ManualTick::Advance(1000000);
    requests.Purge(5000);
    EXPECT_NE(requests.Find(5), nullptr);
    EXPECT_EQ(requests.PendingCount(), 1u);
}

TEST_F(RequestTableTest, WaitTimesOutByTheTickAndLeavesTheEntryPending)
{
    auto entry = requests.Add(11);
    int pumps = 0;
    SetTapiMessagePump([&] {
        if (++pumps == 3)
            ManualTick::Advance(60001);
        return false;
    });
    EXPECT_EQ(entry->Wait(60000), kTapiNoReply);
    EXPECT_GE(pumps, 3);
    EXPECT_TRUE(entry->IsPending());
}

TEST_F(RequestTableTest, WaitWithoutDeadlineIgnoresTheTick)
{
    for (DWORD unlimited : {DWORD{0}, DWORD{INFINITE}}) {
        auto entry = requests.Add(12 + unlimited % 7);
        int pumps = 0;
        SetTapiMessagePump([&] {
            ManualTick::Advance(1000000);
            if (++pumps == 5)
                entry->Complete(42);
            return false;
        });
        EXPECT_EQ(entry->Wait(unlimited), 42u);
    }
}

TEST_F(RequestTableTest, QuittingPumpEndsTheWait)
{
    auto entry = requests.Add(13);
    SetTapiMessagePump([] { return true; });
    EXPECT_EQ(entry->Wait(60000), kTapiNoReply);
}

TEST_F(RequestTableTest, ReplyFromAnotherThreadEndsTheWaitPromptly)
{
    auto entry = requests.Add(14);
    std::thread replier([&] { requests.OnReply(14, LINEERR_NOTOWNER); });
    EXPECT_EQ(entry->Wait(0), LINEERR_NOTOWNER);
    replier.join();
}

TEST_F(RequestTableTest, CancelDuringWaitReleasesTheWaiterWithNoReply)
{
    auto entry = requests.Add(15);
    std::thread canceller([&] { requests.CancelAll(); });
    EXPECT_EQ(entry->Wait(0), kTapiNoReply);
    canceller.join();
    EXPECT_EQ(requests.Find(15), nullptr);
    EXPECT_EQ(requests.PendingCount(), 0u);
}

TEST_F(RequestTableTest, WaiterKeepsItsEntryWhenItIsPurged)
{
    auto entry = requests.Add(16);
    requests.OnReply(16, 0x80000048);
    ManualTick::Advance(5001);
    requests.Purge(5000);
    EXPECT_EQ(requests.Find(16), nullptr);
    EXPECT_EQ(entry->Wait(60000), 0x80000048u);
}

TEST_F(RequestTableTest, CancelledRequestKeepsItsOutStorageUntilTheReplyOrRelease)
{
    auto storage = std::make_shared<HCALL>(0);
    std::weak_ptr<HCALL> watch = storage;
    requests.Add(17, std::move(storage));
    requests.CancelAll();
    EXPECT_FALSE(watch.expired()) << "TAPI may still write the handle";
    requests.OnReply(17, 0);
    EXPECT_TRUE(watch.expired());

    storage = std::make_shared<HCALL>(0);
    watch = storage;
    requests.Add(18, std::move(storage));
    requests.CancelAll();
    requests.ReleaseCancelled();
    EXPECT_TRUE(watch.expired());
}

TEST_F(RequestTableTest, SuccessfulWaitRunsItsActionOnce)
{
    auto entry = requests.Add(19);
    int runs = 0;
    entry->OnWaitSucceeded([&] { ++runs; });
    requests.OnReply(19, 0);
    EXPECT_EQ(entry->Wait(1), 0u);
    EXPECT_EQ(entry->Wait(1), 0u);
    EXPECT_EQ(runs, 1);

    auto failed = requests.Add(20);
    failed->OnWaitSucceeded([&] { ++runs; });
    requests.OnReply(20, LINEERR_NOMEM);
    EXPECT_EQ(failed->Wait(1), LINEERR_NOMEM);
    EXPECT_EQ(runs, 1);
}

} // namespace
