#include "TapiClock.h"

#include <atomic>
#include <chrono>

namespace {

DWORD SteadyTick()
{
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::atomic<TapiTickSource> tickSource{&SteadyTick};

} // namespace

DWORD TapiGetTickCount()
{
    return tickSource.load(std::memory_order_acquire)();
}

TapiTickSource SetTapiTickSource(TapiTickSource source)
{
    return tickSource.exchange(source ? source : &SteadyTick, std::memory_order_acq_rel);
}
