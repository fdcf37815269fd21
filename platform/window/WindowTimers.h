// The timers of one window, by identifier, on the platform clock: real timers
// in real time, due times that `Clock::Advance` fires in manual time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace win {

/// Owned by a window; every member runs on the user-interface thread.
class WindowTimers {
public:
    /// `onTick` receives the identifier of each timer that fires.
    explicit WindowTimers(std::function<void(int)> onTick);
    ~WindowTimers();
    WindowTimers(const WindowTimers &) = delete;
    WindowTimers &operator=(const WindowTimers &) = delete;

    /// Starts timer `id` with a period of `periodMs` (at least 10 ms); an
    /// existing timer with that identifier restarts with the new period.
    void Set(int id, std::uint32_t periodMs);
    /// Stops timer `id`; false when there is none.
    bool Kill(int id);
    void KillAll();
    bool IsSet(int id) const;

    /// Earliest due time among all windows' timers in manual time, if any.
    static std::optional<std::uint64_t> NextDue();
    /// Fires the earliest due timer among all windows and schedules its next tick.
    static void FireNext();
    /// Re-arms every running timer after the clock changed mode.
    static void RearmAll();

private:
    struct Timer {
        int id;
        std::uint32_t period;
        std::uint64_t due;      // manual time of the next tick
        std::uint64_t sequence; // orders timers falling due together
        std::unique_ptr<QTimer> real;
    };

    void Arm(Timer &timer);
    static Timer *Earliest(WindowTimers **owner);

    std::function<void(int)> onTick_;
    std::vector<Timer> timers_;
};

} // namespace win
