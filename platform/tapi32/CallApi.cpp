// Calls: making, dialing, answering, dropping, holding; call information
// and status; privileges and handles; digits, data, user-user information
// and quality of service.
#include "tapi32/ApiSupport.h"
#include "tapi32/CallParams.h"
#include "tapi32/CallRequest.h"
#include "tapi32/InputStruct.h"
#include "tapi32/StaleMessages.h"
#include "tapi32/StructWriter.h"

#include <algorithm>
#include <cstddef>

using namespace tapi32;
using exchange::LegId;
using exchange::Switchboard;

namespace {

std::vector<uint8_t> copyBytes(const void *p, DWORD size)
{
    if (!p || size == 0)
        return {};
    const auto *b = static_cast<const uint8_t *>(p);
    return {b, b + size};
}

/// The line capability that limits user-user information for a function.
DWORD uuiLimit(const Switchboard &b, LegId leg, DWORD LINEDEVCAPS::*member)
{
    const exchange::Leg *l = b.leg(leg);
    return l ? b.line(l->line())->config().caps.*member : 0;
}

/// Owner-only operations that carry user-user information.
LONG uuiRequest(ApiCall &call, HCALL hCall, LPCSTR uui, DWORD size, DWORD LINEDEVCAPS::*limit,
                LONG (exchange::Calls::*check)(LegId) const,
                void (exchange::Calls::*action)(LegId, const std::vector<uint8_t> &))
{
    call.num("hCall", hCall).bytes("lpsUserUserInfo", uui, uui ? size : 0).num("dwSize", size);
    if (uui && size > kMaxInputStruct)
        return call.done(LINEERR_USERUSERINFOTOOBIG);
    std::vector<uint8_t> data = copyBytes(uui, size);
    return callRequest(
        call, hCall,
        [=](const Switchboard &b, LegId leg) -> LONG {
            if (LONG r = (b.calls().*check)(leg))
                return r;
            return data.size() > uuiLimit(b, leg, limit) ? LINEERR_USERUSERINFOTOOBIG : 0;
        },
        [=](Switchboard &b, LegId leg) { (b.calls().*action)(leg, data); });
}

} // namespace

extern "C" {

LONG WINAPI lineMakeCallW(HLINE hLine, LPHCALL lphCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode,
                          LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineMakeCallW");
    call.num("hLine", hLine).ptr("lphCall", lphCall).text("lpszDestAddress", lpszDestAddress);
    call.num("dwCountryCode", dwCountryCode).structure("lpCallParams", lpCallParams);
    if (LONG f = call.immediateFault())
        return call.done(f);
    PendingRequest pending;
    DWORD version = 0;
    std::u16string appName;
    {
        Registry &reg = runtime().registry();
        std::lock_guard lock(reg.mutex);
        const LineOpenRecord *open = reg.line(hLine);
        if (!open)
            return call.done(LINEERR_INVALLINEHANDLE);
        pending.app = open->app;
        pending.line = hLine;
        pending.device = open->device;
        version = open->version;
        appName = reg.apps.at(open->app).name;
    }
    if (!lphCall)
        return call.done(LINEERR_INVALPOINTER);
    std::u16string dest;
    if (LONG r = readText(lpszDestAddress, dest, true))
        return call.done(r);
    CallParams params;
    if (LONG r = exchangeOf().inspect([&](const Switchboard &b) {
            return readCallParams(lpCallParams, version, *b.line(pending.device), params);
        }))
        return call.done(r);
    params.options.countryCode = dwCountryCode;
    params.options.appName = appName;
    pending.outCalls[0] = lphCall;
    const DWORD device = pending.device;
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().requestCreating(
            tag,
            [=](const Switchboard &b) {
                return b.checkMakeCall(device, params.addressId, dest, params.options);
            },
            [=](Switchboard &b, uint32_t id) { b.makeCall(id, device, params.addressId, dest, params.options); });
    }));
}

LONG WINAPI lineDialW(HCALL hCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode)
{
    ApiCall call("lineDialW");
    call.num("hCall", hCall).text("lpszDestAddress", lpszDestAddress).num("dwCountryCode", dwCountryCode);
    std::u16string dest;
    if (!lpszDestAddress)
        return call.done(call.immediateFault() ? call.immediateFault() : LINEERR_INVALADDRESS);
    if (LONG r = readText(lpszDestAddress, dest, false))
        return call.done(r);
    return callRequest(
        call, hCall, [=](const Switchboard &b, LegId leg) { return b.calls().checkDial(leg, dest); },
        [=](Switchboard &b, LegId leg) { b.calls().dial(leg, dest); });
}

