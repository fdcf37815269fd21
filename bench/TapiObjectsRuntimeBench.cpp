// The object layer over the real runtime and the simulated exchange, against the
// runtime alone: a request round trip (lineSetCallData on a connected call) and
// Init with 1000 line devices of 4 addresses each.
#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

#include <tapi32/Runtime.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

namespace {

exchange::Exchange &Exchange()
{
    return tapi32::Runtime::instance().exchange();
}

void ResetExchange(exchange::Topology topology = exchange::Topology::standard())
{
    tapi32::Runtime::instance().resetExchange(std::move(topology));
    Exchange().recorder().setEnabled(false);
}

void BM_RoundTripRuntimeAlone(benchmark::State &state)
{
    ResetExchange();
    HLINEAPP app = 0;
    DWORD devices = 0;
    DWORD version = 0x30000;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    lineInitializeExW(&app, nullptr, nullptr, u"bench", &devices, &version, &params);
    HLINE line = 0;
    lineOpenW(app, 0, &line, 0x30000, 0, 0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE, nullptr);
    HCALL call = 0;
    const LONG make = lineMakeCallW(line, &call, u"5550105", 0, nullptr);
    LINEMESSAGE message{};
    while (lineGetMessage(app, &message, 5000) == 0 &&
           !(message.dwMessageID == LINE_REPLY && message.dwParam1 == DWORD_PTR(make))) {
    }
    char data[4] = {1, 2, 3, 4};
    for (auto _ : state) {
        const LONG request = lineSetCallData(call, data, sizeof data);
        while (lineGetMessage(app, &message, 5000) == 0 &&
               !(message.dwMessageID == LINE_REPLY && message.dwParam1 == DWORD_PTR(request))) {
        }
    }
    lineShutdown(app);
}
BENCHMARK(BM_RoundTripRuntimeAlone)->UseRealTime();

void BM_RoundTripObjectLayer(benchmark::State &state)
{
    ResetExchange();
    CTapiConnection *session = GetTapiConnection();
    session->Init(u"bench", nullptr, nullptr, nullptr, nullptr, 0x30000);
    CTapiLine *line = session->GetLine(0);
    line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
    CTapiCall *call = nullptr;
    line->MakeCall(&call, u"5550105");
    char data[4] = {1, 2, 3, 4};
    for (auto _ : state) {
        if (!call || session->WaitForReply(call->SetCallData(data, sizeof data), kTapiReplyTimeout) != 0) {
            state.SkipWithError("request failed");
            break;
        }
    }
    session->Shutdown();
}
BENCHMARK(BM_RoundTripObjectLayer)->UseRealTime();

void BM_InitThousandLinesOnRuntime(benchmark::State &state)
{
    exchange::Topology topology;
    for (int i = 0; i < 1000; ++i) {
        auto line = exchange::LineConfig::extension(u"3" + std::u16string(1, u'0' + i % 10), u"Bench");
        line.name = u"Bench line";
        line.addresses.resize(4, line.addresses.front());
        topology.lines.push_back(std::move(line));
    }
    CTapiConnection *session = GetTapiConnection();
    for (auto _ : state) {
        state.PauseTiming();
        ResetExchange(topology);
        state.ResumeTiming();
        session->Init(u"bench", nullptr, nullptr, nullptr, nullptr, 0x30000);
        state.PauseTiming();
        if (session->GetLineCount() != 1000)
            state.SkipWithError("not every line was created");
        session->Shutdown();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InitThousandLinesOnRuntime)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
