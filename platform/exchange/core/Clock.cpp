#include "exchange/core/Clock.h"

namespace exchange {

RealClock::RealClock() : start_(std::chrono::steady_clock::now()) {}

Millis RealClock::now() const
{
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start_);
}

std::chrono::system_clock::time_point RealClock::wallTime() const
{
    return std::chrono::system_clock::now();
}

Millis ManualClock::now() const
{
    return Millis(now_.load());
}

std::chrono::system_clock::time_point ManualClock::wallTime() const
{
    // 2024-01-01 00:00:00 UTC: a fixed origin keeps time stamps reproducible.
    constexpr std::chrono::seconds origin{1704067200};
    return std::chrono::system_clock::time_point(origin) + now();
}

void ManualClock::set(Millis to)
{
    int64_t current = now_.load();
    while (to.count() > current && !now_.compare_exchange_weak(current, to.count())) {
    }
}

} // namespace exchange
