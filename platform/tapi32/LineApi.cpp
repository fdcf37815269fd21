// Line applications: initialisation, messages, shutdown, version
// negotiation, capabilities and status, open and close.
#include "tapi32/ApiSupport.h"
#include "tapi32/Applications.h"
#include "tapi32/InputStruct.h"
#include "tapi32/StaleMessages.h"
#include "tapi32/StructWriter.h"

#include <cstring>

using namespace tapi32;

namespace {

bool validLineApp(HLINEAPP app)
{
    return validApp(kLineErrors, app);
}

} // namespace

extern "C" {

LONG WINAPI lineInitializeExW(LPHLINEAPP lphLineApp, HINSTANCE, LINECALLBACK lpfnCallback, LPCWSTR lpszFriendlyAppName,
                              LPDWORD lpdwNumDevs, LPDWORD lpdwAPIVersion, LPLINEINITIALIZEEXPARAMS params)
{
    ApiCall call("lineInitializeExW");
    call.ptr("lphLineApp", lphLineApp).ptr("lpfnCallback", reinterpret_cast<const void *>(lpfnCallback));
    call.text("lpszFriendlyAppName", lpszFriendlyAppName);
    call.num("dwAPIVersion", lpdwAPIVersion ? *lpdwAPIVersion : 0).structure("lpLineInitializeExParams", params);
    return call.done(initializeApp(call, kLineErrors, lphLineApp, lpszFriendlyAppName, lpdwNumDevs, lpdwAPIVersion,
                                   params, LINEINITIALIZEEXOPTION_USEEVENT));
}

LONG WINAPI lineShutdown(HLINEAPP hLineApp)
{
    ApiCall call("lineShutdown");
    call.num("hLineApp", hLineApp);
    return call.done(shutdownApp(call, kLineErrors, hLineApp));
}

LONG WINAPI lineGetMessage(HLINEAPP hLineApp, LPLINEMESSAGE lpMessage, DWORD dwTimeout)
{
    // Not recorded: an event thread calls it continuously.
    return fetchMessage(kLineErrors, hLineApp, lpMessage, dwTimeout);
}

LONG WINAPI lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion, DWORD dwAPIHighVersion,
                                    LPDWORD lpdwAPIVersion, LPLINEEXTENSIONID lpExtensionID)
{
    ApiCall call("lineNegotiateAPIVersion");
    call.num("hLineApp", hLineApp).num("dwDeviceID", dwDeviceID);
    call.num("dwAPILowVersion", dwAPILowVersion).num("dwAPIHighVersion", dwAPIHighVersion);
    if (LONG f = syncFault(call))
        return call.done(f);
    if (!validLineApp(hLineApp))
        return call.done(LINEERR_INVALAPPHANDLE);
    const VersionRange range = lineVersions(dwDeviceID);
    if (!range.exists)
        return call.done(LINEERR_BADDEVICEID);
    if (range.removed)
        return call.done(LINEERR_NODEVICE);
    if (!lpdwAPIVersion || !lpExtensionID)
        return call.done(LINEERR_INVALPOINTER);
    const DWORD v = negotiate(range, dwAPILowVersion, dwAPIHighVersion);
    if (!v)
        return call.done(LINEERR_INCOMPATIBLEAPIVERSION);
    *lpdwAPIVersion = v;
    std::memset(lpExtensionID, 0, sizeof *lpExtensionID);
    return call.done(0);
}

LONG WINAPI lineGetDevCapsW(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                            LPLINEDEVCAPS lpLineDevCaps)
{
    ApiCall call("lineGetDevCapsW");
    call.num("hLineApp", hLineApp).num("dwDeviceID", dwDeviceID).num("dwAPIVersion", dwAPIVersion);
    call.num("dwExtVersion", dwExtVersion).num("dwTotalSize", totalSizeOf(lpLineDevCaps));
    if (LONG f = syncFault(call))
        return call.done(f);
    if (LONG r =
            checkDeviceRequest(false, validLineApp(hLineApp), lineVersions(dwDeviceID), dwAPIVersion, dwExtVersion))
        return call.done(r);
    const exchange::VarStruct caps =
        exchangeOf().inspect([&](const exchange::Switchboard &b) { return b.line(dwDeviceID)->devCaps(); });
    return call.done(
        writeStruct(lpLineDevCaps, caps, fixedSize(Struct::LineDevCaps, dwAPIVersion), call.structFaults(dwDeviceID)));
}