LONG WINAPI lineAccept(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    ApiCall call("lineAccept");
    return uuiRequest(call, hCall, lpsUserUserInfo, dwSize, &LINEDEVCAPS::dwUUIAcceptSize, &exchange::Calls::checkAccept,
                      &exchange::Calls::accept);
}

LONG WINAPI lineAnswer(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    ApiCall call("lineAnswer");
    return uuiRequest(call, hCall, lpsUserUserInfo, dwSize, &LINEDEVCAPS::dwUUIAnswerSize, &exchange::Calls::checkAnswer,
                      &exchange::Calls::answer);
}

LONG WINAPI lineDrop(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    ApiCall call("lineDrop");
    return uuiRequest(call, hCall, lpsUserUserInfo, dwSize, &LINEDEVCAPS::dwUUIDropSize, &exchange::Calls::checkDrop,
                      &exchange::Calls::drop);
}

LONG WINAPI lineHold(HCALL hCall)
{
    ApiCall call("lineHold");
    call.num("hCall", hCall);
    return callRequest(
        call, hCall, [](const Switchboard &b, LegId leg) { return b.calls().checkHold(leg); },
        [](Switchboard &b, LegId leg) { b.calls().hold(leg); });
}

LONG WINAPI lineUnhold(HCALL hCall)
{
    ApiCall call("lineUnhold");
    call.num("hCall", hCall);
    return callRequest(
        call, hCall, [](const Switchboard &b, LegId leg) { return b.calls().checkUnhold(leg); },
        [](Switchboard &b, LegId leg) { b.calls().unhold(leg); });
}

LONG WINAPI lineSwapHold(HCALL hActiveCall, HCALL hHeldCall)
{
    ApiCall call("lineSwapHold");
    call.num("hActiveCall", hActiveCall).num("hHeldCall", hHeldCall);
    LegId held = 0;
    PendingRequest ignored;
    if (LONG r = resolveCall(hHeldCall, true, held, ignored))
        return call.done(call.immediateFault() ? call.immediateFault() : r);
    return callRequest(
        call, hActiveCall, [=](const Switchboard &b, LegId leg) { return b.calls().checkSwapHold(leg, held); },
        [=](Switchboard &b, LegId leg) { b.calls().swapHold(leg, held); });
}

LONG WINAPI lineSetCallData(HCALL hCall, LPVOID lpCallData, DWORD dwSize)
{
    ApiCall call("lineSetCallData");
    call.num("hCall", hCall).bytes("lpCallData", lpCallData, lpCallData ? dwSize : 0).num("dwSize", dwSize);
    if (!lpCallData && dwSize != 0)
        return call.done(LINEERR_INVALPOINTER);
    if (dwSize > kMaxInputStruct)
        return call.done(LINEERR_INVALPARAM);
    std::vector<uint8_t> data = copyBytes(lpCallData, dwSize);
    return callRequest(
        call, hCall, [=](const Switchboard &b, LegId leg) { return b.calls().checkCallData(leg, data.size()); },
        [=](Switchboard &b, LegId leg) { b.calls().setCallData(leg, data); });
}

LONG WINAPI lineSetCallQualityOfService(HCALL hCall, LPVOID lpSendingFlowspec, DWORD dwSendingFlowspecSize,
                                        LPVOID lpReceivingFlowspec, DWORD dwReceivingFlowspecSize)
{
    ApiCall call("lineSetCallQualityOfService");
    call.num("hCall", hCall);
    call.bytes("lpSendingFlowspec", lpSendingFlowspec, lpSendingFlowspec ? dwSendingFlowspecSize : 0);
    call.num("dwSendingFlowspecSize", dwSendingFlowspecSize);
    call.bytes("lpReceivingFlowspec", lpReceivingFlowspec, lpReceivingFlowspec ? dwReceivingFlowspecSize : 0);
    call.num("dwReceivingFlowspecSize", dwReceivingFlowspecSize);
    if ((!lpSendingFlowspec && dwSendingFlowspecSize) || (!lpReceivingFlowspec && dwReceivingFlowspecSize))
        return call.done(LINEERR_INVALPOINTER);
    if (dwSendingFlowspecSize > kMaxInputStruct || dwReceivingFlowspecSize > kMaxInputStruct)
        return call.done(LINEERR_INVALPARAM);
    std::vector<uint8_t> send = copyBytes(lpSendingFlowspec, dwSendingFlowspecSize);
    std::vector<uint8_t> receive = copyBytes(lpReceivingFlowspec, dwReceivingFlowspecSize);
    return callRequest(
        call, hCall, [](const Switchboard &b, LegId leg) { return b.calls().checkLive(leg); },
        [=](Switchboard &b, LegId leg) { b.calls().setQualityOfService(leg, send, receive); });
}

