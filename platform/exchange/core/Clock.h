// The exchange's sense of time: a millisecond counter that drives timers and
// the wall-clock time stamped into call status.
#ifndef DIALWERK_EXCHANGE_CORE_CLOCK_H
#define DIALWERK_EXCHANGE_CORE_CLOCK_H

#include <atomic>
#include <chrono>
#include <cstdint>

namespace exchange {

using Millis = std::chrono::milliseconds;

/// Source of time for the exchange. Implementations are thread-safe.
class Clock {
public:
    virtual ~Clock() = default;
    /// Milliseconds since the clock's start; never decreases.
    virtual Millis now() const = 0;
    /// Wall-clock time for time stamps (tStateEntryTime).
    virtual std::chrono::system_clock::time_point wallTime() const = 0;
    /// True when time only moves through advance(): the exchange thread then
    /// never waits for a deadline on its own.
    virtual bool manual() const = 0;
};

/// Real time from the steady clock.
class RealClock final : public Clock {
public:
    RealClock();
    Millis now() const override;
    std::chrono::system_clock::time_point wallTime() const override;
    bool manual() const override { return false; }

private:
    std::chrono::steady_clock::time_point start_;
};

/// Time that moves only when a test says so. Starts at 0 ms, which is
/// 2024-01-01 00:00:00 UTC on the wall clock.
class ManualClock final : public Clock {
public:
    Millis now() const override;
    std::chrono::system_clock::time_point wallTime() const override;
    bool manual() const override { return true; }
    /// Sets the time; earlier values than the current one are ignored.
    void set(Millis to);

private:
    std::atomic<int64_t> now_{0};
};

} // namespace exchange

#endif
