// The main window over the real runtime and the simulated exchange: how long
// an event takes from the exchange to the screen (a LINE_CALLSTATE until the
// call display shows the new state), and start-up with 1000 line devices
// until the device list is filled.
#include <ui/main/PhoneDlg.h>

#include <app/CMainApp.h>
#include <resources/resource.h>
#include <window/testing/TestEnvironment.h>

#include <tapi32/Runtime.h>

#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "TapiPump.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

exchange::Exchange &Exchange()
{
    return tapi32::Runtime::instance().exchange();
}

bool WaitFor(const std::function<bool()> &condition)
{
    return win::testing::PumpUntil(condition, std::chrono::seconds(10));
}

void EndSession(std::unique_ptr<CPhoneDlg> &window)
{
    if (window)
        window->DestroyWindow();
    window.reset();
    GetTapiConnection()->Shutdown();
    SetTapiMessagePump(nullptr);
}

std::unique_ptr<CPhoneDlg> ShowMainWindow(const QString &preferredLine)
{
    auto window = std::make_unique<CPhoneDlg>(preferredLine);
    GetMainApp().SetMainWnd(window.get());
    window->Create();
    return window;
}

void ReportMedian(benchmark::State &state, std::vector<double> &microseconds)
{
    if (microseconds.empty())
        return;
    std::sort(microseconds.begin(), microseconds.end());
    state.counters["median_us"] = microseconds[microseconds.size() / 2];
    state.counters["max_us"] = microseconds.back();
}

// An incoming call rings; the far end hangs up; the clock runs from the hang-up
// (the exchange raises LINE_CALLSTATE) until the display reads "Disconnected".
void BM_CallStateToScreen(benchmark::State &state)
{
    win::testing::ResetPlatform();
    tapi32::Runtime::instance().resetExchange(exchange::Topology::standard());
    Exchange().recorder().setEnabled(false);
    GetMainApp().StartSession();
    auto window = ShowMainWindow(QStringLiteral("Extension 201"));
    const auto stateText = [&] { return window->GetDlgItemText(IDC_CALLSTATE); };
    std::vector<double> samples;
    for (auto _ : state) {
        const exchange::LegId leg = Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
        if (!WaitFor([&] { return stateText().startsWith(QLatin1String("Offering")); })) {
            state.SkipWithError("the call did not arrive");
            break;
        }
        const auto start = Clock::now();
        Exchange().remoteHangUp(leg);
        if (!WaitFor([&] { return stateText().startsWith(QLatin1String("Disconnected")); })) {
            state.SkipWithError("the state did not reach the screen");
            break;
        }
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        state.SetIterationTime(elapsed.count());
        samples.push_back(elapsed.count() * 1e6);
        CTapiCall *call = window->GetCurrentCall();
        GetTapiConnection()->WaitForReply(call->Drop(), kTapiReplyTimeout);
        WaitFor([&] { return window->GetCalls().empty(); });
    }
    ReportMedian(state, samples);
    EndSession(window);
}
BENCHMARK(BM_CallStateToScreen)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

// The same way without a window: from the hang-up until the call object holds
// the new state, so the window's share of the figure above can be told apart.
void BM_CallStateToObject(benchmark::State &state)
{
    win::testing::ResetPlatform();
    tapi32::Runtime::instance().resetExchange(exchange::Topology::standard());
    Exchange().recorder().setEnabled(false);
    GetMainApp().StartSession();
    GetMainApp().SetMainWindowHandle(win::WindowHandle::Null);
    CTapiLine *line = GetTapiConnection()->GetLine(0);
    line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
    const auto spinUntil = [](const std::function<bool()> &condition) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!condition()) {
            if (Clock::now() > deadline)
                return false;
        }
        return true;
    };
    std::vector<double> samples;
    for (auto _ : state) {
        const exchange::LegId leg = Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
        CTapiCall *call = nullptr;
        if (!spinUntil([&] {
                call = line->GetCallCount() ? line->GetCall(0) : nullptr;
                return call && call->GetCallState() == LINECALLSTATE_OFFERING;
            })) {
            state.SkipWithError("the call did not arrive");
            break;
        }
        const auto start = Clock::now();
        Exchange().remoteHangUp(leg);
        if (!spinUntil([&] { return call->GetCallState() == LINECALLSTATE_DISCONNECTED; })) {
            state.SkipWithError("the state did not arrive");
            break;
        }
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        state.SetIterationTime(elapsed.count());
        samples.push_back(elapsed.count() * 1e6);
        GetTapiConnection()->WaitForReply(call->Drop(), kTapiReplyTimeout);
        spinUntil([&] { return call->GetCallState() == LINECALLSTATE_IDLE; });
        call->Deallocate();
        spinUntil([&] { return line->GetCallCount() == 0; });
    }
    ReportMedian(state, samples);
    std::unique_ptr<CPhoneDlg> none;
    EndSession(none);
}
BENCHMARK(BM_CallStateToObject)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

