// The runtime alone: a request's round trip to its LINE_REPLY (without and
// with the TAPI trace on), messages through one application queue, and
// start-up with 1000 line devices.
#include <tapi32/Runtime.h>
#include <tapitrace/TraceLog.h>

#include <benchmark/benchmark.h>
#include <tapi.h>

namespace {

HLINEAPP initialise(DWORD &devices)
{
    HLINEAPP app = 0;
    DWORD version = 0x00030000;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    lineInitializeExW(&app, nullptr, nullptr, u"Bench", &devices, &version, &params);
    return app;
}

void useStandardExchange()
{
    tapi32::Runtime::instance().resetExchange(exchange::Topology::standard());
    tapi32::Runtime::instance().exchange().recorder().setEnabled(false);
}

// lineReleaseUserUserInfo on a connected call with nothing to release: a
// request with a reply and no other message. Argument 1: with the trace on
// (decoded into the trace log, as the trace window sees it).
void RequestRoundTrip(benchmark::State &state)
{
    useStandardExchange();
    if (state.range(0) == 1)
        tapitrace::StartTrace();
    DWORD devices = 0;
    HLINEAPP app = initialise(devices);
    HLINE line = 0;
    lineOpenW(app, 0, &line, 0x00030000, 0, 0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE, nullptr);
    HCALL call = 0;
    lineMakeCallW(line, &call, u"5550105", 0, nullptr);
    LINEMESSAGE m{};
    while (lineGetMessage(app, &m, 1000) == 0 &&
           !(m.dwMessageID == LINE_CALLSTATE && m.dwParam1 == LINECALLSTATE_CONNECTED)) {
    }
    for (auto _ : state) {
        const LONG id = lineReleaseUserUserInfo(call);
        do {
            if (lineGetMessage(app, &m, 1000) != 0) {
                state.SkipWithError("no reply");
                break;
            }
        } while (m.dwMessageID != LINE_REPLY || m.dwParam1 != DWORD_PTR(id));
    }
    lineShutdown(app);
    tapitrace::StopTrace();
}
BENCHMARK(RequestRoundTrip)->Arg(0)->Arg(1)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();

// Line states raised by the exchange, fetched by one application.
void QueueThroughput(benchmark::State &state)
{
    useStandardExchange();
    DWORD devices = 0;
    HLINEAPP app = initialise(devices);
    HLINE line = 0;
    lineOpenW(app, 0, &line, 0x00030000, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr);
    lineSetStatusMessages(line, LINEDEVSTATE_OTHER, 0);
    exchange::Exchange &ex = tapi32::Runtime::instance().exchange();
    constexpr int batch = 1000;
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i)
            ex.raiseLineState(0, LINEDEVSTATE_OTHER);
        LINEMESSAGE m{};
        for (int i = 0; i < batch; ++i)
            lineGetMessage(app, &m, 1000);
    }
    state.SetItemsProcessed(state.iterations() * batch);
    lineShutdown(app);
}
BENCHMARK(QueueThroughput)->UseRealTime();

// What a session does at start-up: initialise, then negotiate and read the
// capabilities of every one of 1000 line devices.
void StartUpWith1000Lines(benchmark::State &state)
{
    exchange::Topology t;
    for (int i = 0; i < 1000; ++i)
        t.lines.push_back(exchange::LineConfig::extension(std::u16string(u"1") + char16_t(u'0' + i % 10) +
                                                              std::u16string(1, char16_t(u'0' + i / 10 % 10)) +
                                                              char16_t(u'0' + i / 100),
                                                          u"Bench"));
    tapi32::Runtime::instance().resetExchange(std::move(t));
    tapi32::Runtime::instance().exchange().recorder().setEnabled(false);
    std::vector<uint8_t> buffer(1316);
    for (auto _ : state) {
        DWORD devices = 0;
        HLINEAPP app = initialise(devices);
        for (DWORD id = 0; id < devices; ++id) {
            DWORD version = 0;
            LINEEXTENSIONID ext{};
            lineNegotiateAPIVersion(app, id, 0x00010003, 0x00030001, &version, &ext);
            auto *caps = reinterpret_cast<LINEDEVCAPS *>(buffer.data());
            caps->dwTotalSize = DWORD(buffer.size());
            lineGetDevCapsW(app, id, version, 0, caps);
        }
        lineShutdown(app);
        if (devices != 1000)
            state.SkipWithError("wrong device count");
    }
}
BENCHMARK(StartUpWith1000Lines)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
