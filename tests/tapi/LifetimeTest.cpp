// Call objects, lines and requests that other threads may still be using: hooks,
// waits and announcements that outlive a release, stale messages, and caches and
// requests shared between the event thread and the user-interface thread.
#include "CTapiAddress.h"
#include "CTapiRequest.h"
#include "TapiTestSession.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A one-shot signal between two threads, with a bounded wait.
class Latch {
public:
    void Open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    bool Wait(std::chrono::milliseconds limit = 10s)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

// A line that does what the main window does with a call already idle when it is
// announced: deallocates it at once.
class ReleasingLine : public CTapiLine {
public:
    static const CTapiClass<CTapiLine> classRecord;
    void OnNewCall(CTapiCall *call) override
    {
        if (call->GetCallState() == LINECALLSTATE_IDLE)
            call->Deallocate();
    }
};
const CTapiClass<CTapiLine> ReleasingLine::classRecord{"ReleasingLine", &TapiCreate<ReleasingLine, CTapiLine>};

// A call whose state hook can be held in the middle, as a window holds the event
// thread while it handles the message the hook sent.
class HeldCall : public CTapiCall {
public:
    static const CTapiClass<CTapiCall> classRecord;
    static inline Latch *entered = nullptr;
    static inline Latch *proceed = nullptr;
    void OnStateChange(DWORD state, DWORD detail, DWORD privilege) override
    {
        if (entered && proceed) {
            entered->Open();
            proceed->Wait();
        }
        // Touches the object after the hold, as a hook does after its send returns.
        CTapiCall::OnStateChange(state, detail, privilege);
    }
};
const CTapiClass<CTapiCall> HeldCall::classRecord{"HeldCall", &TapiCreate<HeldCall, CTapiCall>};

// A line whose announcement of a call takes until it is released.
class SlowLine : public LoggingLine {
public:
    static const CTapiClass<CTapiLine> classRecord;
    static inline Latch *release = nullptr;
    void OnNewCall(CTapiCall *call) override
    {
        LoggingLine::OnNewCall(call);
        if (release)
            release->Wait(20s);
    }
};
const CTapiClass<CTapiLine> SlowLine::classRecord{"SlowLine", &TapiCreate<SlowLine, CTapiLine>};

class LifetimeTest : public ScriptedSessionTest {
protected:
    void InitWith(const CTapiClass<CTapiLine> *lineClass, const CTapiClass<CTapiCall> *callClass)
    {
        tapi.Reset(1, 0, 1);
        ASSERT_EQ(session->Init(TAPI_TEXT("Dialwerk"), lineClass, nullptr, callClass, nullptr, 0x30000), 0u);
    }
    void TearDown() override
    {
        HeldCall::entered = HeldCall::proceed = nullptr;
        ScriptedSessionTest::TearDown();
    }
    void Post(HCALL call, DWORD message, DWORD p1, DWORD p2 = 0, DWORD p3 = 0)
    {
        tapi.PostLine(call, message, CTapiConnection::InstanceOf(0), p1, p2, p3);
    }
};

TEST_F(LifetimeTest, ACallReleasedWhileItIsAnnouncedGetsNoHooksAndIsNotHandedOut)
{
    InitWith(&ReleasingLine::classRecord, nullptr);
    CTapiLine *line = OpenLine(0);
    // Created by an idle report: the announcement deallocates it at once.
    Post(0x30, LINE_CALLSTATE, LINECALLSTATE_IDLE);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(line->GetCallCount(), 0u);
    // Created by the waiting thread itself: the call it would hand out is gone.
    tapi.lineGetCallStatus = [](HCALL, LPLINECALLSTATUS status) {
        status->dwNeededSize = status->dwUsedSize = sizeof(LINECALLSTATUS);
        status->dwCallState = LINECALLSTATE_IDLE;
        return LONG(0);
    };
    EXPECT_EQ(line->AttachCall(0x31), nullptr);
    EXPECT_EQ(tapi.CountOf("lineDeallocateCall"), 2);
}

TEST_F(LifetimeTest, AHookInProgressKeepsItsCallWhenTheLineClosesMeanwhile)
{
    InitWith(nullptr, &HeldCall::classRecord);
    CTapiLine *line = OpenLine(0);
    Latch entered, proceed;
    HeldCall::entered = &entered;
    HeldCall::proceed = &proceed;
    Post(0x40, LINE_CALLSTATE, LINECALLSTATE_CONNECTED);
    ASSERT_TRUE(entered.Wait());
    // "End Session" while the event thread is inside the call's hook.
    EXPECT_EQ(line->Close(), 0u);
    EXPECT_EQ(line->GetCallCount(), 0u);
    proceed.Open();
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(tapi.CountOf("lineDeallocateCall"), 1);
}

TEST_F(LifetimeTest, AnOperationWaitingWhileItsLineClosesAttachesNothing)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiCall *call = OfferCall(line, 0x50, LINECALLSTATE_CONNECTED);
    const DWORD request = tapi.NextRequestId();
    tapi.lineSetupTransferW = [request](HCALL, LPHCALL consult, LPLINECALLPARAMS) {
        *consult = 0x51;
        return LONG(request);
    };
    // While the request waits, the user ends the session; then the reply comes.
    bool closed = false;
    SetTapiMessagePump([&] {
        if (!closed) {
            closed = true;
            line->Close();
            tapi.PostLine(0, LINE_REPLY, 0, request, 0);
        }
        return false;
    });
    CTapiCall *consultation = nullptr;
    EXPECT_EQ(call->SetupTransfer(&consultation), request);
    EXPECT_EQ(consultation, nullptr);
    EXPECT_EQ(line->GetCallCount(), 0u);
}