// Only the window's part: refreshing the display of a call.
void BM_ShowCall(benchmark::State &state)
{
    win::testing::ResetPlatform();
    tapi32::Runtime::instance().resetExchange(exchange::Topology::standard());
    Exchange().recorder().setEnabled(false);
    GetMainApp().StartSession();
    auto window = ShowMainWindow(QStringLiteral("Extension 201"));
    Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
    WaitFor([&] { return window->GetDlgItemText(IDC_CALLSTATE).startsWith(QLatin1String("Offering")); });
    for (auto _ : state)
        window->ShowCall(0);
    EndSession(window);
}
BENCHMARK(BM_ShowCall)->Unit(benchmark::kMicrosecond);

// The window's part with the repaint it causes: two calls in different states
// shown in turn, each followed by the paint of what changed on screen.
void BM_ShowCallAndPaint(benchmark::State &state)
{
    win::testing::ResetPlatform();
    tapi32::Runtime::instance().resetExchange(exchange::Topology::standard());
    Exchange().recorder().setEnabled(false);
    GetMainApp().StartSession();
    auto window = ShowMainWindow(QStringLiteral("Extension 201"));
    const exchange::LegId first = Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
    WaitFor([&] { return window->GetCalls().size() == 1; });
    Exchange().remoteHangUp(first);
    Exchange().incomingCall(0, 0, u"5550111", u"Dora Engel");
    WaitFor([&] { return window->GetCalls().size() == 2; });
    int index = 0;
    for (auto _ : state) {
        window->ShowCall(index);
        index = 1 - index;
        QCoreApplication::sendPostedEvents();
    }
    EndSession(window);
}
BENCHMARK(BM_ShowCallAndPaint)->Unit(benchmark::kMicrosecond);

exchange::Topology ManyLines(int count)
{
    exchange::Topology topology;
    for (int i = 0; i < count; ++i) {
        const std::u16string number = QString::number(10000 + i).toStdU16String();
        topology.lines.push_back(exchange::LineConfig::extension(number, u"Bench User"));
    }
    return topology;
}

// Session start (1000 line devices) and the main window until its device list is filled.
void BM_StartupWith1000Lines(benchmark::State &state)
{
    win::testing::ResetPlatform();
    tapi32::Runtime::instance().resetExchange(ManyLines(1000));
    Exchange().recorder().setEnabled(false);
    std::vector<double> samples;
    double windowSeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        GetMainApp().StartSession();
        const auto sessionUp = Clock::now();
        auto window = ShowMainWindow({});
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        windowSeconds += std::chrono::duration<double>(Clock::now() - sessionUp).count();
        if (window->Items(IDC_DEVICE).GetCount() != 1000) {
            state.SkipWithError("the device list is not filled");
            break;
        }
        state.SetIterationTime(elapsed.count());
        samples.push_back(elapsed.count() * 1e6);
        state.PauseTiming();
        EndSession(window);
        state.ResumeTiming();
    }
    ReportMedian(state, samples);
    state.counters["window_us"] = benchmark::Counter(windowSeconds * 1e6, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartupWith1000Lines)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    win::testing::Application();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
