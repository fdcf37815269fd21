#include <app/CallTime.h>

namespace {

WallClockSource &Source()
{
    static WallClockSource source;
    return source;
}

} // namespace

void SetWallClockSource(WallClockSource source)
{
    Source() = std::move(source);
}

std::chrono::system_clock::time_point WallClockNow()
{
    const WallClockSource &source = Source();
    return source ? source() : std::chrono::system_clock::now();
}

std::int64_t SecondsSince(const SYSTEMTIME &utc)
{
    using namespace std::chrono;
    const year_month_day date{year(utc.wYear), month(utc.wMonth), day(utc.wDay)};
    if (!date.ok() || utc.wHour > 23 || utc.wMinute > 59 || utc.wSecond > 59)
        return 0;
    // Both times are UTC, so a change of daylight saving time in between
    // does not add or take away an hour.
    const sys_seconds entered = sys_days(date) + hours(utc.wHour) + minutes(utc.wMinute) + seconds(utc.wSecond);
    // In whole seconds: a provider's year may lie thousands of years away, beyond what
    // the clock's nanoseconds can hold.
    const auto elapsed = (floor<seconds>(WallClockNow()) - entered).count();
    return elapsed > 0 ? elapsed : 0;
}

QString FormatElapsedTime(std::int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QString::asprintf("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600 % 24),
                             static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
}
