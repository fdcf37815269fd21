// Costs of the object layer over a TAPI that answers at once (the scripted one),
// so that what is measured is the layer itself: a request round trip through the
// event thread, LINE_CALLSTATE delivery to a call's hook, and Init with many devices.
#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "ScriptedTapi.h"

#include <benchmark/benchmark.h>

#include <atomic>

namespace {

ScriptedTapi &tapi = Scripted();

// Issues lineHold and answers it through LINE_REPLY, as a fast provider would.
void ScriptImmediateHold()
{
    tapi.lineHold = [](HCALL) {
        const DWORD request = tapi.NextRequestId() % 0x7FFFFFFF + 1;
        tapi.PostLine(0, LINE_REPLY, 0, request, 0);
        return LONG(request);
    };
}

// The request round trip through the runtime alone: the call, then fetching its
// LINE_REPLY on the same thread.
void BM_RoundTripTapiAlone(benchmark::State &state)
{
    tapi.Reset(1, 0);
    ScriptImmediateHold();
    HLINEAPP app = 0;
    DWORD devices = 0;
    DWORD version = 0x30000;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    lineInitializeExW(&app, nullptr, nullptr, u"bench", &devices, &version, &params);
    for (auto _ : state) {
        const LONG request = lineHold(0x10);
        LINEMESSAGE message{};
        while (lineGetMessage(app, &message, 5000) == 0 &&
               !(message.dwMessageID == LINE_REPLY && message.dwParam1 == DWORD_PTR(request))) {
        }
        benchmark::DoNotOptimize(message);
    }
    lineShutdown(app);
}
BENCHMARK(BM_RoundTripTapiAlone)->UseRealTime();

// The same round trip through the object layer: CTapiCall::Hold, the line event
// thread storing LINE_REPLY, WaitForReply returning.
void BM_RoundTripObjectLayer(benchmark::State &state)
{
    tapi.Reset(1, 0);
    ScriptImmediateHold();
    CTapiConnection *session = GetTapiConnection();
    session->Init(u"bench", nullptr, nullptr, nullptr, nullptr, 0x30000);
    CTapiLine *line = session->GetLine(0);
    line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
    CTapiCall *call = line->AttachCall(0x10);
    for (auto _ : state) {
        const DWORD result = session->WaitForReply(call->Hold(), kTapiReplyTimeout);
        if (result != 0)
            state.SkipWithError("request failed");
    }
    session->Shutdown();
}
BENCHMARK(BM_RoundTripObjectLayer)->UseRealTime();

class CountingCall : public CTapiCall {
public:
    static inline std::atomic<long> states{0};
    void OnStateConnected(DWORD) override { states.fetch_add(1, std::memory_order_relaxed); }
};
const CTapiClass<CTapiCall> countingCall{"CountingCall", &TapiCreate<CountingCall, CTapiCall>};

// LINE_CALLSTATE from the message queue to the call's state hook.
void BM_CallStateEvents(benchmark::State &state)
{
    tapi.Reset(1, 0);
    CTapiConnection *session = GetTapiConnection();
    session->Init(u"bench", nullptr, nullptr, &countingCall, nullptr, 0x30000);
    CTapiLine *line = session->GetLine(0);
    line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
    const long batch = state.range(0);
    for (auto _ : state) {
        for (long i = 0; i < batch; ++i)
            tapi.PostLine(0x10, LINE_CALLSTATE, CTapiConnection::InstanceOf(0), LINECALLSTATE_CONNECTED);
        tapi.WaitLineIdle();
    }
    state.SetItemsProcessed(state.iterations() * batch);
    session->Shutdown();
}
BENCHMARK(BM_CallStateEvents)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);

// Init with 1000 line devices of 4 addresses each (plus Shutdown outside the timing).
void BM_InitThousandLines(benchmark::State &state)
{
    CTapiConnection *session = GetTapiConnection();
    for (auto _ : state) {
        state.PauseTiming();
        tapi.Reset(1000, 0, 4);
        state.ResumeTiming();
        session->Init(u"bench", nullptr, nullptr, nullptr, nullptr, 0x30000);
        state.PauseTiming();
        session->Shutdown();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InitThousandLines)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
