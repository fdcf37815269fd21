// Small helpers shared by the TAPI function implementations.
#ifndef DIALWERK_TAPI32_APISUPPORT_H
#define DIALWERK_TAPI32_APISUPPORT_H

#include "tapi32/ApiCall.h"
#include "tapi32/Runtime.h"

#include <exchange/Exchange.h>

#include <tapi.h>

#include <algorithm>

namespace tapi32 {

/// The API versions this runtime supports.
constexpr DWORD kLowestVersion = 0x00010003;
constexpr DWORD kHighestVersion = 0x00030000;

inline Runtime &runtime()
{
    return Runtime::instance();
}

inline exchange::Exchange &exchangeOf()
{
    return Runtime::instance().exchange();
}

/// The versions a device supports, within the runtime's own range.
struct VersionRange {
    bool exists = false;
    bool removed = false; // the device was removed: it serves nobody
    DWORD low = 0;
    DWORD high = 0;
    bool contains(DWORD v) const { return exists && !removed && v >= low && v <= high; }
};

inline VersionRange lineVersions(DWORD device)
{
    return exchangeOf().inspect([&](const exchange::Switchboard &b) {
        const exchange::Line *l = b.line(device);
        if (!l)
            return VersionRange{};
        return VersionRange{true, l->removed(), std::max(kLowestVersion, l->config().lowestVersion),
                            std::min(kHighestVersion, l->config().highestVersion)};
    });
}

inline VersionRange phoneVersions(DWORD device)
{
    return exchangeOf().inspect([&](const exchange::Switchboard &b) {
        const exchange::Phone *p = b.phone(device);
        if (!p)
            return VersionRange{};
        return VersionRange{true, p->removed(), std::max(kLowestVersion, p->config().lowestVersion),
                            std::min(kHighestVersion, p->config().highestVersion)};
    });
}

/// Checks an application handle, a device and the version and extension
/// version asked for it, in TAPI's order; answers 0 or the error code.
/// `appValid` says whether the application handle is valid.
inline LONG checkDeviceRequest(bool phone, bool appValid, const VersionRange &range, DWORD version, DWORD extVersion)
{
    if (!appValid)
        return phone ? PHONEERR_INVALAPPHANDLE : LINEERR_INVALAPPHANDLE;
    if (!range.exists)
        return phone ? PHONEERR_BADDEVICEID : LINEERR_BADDEVICEID;
    if (range.removed)
        return phone ? PHONEERR_NODEVICE : LINEERR_NODEVICE;
    if (!range.contains(version))
        return phone ? PHONEERR_INCOMPATIBLEAPIVERSION : LINEERR_INCOMPATIBLEAPIVERSION;
    if (extVersion != 0)
        return phone ? PHONEERR_INCOMPATIBLEEXTVERSION : LINEERR_INCOMPATIBLEEXTVERSION;
    return 0;
}

/// A synchronous function's armed fault code, or 0.
inline LONG syncFault(const ApiCall &call)
{
    return call.fault().result.value_or(0);
}

/// Negotiates a version in [low, high] with a device range (0 on failure).
inline DWORD negotiate(const VersionRange &r, DWORD low, DWORD high)
{
    if (low > high || high < r.low || low > r.high)
        return 0;
    return std::min(high, r.high);
}

} // namespace tapi32

#endif
