#include <window/Clock.h>

#include <window/WindowTimers.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace win {

namespace {

std::atomic<bool> manual{false};
std::atomic<std::uint64_t> manualNow{0};

std::uint64_t RealNow()
{
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

} // namespace

std::uint32_t Clock::GetTickCount()
{
    return static_cast<std::uint32_t>(Now());
}

std::uint64_t Clock::Now()
{
    return manual.load() ? manualNow.load() : RealNow();
}

void Clock::SetManual(std::uint32_t startTick)
{
    manualNow.store(startTick);
    manual.store(true);
    WindowTimers::RearmAll();
}

void Clock::SetReal()
{
    manual.store(false);
    WindowTimers::RearmAll();
}

bool Clock::IsManual()
{
    return manual.load();
}

void Clock::Advance(std::uint32_t ms)
{
    if (!manual.load())
        return;
    const std::uint64_t target = manualNow.load() + ms;
    while (auto due = WindowTimers::NextDue()) {
        if (*due > target)
            break;
        // Overdue timers (after a manual Sleep) fire now; time never goes back.
        if (*due > manualNow.load())
            manualNow.store(*due);
        WindowTimers::FireNext();
    }
    manualNow.store(target);
}

void Clock::Sleep(std::uint32_t ms)
{
    if (manual.load()) {
        manualNow.fetch_add(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace win
