// The window platform's clock: the tick count the windows read and the time
// their timers run on. Tests switch it to manual mode and advance it, so timers
// fire deterministically and nothing sleeps.
#pragma once

#include <cstdint>

namespace win {

class Clock {
public:
    /// Milliseconds of the clock, wrapping at 2^32 like the platform tick count. Any thread.
    static std::uint32_t GetTickCount();
    /// Milliseconds of the clock without wrapping. Any thread.
    static std::uint64_t Now();

    /// Switches to manual time starting at `startTick`; running window timers
    /// are re-armed to fire one period from now. User-interface thread.
    static void SetManual(std::uint32_t startTick = 0);
    /// Switches back to real time; running window timers re-arm on real timers.
    static void SetReal();
    static bool IsManual();

    /// Manual mode: moves time forward by `ms`, firing every window timer that
    /// falls due on the way in time order (each tick sees the clock at its due
    /// time). Real mode: does nothing. User-interface thread.
    static void Advance(std::uint32_t ms);

    /// Blocks the calling thread for `ms` without handling messages. Manual
    /// mode: time moves forward by `ms` at once and timers falling due fire at
    /// the next `Advance`, as a sleeping window thread handles no timer.
    static void Sleep(std::uint32_t ms);
};

/// The platform tick count: `Clock::GetTickCount()`.
inline std::uint32_t GetTickCount()
{
    return Clock::GetTickCount();
}

/// Sleeps without handling messages: `Clock::Sleep(ms)`.
inline void Sleep(std::uint32_t ms)
{
    Clock::Sleep(ms);
}

} // namespace win
