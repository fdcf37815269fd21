// Moving calls between addresses: park, unpark, pickup and redirect.
#include "tapi32/ApiSupport.h"
#include "tapi32/CallRequest.h"
#include "tapi32/StructWriter.h"

#include <exchange/features/Parking.h>

#include <optional>

using namespace tapi32;
using exchange::LegId;
using exchange::Parking;
using exchange::Switchboard;

namespace {

/// An optional text argument, read into `out` when present.
LONG readOptional(LPCWSTR text, std::optional<std::u16string> &out)
{
    if (!text)
        return 0;
    out.emplace();
    return readText(text, *out, false);
}

} // namespace

extern "C" {

LONG WINAPI lineParkW(HCALL hCall, DWORD dwParkMode, LPCWSTR lpszDirAddress, LPVARSTRING lpNonDirAddress)
{
    ApiCall call("lineParkW");
    call.num("hCall", hCall).num("dwParkMode", dwParkMode).text("lpszDirAddress", lpszDirAddress);
    call.ptr("lpNonDirAddress", lpNonDirAddress);
    LegId leg = 0;
    PendingRequest pending;
    if (LONG r = ownedCall(call, hCall, leg, pending))
        return call.done(r);
    std::u16string slot;
    if (dwParkMode == LINEPARKMODE_DIRECTED) {
        if (LONG r = readText(lpszDirAddress, slot, false))
            return call.done(r);
    } else if (dwParkMode == LINEPARKMODE_NONDIRECTED) {
        if (!lpNonDirAddress)
            return call.done(LINEERR_INVALPOINTER);
        if (totalSizeOf(lpNonDirAddress) < sizeof(VARSTRING))
            return call.done(LINEERR_STRUCTURETOOSMALL);
        pending.outText = lpNonDirAddress;
    } else {
        return call.done(LINEERR_INVALPARKMODE);
    }
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().requestCreating(
            tag, [=](const Switchboard &b) { return b.parking().checkPark(leg, dwParkMode, slot); },
            [=](Switchboard &b, uint32_t id) { b.parking().park(id, leg, dwParkMode, slot); });
    }));
}

LONG WINAPI lineUnparkW(HLINE hLine, DWORD dwAddressID, LPHCALL lphCall, LPCWSTR lpszDestAddress)
{
    ApiCall call("lineUnparkW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lphCall", lphCall);
    call.text("lpszDestAddress", lpszDestAddress);
    PendingRequest pending;
    if (LONG r = requestLine(call, hLine, pending))
        return call.done(r);
    if (!lphCall)
        return call.done(LINEERR_INVALPOINTER);
    std::u16string slot;
    if (LONG r = readText(lpszDestAddress, slot, false))
        return call.done(r);
    pending.outCalls[0] = lphCall;
    const DWORD device = pending.device;
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().requestCreating(
            tag, [=](const Switchboard &b) { return b.parking().checkUnpark(device, dwAddressID, slot); },
            [=](Switchboard &b, uint32_t id) { b.parking().unpark(id, device, dwAddressID, slot); });
    }));
}

LONG WINAPI linePickupW(HLINE hLine, DWORD dwAddressID, LPHCALL lphCall, LPCWSTR lpszDestAddress, LPCWSTR lpszGroupID)
{
    ApiCall call("linePickupW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lphCall", lphCall);
    call.text("lpszDestAddress", lpszDestAddress).text("lpszGroupID", lpszGroupID);
    PendingRequest pending;
    if (LONG r = requestLine(call, hLine, pending))
        return call.done(r);
    if (!lphCall)
        return call.done(LINEERR_INVALPOINTER);
    std::optional<std::u16string> dest, group;
    if (LONG r = readOptional(lpszDestAddress, dest))
        return call.done(r);
    if (LONG r = readOptional(lpszGroupID, group))
        return call.done(r);
    // An empty number names nobody: pick up by group, if one is given.
    if (dest && dest->empty())
        dest.reset();
    pending.outCalls[0] = lphCall;
    const DWORD device = pending.device;
    auto ptr = [](const std::optional<std::u16string> &s) { return s ? &*s : nullptr; };
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().requestCreating(
            tag,
            [=](const Switchboard &b) { return b.parking().checkPickup(device, dwAddressID, ptr(dest), ptr(group)); },
            [=](Switchboard &b, uint32_t id) { b.parking().pickup(id, device, dwAddressID, ptr(dest), ptr(group)); });
    }));
}

LONG WINAPI lineRedirectW(HCALL hCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode)
{
    ApiCall call("lineRedirectW");
    call.num("hCall", hCall).text("lpszDestAddress", lpszDestAddress).num("dwCountryCode", dwCountryCode);
    std::u16string dest;
    if (LONG r = readText(lpszDestAddress, dest, false))
        return call.done(r);
    return callRequest(
        call, hCall, [=](const Switchboard &b, LegId leg) { return b.parking().checkRedirect(leg, dest); },
        [=](Switchboard &b, LegId leg) { b.parking().redirect(leg, dest); });
}

} // extern "C"
