// The session: initialisation failures and states, device creation and removal,
// message routing, and shutdown with a stuck event thread.
#include "CTapiAddress.h"
#include "TapiClock.h"
#include "TapiTestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

namespace {

using SessionTest = ScriptedSessionTest;
using ::testing::ElementsAre;

TEST_F(SessionTest, InitCreatesOneObjectPerDeviceOfTheGivenClasses)
{
    InitSession(3, 2, 2);
    EXPECT_EQ(session->GetLineCount(), 3u);
    EXPECT_EQ(session->GetPhoneCount(), 2u);
    ASSERT_NE(session->GetLine(2), nullptr);
    EXPECT_NE(dynamic_cast<LoggingLine *>(session->GetLine(2)), nullptr);
    EXPECT_NE(dynamic_cast<LoggingPhone *>(session->GetPhone(1)), nullptr);
    EXPECT_EQ(session->GetLine(3), nullptr);
    EXPECT_EQ(session->GetPhone(2), nullptr);
    EXPECT_EQ(session->GetLine(1)->GetDeviceID(), 1u);
    EXPECT_EQ(session->GetLine(1)->GetAPIVersion(), 0x00030000u);
    ASSERT_NE(session->GetLine(1)->GetAddress(1), nullptr);
    EXPECT_EQ(session->GetLine(1)->GetAddress(2), nullptr);
    EXPECT_EQ(Narrow(session->GetLine(1)->GetLineName()), "Line 1");
    EXPECT_NE(session->GetLineAppHandle(), 0u);
    EXPECT_NE(session->GetPhoneAppHandle(), 0u);
}

TEST_F(SessionTest, SecondInitIsRefusedAndTheFirstSessionGoesOn)
{
    InitSession();
    const HLINEAPP first = session->GetLineAppHandle();
    EXPECT_EQ(session->Init(TAPI_TEXT("Dialwerk"), nullptr, nullptr, nullptr, nullptr, 0x30000),
              LINEERR_NOMULTIPLEINSTANCE);
    EXPECT_EQ(session->GetLineAppHandle(), first);
    EXPECT_EQ(tapi.CountOf("lineInitializeExW"), 1);
    tapi.PostLine(0, LINE_REPLY, 0, 77, 0);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_NE(session->FindRequest(77), nullptr) << "the event thread still runs";
}

TEST_F(SessionTest, LineInitializeIsRetriedWhileItAnswersReinit)
{
    tapi.Reset();
    auto real = tapi.lineInitializeExW;
    int reinits = 3;
    tapi.lineInitializeExW = [&](LPHLINEAPP app, HINSTANCE instance, LINECALLBACK callback, LPCWSTR name,
                                 LPDWORD devices, LPDWORD version, LPLINEINITIALIZEEXPARAMS params) {
        EXPECT_EQ(params->dwTotalSize, 28u);
        EXPECT_EQ(params->dwOptions, DWORD{LINEINITIALIZEEXOPTION_USEEVENT});
        EXPECT_EQ(*version, 0x30000u);
        if (reinits-- > 0) {
            params->dwOptions = 0;
            return LONG(LINEERR_REINIT);
        }
        return real(app, instance, callback, name, devices, version, params);
    };
    EXPECT_EQ(session->Init(TAPI_TEXT("Dialwerk"), nullptr, nullptr, nullptr, nullptr, 0x30000), 0u);
    EXPECT_EQ(tapi.CountOf("lineInitializeExW"), 4);
}

TEST_F(SessionTest, LineInitializeFailureLeavesTheSessionUninitialised)
{
    tapi.Reset();
    tapi.lineInitializeExW = [](LPHLINEAPP, HINSTANCE, LINECALLBACK, LPCWSTR, LPDWORD, LPDWORD,
                                LPLINEINITIALIZEEXPARAMS) { return LONG(LINEERR_NODRIVER); };
    EXPECT_EQ(session->Init(TAPI_TEXT("Dialwerk"), nullptr, nullptr, nullptr, nullptr, 0x30000), LINEERR_NODRIVER);
    EXPECT_EQ(session->GetLineAppHandle(), 0u);
    EXPECT_EQ(tapi.CountOf("phoneInitializeExW"), 0);
    EXPECT_EQ(session->GetLine(0), nullptr);
}

TEST_F(SessionTest, MissingLineEventHandleKeepsTheHandleUntilShutdown)
{
    tapi.Reset();
    auto real = tapi.lineInitializeExW;
    tapi.lineInitializeExW = [&](LPHLINEAPP app, HINSTANCE instance, LINECALLBACK callback, LPCWSTR name,
                                 LPDWORD devices, LPDWORD version, LPLINEINITIALIZEEXPARAMS params) {
        const LONG result = real(app, instance, callback, name, devices, version, params);
        params->Handles.hEvent = nullptr;
        return result;
    };
    EXPECT_EQ(session->Init(TAPI_TEXT("Dialwerk"), nullptr, nullptr, nullptr, nullptr, 0x30000), LINEERR_NOMEM);
    EXPECT_NE(session->GetLineAppHandle(), 0u);
    EXPECT_EQ(session->GetLine(0), nullptr);
    EXPECT_EQ(session->Shutdown(), 0u);
    EXPECT_EQ(tapi.CountOf("lineShutdown"), 1);
    EXPECT_EQ(session->GetLineAppHandle(), 0u);
}

TEST_F(SessionTest, PhoneSideFailureShutsEverythingDown)
{
    tapi.Reset();
    tapi.phoneInitializeExW = [](LPHPHONEAPP, HINSTANCE, PHONECALLBACK, LPCWSTR, LPDWORD, LPDWORD,
                                 LPPHONEINITIALIZEEXPARAMS) { return LONG(PHONEERR_NODRIVER); };
    EXPECT_EQ(session->Init(TAPI_TEXT("Dialwerk"), nullptr, nullptr, nullptr, nullptr, 0x30000), PHONEERR_NODRIVER);
    EXPECT_EQ(session->GetLineAppHandle(), 0u);
    EXPECT_EQ(session->GetPhoneAppHandle(), 0u);
    EXPECT_EQ(session->GetLineCount(), 0u);
    EXPECT_EQ(session->GetLine(0), nullptr);
    EXPECT_EQ(tapi.CountOf("lineShutdown"), 1);
    EXPECT_EQ(session->Init(TAPI_TEXT("Dialwerk"), nullptr, nullptr, nullptr, nullptr, 0x30000), PHONEERR_NODRIVER)
        << "the session can be initialised again";
}

TEST_F(SessionTest, NoPhoneDevicesStillRunsThePhoneThread)
{
    InitSession(1, 0);
    EXPECT_EQ(session->GetPhoneCount(), 0u);
    tapi.PostPhone(0, PHONE_REPLY, 0, 5, PHONEERR_INVALPHONEHANDLE);
    ASSERT_TRUE(tapi.WaitPhoneIdle());
    EXPECT_EQ(session->WaitForReply(5, 60000), PHONEERR_INVALPHONEHANDLE);
}

TEST_F(SessionTest, ShutdownReturnsThePhoneResultAndEmptiesTheSession)
{
    InitSession();
    tapi.phoneShutdown = [real = tapi.phoneShutdown](HPHONEAPP app) {
        real(app);
        return LONG(PHONEERR_INVALAPPHANDLE);
    };
    EXPECT_EQ(session->Shutdown(), PHONEERR_INVALAPPHANDLE);
    EXPECT_EQ(session->GetLine(0), nullptr);
    EXPECT_EQ(session->GetLineCount(), 0u);
    EXPECT_EQ(session->Shutdown(), 0u) << "nothing left to shut down";
}

TEST_F(SessionTest, LineCreateAppendsTheNextIdentifierOnce)
{
    InitSession(2, 1);
    tapi.PostLine(0, LINE_CREATE, 0, 2);
    tapi.PostLine(0, LINE_CREATE, 0, 2); // repeated
    tapi.PostLine(0, LINE_CREATE, 0, 9); // not the next identifier
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(session->GetLineCount(), 3u);
    ASSERT_NE(session->GetLine(2), nullptr);
    EXPECT_EQ(session->GetLine(2)->GetDeviceID(), 2u);
    EXPECT_THAT(HookLog::Entries(), ElementsAre("line 2 OnDeviceCreated"));

    tapi.PostPhone(0, PHONE_CREATE, 0, 1);
    ASSERT_TRUE(tapi.WaitPhoneIdle());
    EXPECT_EQ(session->GetPhoneCount(), 2u);
    EXPECT_EQ(session->GetPhone(1)->GetDeviceID(), 1u);
}

TEST_F(SessionTest, RemoveFlagsTheDeviceAndKeepsEveryLookup)
{
    InitSession(3, 2);
    tapi.PostLine(0, LINE_REMOVE, 0, 1);
    tapi.PostLine(0, LINE_REMOVE, 0, 3); // at the count: ignored
    tapi.PostPhone(0, PHONE_REMOVE, 0, 0);
    tapi.PostPhone(0, PHONE_REMOVE, 0, 7);
    ASSERT_TRUE(tapi.WaitLineIdle());
    ASSERT_TRUE(tapi.WaitPhoneIdle());
    EXPECT_EQ(session->GetLineCount(), 3u);
    ASSERT_NE(session->GetLine(1), nullptr);
    EXPECT_FALSE(session->GetLine(1)->IsValid());
    EXPECT_TRUE(session->GetLine(0)->IsValid());
    EXPECT_TRUE(session->GetLine(2)->IsValid());
    EXPECT_FALSE(session->GetPhone(0)->IsValid());
    EXPECT_TRUE(session->GetPhone(1)->IsValid());
    EXPECT_EQ(session->GetPhoneCount(), 2u);
}

TEST_F(SessionTest, LineCloseAffectsOnlyTheNamedLine)
{
    InitSession(2, 1);
    CTapiLine *first = OpenLine(0);
    CTapiLine *second = OpenLine(1);
    OfferCall(first, 0x51);
    OfferCall(second, 0x52);
    tapi.PostLine(ScriptedTapi::LineHandleOf(1), LINE_CLOSE, CTapiConnection::InstanceOf(1));
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_TRUE(first->IsOpen());
    EXPECT_EQ(first->GetCallCount(), 1u);
    EXPECT_FALSE(second->IsOpen());
    EXPECT_EQ(second->GetCallCount(), 0u);
}

TEST_F(SessionTest, MessagesWithoutAKnownInstanceAreDropped)
{
    InitSession(1, 1);
    CTapiLine *line = OpenLine(0);
    tapi.PostLine(0x60, LINE_CALLSTATE, 0, LINECALLSTATE_OFFERING);
    tapi.PostLine(0x61, LINE_CALLSTATE, CTapiConnection::InstanceOf(5), LINECALLSTATE_OFFERING);
    tapi.PostLine(0x62, LINE_CALLSTATE, 0xDEADBEEFCAFEull, LINECALLSTATE_OFFERING);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(line->GetCallCount(), 0u);
    EXPECT_TRUE(HookLog::Entries().empty());
}

TEST_F(SessionTest, EventThreadPurgesCompletedRequests)
{
    ManualTick tick;
    InitSession(1, 1);
    tapi.PostLine(0, LINE_REPLY, 0, 40, 0);
    ASSERT_TRUE(tapi.WaitLineIdle());
    ASSERT_NE(session->FindRequest(40), nullptr);
    ManualTick::Advance(5001);
    tapi.PostLine(0, LINE_DEVSPECIFIC, 0);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(session->FindRequest(40), nullptr);
}

// A line whose new-call hook blocks until the test lets it go.
class BlockingLine : public CTapiLine {
public:
    static const CTapiClass<CTapiLine> classRecord;
    static inline std::mutex lock;
    static inline std::condition_variable changed;
    static inline bool entered = false;
    static inline bool released = false;
    static inline bool left = false;
    void OnNewCall(CTapiCall *) override
    {
        std::unique_lock guard(lock);
        entered = true;
        changed.notify_all();
        changed.wait(guard, [] { return released; });
        left = true;
        changed.notify_all();
    }
};
const CTapiClass<CTapiLine> BlockingLine::classRecord{"BlockingLine", &TapiCreate<BlockingLine, CTapiLine>};

TEST_F(SessionTest, ShutdownLeavesAStuckEventThreadAfterFiveSecondsWithoutFreeingItsObjects)
{
    ManualTick tick;
    tapi.Reset(1, 1);
    ASSERT_EQ(session->Init(TAPI_TEXT("Dialwerk"), &BlockingLine::classRecord, nullptr, nullptr, nullptr, 0x30000), 0u);
    session->GetLine(0)->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
    tapi.PostLine(0x70, LINE_CALLSTATE, CTapiConnection::InstanceOf(0), LINECALLSTATE_OFFERING);
    {
        std::unique_lock guard(BlockingLine::lock);
        ASSERT_TRUE(
            BlockingLine::changed.wait_for(guard, std::chrono::seconds(10), [] { return BlockingLine::entered; }));
    }
    std::atomic<bool> done{false};
    std::thread clock([&] {
        while (!done) {
            ManualTick::Advance(100);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const DWORD start = TapiGetTickCount();
    session->Shutdown();
    const DWORD waited = TapiElapsed(start, TapiGetTickCount());
    done = true;
    clock.join();
    EXPECT_GE(waited, 5000u);
    EXPECT_LT(waited, 12000u) << "one 5000 ms wait for the stuck line thread";
    EXPECT_EQ(session->GetLine(0), nullptr);
    const int fetches = tapi.CountOf("lineGetMessage");
    {
        std::unique_lock guard(BlockingLine::lock);
        BlockingLine::released = true;
        BlockingLine::changed.notify_all();
        ASSERT_TRUE(BlockingLine::changed.wait_for(guard, std::chrono::seconds(10), [] { return BlockingLine::left; }));
    }
    // The abandoned thread goes on with its (kept) objects and ends at its next fetch.
    for (int i = 0; i < 10000 && tapi.CountOf("lineGetMessage") == fetches; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_GT(tapi.CountOf("lineGetMessage"), fetches);
}

} // namespace