LONG WINAPI lineSendUserUserInfo(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    ApiCall call("lineSendUserUserInfo");
    call.num("hCall", hCall).bytes("lpsUserUserInfo", lpsUserUserInfo, lpsUserUserInfo ? dwSize : 0);
    call.num("dwSize", dwSize);
    if (!lpsUserUserInfo && dwSize != 0)
        return call.done(LINEERR_INVALPOINTER);
    if (dwSize > kMaxInputStruct)
        return call.done(LINEERR_USERUSERINFOTOOBIG);
    std::vector<uint8_t> data = copyBytes(lpsUserUserInfo, dwSize);
    return callRequest(
        call, hCall, [=](const Switchboard &b, LegId leg) { return b.calls().checkSendUserUserInfo(leg, data.size()); },
        [=](Switchboard &b, LegId leg) { b.calls().sendUserUserInfo(leg, data); });
}

LONG WINAPI lineReleaseUserUserInfo(HCALL hCall)
{
    ApiCall call("lineReleaseUserUserInfo");
    call.num("hCall", hCall);
    return callRequest(
        call, hCall, [](const Switchboard &b, LegId leg) { return b.calls().checkLive(leg); },
        [](Switchboard &b, LegId leg) { b.calls().releaseUserUserInfo(leg); });
}

LONG WINAPI lineGenerateDigitsW(HCALL hCall, DWORD dwDigitMode, LPCWSTR lpszDigits, DWORD dwDuration)
{
    ApiCall call("lineGenerateDigitsW");
    call.num("hCall", hCall).num("dwDigitMode", dwDigitMode).text("lpszDigits", lpszDigits);
    call.num("dwDuration", dwDuration);
    if (LONG f = syncFault(call))
        return call.done(f);
    LegId leg = 0;
    PendingRequest ignored;
    if (LONG r = resolveCall(hCall, true, leg, ignored))
        return call.done(r);
    std::u16string digits;
    if (lpszDigits && !readWide(lpszDigits, digits))
        return call.done(LINEERR_INVALPOINTER);
    const std::u16string *d = lpszDigits ? &digits : nullptr;
    return call.done(exchangeOf().modify([&](Switchboard &b) -> LONG {
        if (LONG r = b.calls().checkGenerateDigits(leg, dwDigitMode, d))
            return r;
        b.calls().generateDigits(leg, dwDigitMode, d, dwDuration);
        return 0;
    }));
}

LONG WINAPI lineMonitorDigits(HCALL hCall, DWORD dwDigitModes)
{
    ApiCall call("lineMonitorDigits");
    call.num("hCall", hCall).num("dwDigitModes", dwDigitModes);
    if (LONG f = syncFault(call))
        return call.done(f);
    const LONG result = [&]() -> LONG {
        Registry &reg = runtime().registry();
        std::lock_guard lock(reg.mutex);
        CallRecord *c = reg.call(hCall);
        if (!c)
            return LINEERR_INVALCALLHANDLE;
        const LineOpenRecord *open = reg.line(c->line);
        if (!open)
            return LINEERR_INVALCALLHANDLE;
        // Monitors may watch digits too: no owner privilege is needed.
        const DWORD offered = exchangeOf().inspect([&](const Switchboard &b) -> DWORD {
            const exchange::Line *l = b.line(open->device);
            return l ? l->config().caps.dwMonitorDigitModes : 0;
        });
        if (dwDigitModes & ~offered)
            return LINEERR_INVALDIGITMODE;
        if (callIdle(c->leg))
            return LINEERR_INVALCALLSTATE;
        c->digitModes = dwDigitModes;
        return 0;
    }();
    return call.done(result);
}