LONG WINAPI lineGetAddressCapsW(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAddressID, DWORD dwAPIVersion,
                                DWORD dwExtVersion, LPLINEADDRESSCAPS lpAddressCaps)
{
    ApiCall call("lineGetAddressCapsW");
    call.num("hLineApp", hLineApp).num("dwDeviceID", dwDeviceID).num("dwAddressID", dwAddressID);
    call.num("dwAPIVersion", dwAPIVersion).num("dwExtVersion", dwExtVersion);
    call.num("dwTotalSize", totalSizeOf(lpAddressCaps));
    if (LONG f = syncFault(call))
        return call.done(f);
    if (LONG r =
            checkDeviceRequest(false, validLineApp(hLineApp), lineVersions(dwDeviceID), dwAPIVersion, dwExtVersion))
        return call.done(r);
    const auto caps = exchangeOf().inspect([&](const exchange::Switchboard &b) -> std::optional<exchange::VarStruct> {
        const exchange::Line *l = b.line(dwDeviceID);
        if (!l->hasAddress(dwAddressID))
            return std::nullopt;
        return l->addressCaps(dwAddressID);
    });
    if (!caps)
        return call.done(LINEERR_INVALADDRESSID);
    return call.done(writeStruct(lpAddressCaps, *caps, fixedSize(Struct::LineAddressCaps, dwAPIVersion),
                                 call.structFaults(dwDeviceID)));
}

LONG WINAPI lineOpenW(HLINEAPP hLineApp, DWORD dwDeviceID, LPHLINE lphLine, DWORD dwAPIVersion, DWORD dwExtVersion,
                      DWORD_PTR dwCallbackInstance, DWORD dwPrivileges, DWORD dwMediaModes,
                      LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineOpenW");
    call.num("hLineApp", hLineApp).num("dwDeviceID", dwDeviceID).num("dwAPIVersion", dwAPIVersion);
    call.num("dwExtVersion", dwExtVersion).num("dwCallbackInstance", dwCallbackInstance);
    call.num("dwPrivileges", dwPrivileges).num("dwMediaModes", dwMediaModes).structure("lpCallParams", lpCallParams);
    if (LONG f = syncFault(call))
        return call.done(f);
    if (!validLineApp(hLineApp))
        return call.done(LINEERR_INVALAPPHANDLE);
    const VersionRange range = lineVersions(dwDeviceID);
    if (!range.exists)
        return call.done(LINEERR_BADDEVICEID);
    if (range.removed)
        return call.done(LINEERR_NODEVICE);
    if (!lphLine)
        return call.done(LINEERR_INVALPOINTER);
    if (!range.contains(dwAPIVersion))
        return call.done(LINEERR_INCOMPATIBLEAPIVERSION);
    if (dwExtVersion != 0)
        return call.done(LINEERR_INCOMPATIBLEEXTVERSION);
    const DWORD privileges = dwPrivileges & ~(LINEOPENOPTION_SINGLEADDRESS | LINEOPENOPTION_PROXY);
    const bool noneOnly = privileges == LINECALLPRIVILEGE_NONE;
    const bool ownerMonitor =
        privileges != 0 && (privileges & ~(LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR)) == 0;
    if (!noneOnly && !ownerMonitor)
        return call.done(LINEERR_INVALPRIVSELECT);
    if (privileges & LINECALLPRIVILEGE_OWNER) {
        const DWORD supported = exchangeOf().inspect(
            [&](const exchange::Switchboard &b) { return b.line(dwDeviceID)->config().caps.dwMediaModes; });
        if (dwMediaModes == 0 || (dwMediaModes & ~supported) != 0)
            return call.done(LINEERR_INVALMEDIAMODE);
    }
    if (lpCallParams) {
        InputStruct params;
        if (LONG r = params.read(lpCallParams, fixedSize(Struct::LineCallParams, dwAPIVersion), {},
                                 LINEERR_STRUCTURETOOSMALL, LINEERR_INVALCALLPARAMS))
            return call.done(r);
    }

    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    if (!reg.app(hLineApp, false))
        return call.done(LINEERR_INVALAPPHANDLE);
    LineOpenRecord open;
    open.handle = reg.newHandle();
    open.app = hLineApp;
    open.device = dwDeviceID;
    open.version = dwAPIVersion;
    open.privileges = privileges;
    open.mediaModes = (privileges & LINECALLPRIVILEGE_OWNER) ? dwMediaModes : 0;
    open.instance = dwCallbackInstance;
    open.order = ++reg.lineOpens;
    for (const auto &[h, other] : reg.lines)
        if (other.device == dwDeviceID && (other.lineStates & LINEDEVSTATE_OPEN))
            reg.post(other.app, h, LINE_LINEDEVSTATE, other.instance, LINEDEVSTATE_OPEN, 0, 0);
    reg.lines[open.handle] = open;
    *lphLine = open.handle;
    call.num("hLine", open.handle);
    return call.done(0);
}