TEST_F(LifetimeTest, AStateReadFromTheStatusIsNotTakenBackByOlderReports)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    std::atomic<DWORD> current{LINECALLSTATE_BUSY};
    tapi.lineGetCallStatus = [&](HCALL, LPLINECALLSTATUS status) {
        status->dwNeededSize = status->dwUsedSize = sizeof(LINECALLSTATUS);
        status->dwCallState = current.load();
        return LONG(0);
    };
    CTapiCall *call = line->AttachCall(0x60);
    ASSERT_EQ(call->GetCallState(), DWORD{LINECALLSTATE_BUSY});
    // The reports queued before the read, oldest first, then a newer one.
    Post(0x60, LINE_CALLSTATE, LINECALLSTATE_DIALTONE);
    Post(0x60, LINE_CALLSTATE, LINECALLSTATE_DIALING);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(call->GetCallState(), DWORD{LINECALLSTATE_BUSY});
    Post(0x60, LINE_CALLSTATE, LINECALLSTATE_BUSY);
    ASSERT_TRUE(tapi.WaitLineIdle());
    current = LINECALLSTATE_IDLE;
    Post(0x60, LINE_CALLSTATE, LINECALLSTATE_IDLE);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(call->GetCallState(), DWORD{LINECALLSTATE_IDLE});
}

