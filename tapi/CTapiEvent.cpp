#include "CTapiEvent.h"

#include <chrono>

void CTapiEvent::Set()
{
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    changed_.notify_all();
}

void CTapiEvent::Reset()
{
    std::lock_guard lock(mutex_);
    set_ = false;
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
