// The main window over the real runtime and the simulated exchange, for a long
// run: calls made or taken, answered and hung up through the window's buttons,
// and what is left afterwards: resident memory and live heap grown (set
// DIALWERK_SOAK_CALLS for another number of calls), call handles the
// runtime still holds for the dialer, call objects and requests left over.
#include <ui/main/PhoneDlg.h>

#include <app/CMainApp.h>
#include <resources/resource.h>
#include <window/testing/TestEnvironment.h>
#include <window/testing/UserInput.h>

#include <tapi32/Registry.h>
#include <tapi32/Runtime.h>

#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "TapiPump.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>

namespace {

exchange::Exchange &Exchange()
{
    return tapi32::Runtime::instance().exchange();
}

bool WaitFor(const std::function<bool()> &condition)
{
    return win::testing::PumpUntil(condition, std::chrono::seconds(10));
}

// Resident set size of this process, in KiB.
long ResidentKiB()
{
    long pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Bytes the program holds on the heap now (all malloc arenas, mapped blocks
// included): unlike the resident size, this does not count memory the
// allocator keeps for reuse after it was freed.
long LiveHeapKiB()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

// The number of calls to make after the warm-up: DIALWERK_SOAK_CALLS, else 10,000.
int CallCount()
{
    const char *value = std::getenv("DIALWERK_SOAK_CALLS");
    const int count = value ? std::atoi(value) : 0;
    return count > 0 ? count : 10000;
}

// Call handles the runtime holds for all applications.
std::size_t RuntimeCallHandles()
{
    tapi32::Registry &registry = tapi32::Runtime::instance().registry();
    std::lock_guard lock(registry.mutex);
    return registry.calls.size();
}

// One call through the buttons: even ones are made to a number that answers at
// once, odd ones come in and are answered; each is hung up. False when a step
// did not show on screen in time.
bool OneCall(CPhoneDlg &window, int index)
{
    const auto state = [&] { return window.GetDlgItemText(IDC_CALLSTATE); };
    if (index % 2 == 0) {
        if (!win::testing::TypeText(window, IDC_NUMBER, QStringLiteral("5550105")) ||
            !win::testing::Click(window, IDC_MAKECALL))
            return false;
    } else {
        Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
        if (!WaitFor([&] { return state().startsWith(QLatin1String("Offering")); }) ||
            !win::testing::Click(window, IDC_ANSWER))
            return false;
    }
    return WaitFor([&] { return state().startsWith(QLatin1String("Connected")); }) &&
           win::testing::Click(window, IDC_HANGUP) && WaitFor([&] { return window.GetCalls().empty(); });
}

void BM_TenThousandCalls(benchmark::State &state)
{
    win::testing::ResetPlatform();
    tapi32::Runtime::instance().resetExchange(exchange::Topology::standard());
    Exchange().recorder().setEnabled(false);
    GetMainApp().StartSession();
    auto window = std::make_unique<CPhoneDlg>(QStringLiteral("Extension 201"));
    GetMainApp().SetMainWnd(window.get());
    window->Create();
    constexpr int kWarmUp = 200;
    const int calls = CallCount();
    long before = 0, heapBefore = 0;
    for (auto _ : state) {
        for (int i = 0; i < kWarmUp + calls; ++i) {
            if (i == kWarmUp) {
                before = ResidentKiB();
                heapBefore = LiveHeapKiB();
            }
            if (!OneCall(*window, i)) {
                state.SkipWithError("a call did not go through");
                break;
            }
        }
    }
    CTapiLine *line = GetTapiConnection()->GetLine(0);
    state.counters["rss_growth_kib"] = static_cast<double>(ResidentKiB() - before);
    state.counters["heap_growth_kib"] = static_cast<double>(LiveHeapKiB() - heapBefore);
    state.counters["calls"] = static_cast<double>(calls);
    state.counters["handles_left"] = static_cast<double>(RuntimeCallHandles());
    state.counters["call_objects_left"] = static_cast<double>(line ? line->GetCallCount() : 0);
    state.counters["pending_requests"] = static_cast<double>(GetTapiConnection()->GetPendingRequestCount());
    window->DestroyWindow();
    window.reset();
    GetTapiConnection()->Shutdown();
    SetTapiMessagePump(nullptr);
}
BENCHMARK(BM_TenThousandCalls)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    win::testing::Application();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