TEST_F(LifetimeTest, ACloseMeantForAnEarlierOpeningLeavesTheLineOpen)
{
    InitSession(1, 0);
    HLINE next = 0x700;
    tapi.lineOpenW = [&](HLINEAPP, DWORD, LPHLINE line, DWORD, DWORD, DWORD_PTR, DWORD, DWORD, LPLINECALLPARAMS) {
        *line = ++next;
        return LONG(0);
    };
    CTapiLine *line = OpenLine(0);
    const HLINE first = line->GetLineHandle();
    ASSERT_EQ(line->Close(), 0u);
    ASSERT_EQ(line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    tapi.PostLine(first, LINE_CLOSE, CTapiConnection::InstanceOf(0));
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_TRUE(line->IsOpen());
    tapi.PostLine(line->GetLineHandle(), LINE_CLOSE, CTapiConnection::InstanceOf(0));
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_FALSE(line->IsOpen());
}

TEST_F(LifetimeTest, MessagesLeftOverFromAnEarlierOpeningCreateNoCalls)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    ASSERT_EQ(line->Close(), 0u);
    Post(0xB0, LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(line->GetCallCount(), 0u) << "a closed line";
    // Open again: TAPI no longer knows the earlier opening's call, or names another line.
    ASSERT_EQ(line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    tapi.lineGetCallInfoW = [](HCALL call, LPLINECALLINFO info) {
        if (call == 0xB0)
            return LONG(LINEERR_INVALCALLHANDLE);
        info->dwNeededSize = info->dwUsedSize = sizeof(LINECALLINFO);
        info->hLine = call == 0xB1 ? 0x999 : ScriptedTapi::LineHandleOf(0);
        return LONG(0);
    };
    Post(0xB0, LINE_CALLSTATE, LINECALLSTATE_IDLE);
    Post(0xB1, LINE_APPNEWCALL, 0, 0xB1);
    Post(0xB2, LINE_CALLSTATE, LINECALLSTATE_OFFERING);
    ASSERT_TRUE(tapi.WaitLineIdle());
    ASSERT_EQ(line->GetCallCount(), 1u);
    EXPECT_EQ(line->GetCall(0)->GetCallHandle(), 0xB2u);
}

TEST_F(LifetimeTest, DevicesAddedOrRemovedWhileTheSessionStartsAreNotLost)
{
    tapi.Reset(2, 0, 1);
    const auto initialize = tapi.lineInitializeExW;
    tapi.lineInitializeExW = [&](LPHLINEAPP app, HINSTANCE instance, LINECALLBACK callback, LPCWSTR name,
                                 LPDWORD devices, LPDWORD version, LPLINEINITIALIZEEXPARAMS params) {
        const LONG result = initialize(app, instance, callback, name, devices, version, params);
        tapi.PostLine(0, LINE_REMOVE, 0, 1);
        tapi.PostLine(0, LINE_CREATE, 0, 2);
        return result;
    };
    // The lines are being made when the event thread has both messages in hand.
    const auto negotiate = tapi.lineNegotiateAPIVersion;
    tapi.lineNegotiateAPIVersion = [&](HLINEAPP app, DWORD device, DWORD low, DWORD high, LPDWORD version,
                                       LPLINEEXTENSIONID extension) {
        for (int tries = 0; device == 0 && tries < 200; ++tries) {
            {
                std::lock_guard lock(tapi.lineQueue.mutex);
                if (tapi.lineQueue.messages.size() <= 1)
                    break;
            }
            std::this_thread::sleep_for(10ms);
        }
        return negotiate(app, device, low, high, version, extension);
    };
    ASSERT_EQ(session->Init(TAPI_TEXT("Dialwerk"), nullptr, nullptr, nullptr, nullptr, 0x30000), 0u);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(session->GetLineCount(), 3u);
    ASSERT_NE(session->GetLine(1), nullptr);
    EXPECT_FALSE(session->GetLine(1)->IsValid());
}

TEST_F(LifetimeTest, ACompletionIdIsNotWrittenAfterItsWaitGaveUp)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiCall *call = OfferCall(line, 0x80, LINECALLSTATE_BUSY);
    const DWORD request = tapi.NextRequestId();
    tapi.lineCompleteCall = [request](HCALL, LPDWORD id, DWORD, DWORD) {
        *id = 0x1234;
        return LONG(request);
    };
    auto storage = std::make_unique<DWORD>(0);
    ASSERT_EQ(call->CompleteCall(storage.get(), LINECALLCOMPLMODE_CAMPON, 0), request);
    ManualTick tick;
    ManualTick::Set(1000);
    SetTapiMessagePump([] {
        ManualTick::Advance(100);
        return false;
    });
    EXPECT_EQ(session->WaitForReply(request, 500), kTapiNoReply);
    // The caller has gone; the reply comes late and somebody waits on it again.
    storage.reset();
    tapi.PostLine(0, LINE_REPLY, 0, request, 0);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(session->WaitForReply(request, 500), 0u);
}

TEST_F(LifetimeTest, AgentProbesAreNotPendingRequests)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    tapi.lineGetAgentStatusW = [this](HLINE, DWORD, LPLINEAGENTSTATUS) { return LONG(tapi.NextRequestId()); };
    EXPECT_TRUE(line->GetAddress(0)->IsAgentSupported());
    EXPECT_EQ(session->GetPendingRequestCount(), 0u);
}

