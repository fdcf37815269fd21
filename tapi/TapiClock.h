// The 32-bit millisecond tick of the layer, behind a source that tests replace.
#ifndef DIALWERK_TAPI_TAPICLOCK_H
#define DIALWERK_TAPI_TAPICLOCK_H

#include "TapiPlatform.h"

/// A function returning a 32-bit millisecond tick that wraps around.
using TapiTickSource = DWORD (*)();

/// The current tick: milliseconds of the monotonic clock, wrapping every 49.7 days.
DWORD TapiGetTickCount();

/// Installs another tick source (null restores the monotonic clock) and returns the previous one.
TapiTickSource SetTapiTickSource(TapiTickSource source);

/// Milliseconds from `since` to `now`, correct across one wrap-around of the tick.
inline constexpr DWORD TapiElapsed(DWORD since, DWORD now)
{
    return now - since;
}

#endif
