#ifndef DIALWERK_TAPI_CTAPIEVENT_H
#define DIALWERK_TAPI_CTAPIEVENT_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

/// A manual-reset event: once set it stays set, releasing every waiter, until reset.
class CTapiEvent {
public:
    /// Sets the event and wakes every waiter.
    void Set();
    /// Clears the event.
    void Reset();
    /// Whether the event is set (a wait with a zero time-out).
    bool IsSet() const;
    /// Waits up to `milliseconds` of real time; returns whether the event is set.
    bool WaitFor(std::uint32_t milliseconds) const;
    /// Polls the event for up to `microseconds` without sleeping; returns whether it is set.
    bool SpinFor(std::uint32_t microseconds) const;

private:
    // Guards set_; a leaf lock: nothing else is taken while it is held.
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_ = false;
    // Mirrors set_ for polling without the lock.
    std::atomic<bool> signalled_{false};
};

#endif
