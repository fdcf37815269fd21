#include "tapi32/Trace.h"

#include <atomic>
#include <mutex>

namespace tapi32 {

namespace {

// Guards sink; tracing mirrors whether sink is set, for the lock-free check.
std::mutex sinkMutex;
std::shared_ptr<TraceSink> sink;
std::atomic<bool> tracing{false};

} // namespace

void SetTraceSink(std::shared_ptr<TraceSink> next)
{
    std::lock_guard lock(sinkMutex);
    sink = std::move(next);
    tracing.store(sink != nullptr, std::memory_order_relaxed);
}

bool Tracing()
{
    return tracing.load(std::memory_order_relaxed);
}

std::shared_ptr<TraceSink> CurrentTraceSink()
{
    std::lock_guard lock(sinkMutex);
    return sink;
}

} // namespace tapi32