LONG WINAPI lineClose(HLINE hLine)
{
    ApiCall call("lineClose");
    call.num("hLine", hLine);
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    if (!reg.line(hLine))
        return call.done(LINEERR_INVALLINEHANDLE);
    const ClosingLine closing = beforeLineCloses(reg, hLine);
    reg.closeLine(hLine);
    if (call.untidy(exchange::Untidy::MessagesAfterClose, closing.open.device))
        afterLineClosed(reg, closing);
    return call.done(0);
}

LONG WINAPI lineSetStatusMessages(HLINE hLine, DWORD dwLineStates, DWORD dwAddressStates)
{
    ApiCall call("lineSetStatusMessages");
    call.num("hLine", hLine).num("dwLineStates", dwLineStates).num("dwAddressStates", dwAddressStates);
    if (LONG f = syncFault(call))
        return call.done(f);
    constexpr DWORD allLineStates = (LINEDEVSTATE_REMOVED << 1) - 1;
    constexpr DWORD allAddressStates = (LINEADDRESSSTATE_CAPSCHANGE << 1) - 1;
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    LineOpenRecord *open = reg.line(hLine);
    if (!open)
        return call.done(LINEERR_INVALLINEHANDLE);
    if (dwLineStates & ~allLineStates)
        return call.done(LINEERR_INVALLINESTATE);
    if (dwAddressStates & ~allAddressStates)
        return call.done(LINEERR_INVALADDRESSSTATE);
    open->lineStates = dwLineStates;
    open->addressStates = dwAddressStates;
    return call.done(0);
}

LONG WINAPI lineGetLineDevStatus(HLINE hLine, LPLINEDEVSTATUS lpLineDevStatus)
{
    ApiCall call("lineGetLineDevStatus");
    call.num("hLine", hLine).num("dwTotalSize", totalSizeOf(lpLineDevStatus));
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const LineOpenRecord *open = reg.line(hLine);
    if (!open)
        return call.done(LINEERR_INVALLINEHANDLE);
    exchange::VarStruct status = exchangeOf().inspect([&](const exchange::Switchboard &b) {
        return b.line(open->device)->devStatus(b.counts(open->device, std::nullopt));
    });
    DWORD opens = 0, media = 0;
    for (const auto &[h, other] : reg.lines) {
        if (other.device != open->device)
            continue;
        ++opens;
        media |= other.mediaModes;
    }
    status.set(offsetof(LINEDEVSTATUS, dwNumOpens), opens);
    status.set(offsetof(LINEDEVSTATUS, dwOpenMediaModes), media);
    return call.done(writeStruct(lpLineDevStatus, status, fixedSize(Struct::LineDevStatus, open->version),
                                 call.structFaults(open->device)));
}

LONG WINAPI lineGetAddressStatusW(HLINE hLine, DWORD dwAddressID, LPLINEADDRESSSTATUS lpAddressStatus)
{
    ApiCall call("lineGetAddressStatusW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).num("dwTotalSize", totalSizeOf(lpAddressStatus));
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const LineOpenRecord *open = reg.line(hLine);
    if (!open)
        return call.done(LINEERR_INVALLINEHANDLE);
    const auto status = exchangeOf().inspect([&](const exchange::Switchboard &b) -> std::optional<exchange::VarStruct> {
        const exchange::Line *l = b.line(open->device);
        if (!l->hasAddress(dwAddressID))
            return std::nullopt;
        return b.addressStatus(open->device, dwAddressID);
    });
    if (!status)
        return call.done(LINEERR_INVALADDRESSID);
    return call.done(writeStruct(lpAddressStatus, *status, fixedSize(Struct::LineAddressStatus, open->version),
                                 call.structFaults(open->device)));
}

LONG WINAPI lineSetLineDevStatus(HLINE hLine, DWORD dwStatusToChange, DWORD fStatus)
{
    ApiCall call("lineSetLineDevStatus");
    call.num("hLine", hLine).num("dwStatusToChange", dwStatusToChange).num("fStatus", fStatus);
    if (LONG f = call.immediateFault())
        return call.done(f);
    PendingRequest pending;
    {
        Registry &reg = runtime().registry();
        std::lock_guard lock(reg.mutex);
        const LineOpenRecord *open = reg.line(hLine);
        if (!open)
            return call.done(LINEERR_INVALLINEHANDLE);
        pending.app = open->app;
        pending.line = hLine;
        pending.device = open->device;
    }
    const DWORD device = pending.device;
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(
            tag, [=](const exchange::Switchboard &b) { return b.calls().checkLineDevStatus(device, dwStatusToChange); },
            [=](exchange::Switchboard &b) { b.calls().setLineDevStatus(device, dwStatusToChange, fStatus != 0); });
    }));
}

} // extern "C"
