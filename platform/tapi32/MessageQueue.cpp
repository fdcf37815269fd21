#include "tapi32/MessageQueue.h"

#include <chrono>

namespace tapi32 {

void MessageQueue::push(QueuedMessage m)
{
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
        queue_.push_back(std::move(m));
    }
    cv_.notify_one();
}

MessageQueue::Fetch MessageQueue::pop(QueuedMessage &out, DWORD timeoutMs)
{
    std::unique_lock lock(mutex_);
    auto ready = [this] { return closed_ || !queue_.empty(); };
    if (timeoutMs == INFINITE) {
        cv_.wait(lock, ready);
    } else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        return Fetch::TimedOut;
    }
    if (closed_)
        return Fetch::Closed;
    out = std::move(queue_.front());
    queue_.pop_front();
    return Fetch::Ok;
}

void MessageQueue::close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        queue_.clear();
    }
    cv_.notify_all();
}

size_t MessageQueue::size() const
{
    std::lock_guard lock(mutex_);
    return queue_.size();
}

} // namespace tapi32
