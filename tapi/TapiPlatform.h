// The one place where the object layer meets the platform: the TAPI
// declarations, the wide-text alias and the conversions of TAPI results.
//
// On Windows the platform's own <tapi.h> needs <windows.h> first and spells
// WCHAR as wchar_t; on Linux our <tapi.h> spells it char16_t. Everything above
// this header writes wide text through TAPI_TEXT and tapi_string only.
#ifndef DIALWERK_TAPI_TAPIPLATFORM_H
#define DIALWERK_TAPI_TAPIPLATFORM_H

#ifdef _WIN32
#include <windows.h>
#endif
#include <tapi.h>

#include <string>

#ifdef _WIN32
#define TAPI_TEXT(s) L"" s
#else
#define TAPI_TEXT(s) u"" s
#endif

/// Wide text as TAPI passes it (UTF-16 code units).
using tapi_string = std::basic_string<WCHAR>;

/// The result of a wait that ended without a reply ("Request timeout").
inline constexpr DWORD kTapiNoReply = 0xFFFFFFFF;
/// The time every wait of the layer allows for a reply.
inline constexpr DWORD kTapiReplyTimeout = 60000;
/// The callback instance of a device that is not open; messages carrying it are dropped.
inline constexpr DWORD_PTR kTapiNoInstance = 0;

/// TAPI functions return LONG; the layer compares results as unsigned 32-bit values.
inline DWORD TapiResult(LONG result)
{
    return static_cast<DWORD>(result);
}

/// A value from 1 to 0x80000000 is the identifier of an accepted asynchronous request.
inline constexpr bool IsTapiRequestId(DWORD result)
{
    return result != 0 && result <= 0x80000000u;
}

/// 0x80000001 and above are LINEERR_ / PHONEERR_ codes.
inline constexpr bool IsTapiError(DWORD result)
{
    return result > 0x80000000u;
}

#endif