LONG WINAPI lineSetAppSpecific(HCALL hCall, DWORD dwAppSpecific)
{
    ApiCall call("lineSetAppSpecific");
    call.num("hCall", hCall).num("dwAppSpecific", dwAppSpecific);
    if (LONG f = syncFault(call))
        return call.done(f);
    LegId leg = 0;
    PendingRequest ignored;
    if (LONG r = resolveCall(hCall, true, leg, ignored, true))
        return call.done(r);
    exchangeOf().modify([&](Switchboard &b) { b.calls().setAppSpecific(leg, dwAppSpecific); });
    return call.done(0);
}

LONG WINAPI lineSetCallPrivilege(HCALL hCall, DWORD dwCallPrivilege)
{
    ApiCall call("lineSetCallPrivilege");
    call.num("hCall", hCall).num("dwCallPrivilege", dwCallPrivilege);
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    CallRecord *c = reg.call(hCall);
    if (!c)
        return call.done(LINEERR_INVALCALLHANDLE);
    if (dwCallPrivilege != LINECALLPRIVILEGE_OWNER && dwCallPrivilege != LINECALLPRIVILEGE_MONITOR)
        return call.done(LINEERR_INVALCALLPRIVILEGE);
    if (c->privilege == dwCallPrivilege)
        return call.done(0);
    // A live call keeps at least one owner.
    const bool soleOwner = c->privilege == LINECALLPRIVILEGE_OWNER && reg.holders(c->leg).first == 1;
    if (soleOwner && !callIdle(c->leg))
        return call.done(LINEERR_INVALCALLSTATE);
    c->privilege = dwCallPrivilege;
    reg.announceHolders(c->leg,
                        dwCallPrivilege == LINECALLPRIVILEGE_OWNER
                            ? LINECALLINFOSTATE_NUMOWNERINCR | LINECALLINFOSTATE_NUMMONITORS
                            : LINECALLINFOSTATE_NUMOWNERDECR | LINECALLINFOSTATE_NUMMONITORS,
                        0);
    return call.done(0);
}

LONG WINAPI lineDeallocateCall(HCALL hCall)
{
    ApiCall call("lineDeallocateCall");
    call.num("hCall", hCall);
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const CallRecord *c = reg.call(hCall);
    if (!c)
        return call.done(LINEERR_INVALCALLHANDLE);
    // The sole owner of a live call must drop it first.
    const bool soleOwner = c->privilege == LINECALLPRIVILEGE_OWNER && reg.holders(c->leg).first == 1;
    if (soleOwner && !callIdle(c->leg))
        return call.done(LINEERR_INVALCALLSTATE);
    const CallRecord gone = *c;
    const LineOpenRecord *open = reg.line(gone.line);
    const std::optional<DWORD> device = open ? std::optional<DWORD>(open->device) : std::nullopt;
    const DWORD_PTR instance = open ? open->instance : 0;
    reg.removeCall(hCall, false);
    if (call.untidy(exchange::Untidy::MessagesAfterClose, device))
        afterCallDeallocated(reg, gone, instance);
    return call.done(0);
}

LONG WINAPI lineGetCallInfoW(HCALL hCall, LPLINECALLINFO lpCallInfo)
{
    ApiCall call("lineGetCallInfoW");
    call.num("hCall", hCall).num("dwTotalSize", totalSizeOf(lpCallInfo));
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const CallRecord *c = reg.call(hCall);
    if (!c)
        return call.done(LINEERR_INVALCALLHANDLE);
    const LineOpenRecord *open = reg.line(c->line);
    auto info = exchangeOf().inspect([&](const Switchboard &b) -> std::optional<exchange::VarStruct> {
        const exchange::Leg *l = b.leg(c->leg);
        if (!l)
            return std::nullopt;
        const exchange::Line &line = *b.line(l->line());
        return l->callInfo(line.config().caps, line.address(l->address()).caps);
    });
    if (!info || !open)
        return call.done(LINEERR_INVALCALLHANDLE);
    const auto [owners, monitors] = reg.holders(c->leg);
    info->set(offsetof(LINECALLINFO, hLine), c->line);
    info->set(offsetof(LINECALLINFO, dwNumOwners), owners);
    info->set(offsetof(LINECALLINFO, dwNumMonitors), monitors);
    return call.done(
        writeStruct(lpCallInfo, *info, fixedSize(Struct::LineCallInfo, open->version), call.structFaults(open->device)));
}