TEST_F(LifetimeTest, ASlowAnnouncementHoldsUpTheEventThreadOnceNotPerMessage)
{
    InitWith(&SlowLine::classRecord, &LoggingCall::classRecord);
    CTapiLine *line = OpenLine(0);
    Latch announced;
    SlowLine::release = &announced;
    // While this thread announces the call it created, four reports of it queue up.
    const auto start = std::chrono::steady_clock::now();
    std::thread reporter([&] {
        while (!line->FindCall(0x91))
            std::this_thread::sleep_for(1ms);
        for (DWORD state : {LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                            LINECALLSTATE_RINGBACK})
            Post(0x91, LINE_CALLSTATE, state);
        const auto handledAll = [] {
            int count = 0;
            for (const std::string &entry : HookLog::Entries())
                count += entry.rfind("call 0x91 OnStateChange", 0) == 0;
            return count == 4;
        };
        while (!handledAll() && std::chrono::steady_clock::now() - start < 15s)
            std::this_thread::sleep_for(10ms);
        announced.Open();
    });
    line->AttachCall(0x91);
    reporter.join();
    SlowLine::release = nullptr;
    // The event thread gave the announcement its 5 s once, then went on.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 12s);
}

TEST_F(LifetimeTest, OfTwoOverlappingReadsTheLaterAnswerStaysCached)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiCall *call = OfferCall(line, 0xA0, LINECALLSTATE_CONNECTED);
    Latch firstAsked, secondAnswered;
    std::atomic<DWORD> asked{0};
    tapi.lineGetCallInfoW = [&](HCALL, LPLINECALLINFO info) {
        const DWORD number = ++asked;
        if (number == 1) {
            firstAsked.Open();
            secondAnswered.Wait();
        }
        info->dwNeededSize = info->dwUsedSize = sizeof(LINECALLINFO);
        info->dwCallID = number;
        return LONG(0);
    };
    // The event thread re-reads after a LINE_CALLINFO while a window reads too.
    std::thread older([&] { call->GetCallInfo(true); });
    ASSERT_TRUE(firstAsked.Wait());
    EXPECT_EQ(call->GetCallInfo(true)->dwCallID, 2u);
    secondAnswered.Open();
    older.join();
    EXPECT_EQ(call->GetCallInfo(false)->dwCallID, 2u);
}

TEST_F(LifetimeTest, AnEventThreadWhoseFetchKeepsFailingPausesBetweenTries)
{
    InitSession(1, 0);
    std::atomic<int> failures{0};
    const auto fetch = tapi.lineGetMessage;
    tapi.Script(&ScriptedTapiHandlers::lineGetMessage,
                [&, fetch](HLINEAPP app, LPLINEMESSAGE message, DWORD timeout) {
                    if (failures.load() < 8) {
                        ++failures;
                        return LONG(LINEERR_NOMEM);
                    }
                    return fetch(app, message, timeout);
                });
    const auto start = std::chrono::steady_clock::now();
    // Wakes the thread from the fetch it is in, so the next ones fail.
    tapi.PostLine(0, LINE_REPLY, 0, 0x7777, 0);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(failures.load(), 8);
    // Eight failures in a row pause 1 + 2 + ... + 128 ms in all, instead of spinning.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
}

} // namespace
