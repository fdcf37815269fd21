#include "CTapiEvent.h"

#include <chrono>
#include <thread>

void CTapiEvent::Set()
{
    {
        std::lock_guard lock(mutex_);
        set_ = true;
        signalled_.store(true, std::memory_order_release);
    }
    changed_.notify_all();
}

void CTapiEvent::Reset()
{
    std::lock_guard lock(mutex_);
    set_ = false;
    signalled_.store(false, std::memory_order_release);
}

bool CTapiEvent::IsSet() const
{
    std::lock_guard lock(mutex_);
    return set_;
}

bool CTapiEvent::WaitFor(std::uint32_t milliseconds) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return set_; });
}

bool CTapiEvent::SpinFor(std::uint32_t microseconds) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    do {
        if (signalled_.load(std::memory_order_acquire))
            return IsSet();
        std::this_thread::yield();
    } while (std::chrono::steady_clock::now() < until);
    return IsSet();
}