LONG WINAPI lineGetCallStatus(HCALL hCall, LPLINECALLSTATUS lpCallStatus)
{
    ApiCall call("lineGetCallStatus");
    call.num("hCall", hCall).num("dwTotalSize", totalSizeOf(lpCallStatus));
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const CallRecord *c = reg.call(hCall);
    const LineOpenRecord *open = c ? reg.line(c->line) : nullptr;
    if (!c || !open)
        return call.done(LINEERR_INVALCALLHANDLE);
    auto status = exchangeOf().inspect([&](const Switchboard &b) -> std::optional<exchange::VarStruct> {
        const exchange::Leg *l = b.leg(c->leg);
        if (!l)
            return std::nullopt;
        return l->callStatus(b.core().features(*l), b.core().features2(*l));
    });
    if (!status)
        return call.done(LINEERR_INVALCALLHANDLE);
    status->set(offsetof(LINECALLSTATUS, dwCallPrivilege), c->privilege);
    // The features say what this application may do: a monitor controls nothing.
    if (c->privilege != LINECALLPRIVILEGE_OWNER) {
        status->set(offsetof(LINECALLSTATUS, dwCallFeatures), 0);
        status->set(offsetof(LINECALLSTATUS, dwCallFeatures2), 0);
    }
    return call.done(writeStruct(lpCallStatus, *status, fixedSize(Struct::LineCallStatus, open->version),
                                 call.structFaults(open->device)));
}

LONG WINAPI lineGetNewCalls(HLINE hLine, DWORD dwAddressID, DWORD dwSelect, LPLINECALLLIST lpCallList)
{
    ApiCall call("lineGetNewCalls");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).num("dwSelect", dwSelect);
    call.num("dwTotalSize", totalSizeOf(lpCallList));
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    LineOpenRecord *open = reg.line(hLine);
    if (!open)
        return call.done(LINEERR_INVALLINEHANDLE);
    if (dwSelect != LINECALLSELECT_LINE && dwSelect != LINECALLSELECT_ADDRESS)
        return call.done(LINEERR_INVALCALLSELECT);
    const std::optional<DWORD> address =
        dwSelect == LINECALLSELECT_ADDRESS ? std::optional<DWORD>(dwAddressID) : std::nullopt;
    const auto legs = exchangeOf().inspect([&](const Switchboard &b) -> std::optional<std::vector<LegId>> {
        if (address && !b.line(open->device)->hasAddress(*address))
            return std::nullopt;
        return b.core().legsOn(open->device, address);
    });
    if (!legs)
        return call.done(LINEERR_INVALADDRESSID);
    if (!lpCallList)
        return call.done(LINEERR_INVALPOINTER);
    if (lpCallList->dwTotalSize < sizeof(LINECALLLIST))
        return call.done(LINEERR_STRUCTURETOOSMALL);
    // Handles made for an earlier list that could not carry them come first.
    std::erase_if(open->unlisted, [&](HCALL h) { return !reg.call(h); });
    std::vector<HCALL> handles;
    for (HCALL h : open->unlisted) {
        const LegId leg = reg.call(h)->leg;
        if (!address || exchangeOf().inspect([&](const Switchboard &b) {
                const exchange::Leg *l = b.leg(leg);
                return l && l->address() == *address;
            }))
            handles.push_back(h);
    }
    for (LegId leg : *legs) {
        if (reg.callOf(hLine, leg))
            continue;
        if (HCALL h = reg.addCall(*open, leg, LINECALLPRIVILEGE_MONITOR)) {
            handles.push_back(h);
            open->unlisted.push_back(h);
            reg.announceHolders(leg, LINECALLINFOSTATE_NUMMONITORS, h);
        }
    }
    LINECALLLIST fixed{};
    fixed.dwCallsNumEntries = static_cast<DWORD>(handles.size());
    exchange::VarStruct list = exchange::VarStruct::of(fixed);
    list.addBytes(offsetof(LINECALLLIST, dwCallsSize), handles.data(), handles.size() * sizeof(HCALL));
    const LONG r = writeStruct(lpCallList, list, sizeof(LINECALLLIST), call.structFaults(open->device));
    // Handles count as listed only when the list really carries them.
    const uint64_t listEnd = uint64_t(lpCallList->dwCallsOffset) + lpCallList->dwCallsSize;
    if (r == 0 && lpCallList->dwCallsSize == handles.size() * sizeof(HCALL) &&
        (handles.empty() || listEnd <= lpCallList->dwUsedSize))
        std::erase_if(open->unlisted, [&](HCALL h) { return std::ranges::find(handles, h) != handles.end(); });
    return call.done(r);
}

} // extern "C"
