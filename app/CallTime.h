// How long a call has been in its state: the wall clock the windows read
// (which tests point at the simulated exchange's clock) and the elapsed-time
// text of the call display and the consultation window. User-interface thread.
#pragma once

#include <tapi.h>

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

using WallClockSource = std::function<std::chrono::system_clock::time_point()>;

/// Replaces the wall clock (an empty source restores the system clock).
void SetWallClockSource(WallClockSource source);
/// The current time, UTC.
std::chrono::system_clock::time_point WallClockNow();

/// Whole seconds from a UTC time stamp (LINECALLSTATUS tStateEntryTime) to
/// now; 0 when the stamp is not a valid date or lies in the future.
std::int64_t SecondsSince(const SYSTEMTIME &utc);

/// Hours within the day, minutes and seconds, two digits each, joined by
/// colons: 90061 seconds (1 day, 1 h, 1 min, 1 s) read "01:01:01".
QString FormatElapsedTime(std::int64_t seconds);
