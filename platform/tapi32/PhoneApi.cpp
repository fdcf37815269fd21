// Phone applications: initialisation, messages, negotiation, capabilities,
// status, open and close, and the setters (hookswitch, volume, gain, ring,
// display) with PHONE_REPLY and PHONE_STATE.
#include "tapi32/ApiSupport.h"
#include "tapi32/Applications.h"
#include "tapi32/InputStruct.h"
#include "tapi32/StaleMessages.h"
#include "tapi32/StructWriter.h"

#include <cstddef>
#include <cstring>

using namespace tapi32;
using exchange::Phone;
using exchange::Switchboard;

namespace {

/// Resolves an open phone for a setter: answers 0 with its device and a
/// pending request, or the handle or privilege error.
LONG resolvePhone(HPHONE hPhone, bool ownerOnly, PendingRequest &pending)
{
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const PhoneOpenRecord *open = reg.phoneOpen(hPhone);
    if (!open)
        return PHONEERR_INVALPHONEHANDLE;
    if (ownerOnly && open->privilege != PHONEPRIVILEGE_OWNER)
        return PHONEERR_NOTOWNER;
    pending.app = open->app;
    pending.phone = true;
    pending.phoneHandle = hPhone;
    pending.device = open->device;
    return 0;
}

using Setter = std::function<LONG(Phone &, std::vector<exchange::Event> *)>;

/// An asynchronous phone setter: the arguments are checked at once, the
/// change is made on the exchange thread, PHONE_REPLY then PHONE_STATE follow.
LONG phoneRequest(ApiCall &call, HPHONE hPhone, Setter setter)
{
    if (LONG f = call.immediateFault())
        return call.done(f);
    PendingRequest pending;
    if (LONG r = resolvePhone(hPhone, true, pending))
        return call.done(r);
    const DWORD device = pending.device;
    auto check = [=](const Switchboard &b) -> LONG {
        // With no outbox a setter only checks its arguments and changes nothing.
        const Phone *p = b.phone(device);
        return p ? setter(const_cast<Phone &>(*p), nullptr) : PHONEERR_NODEVICE;
    };
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(tag, check, [=](Switchboard &b) { b.applyToPhone(device, setter); });
    }));
}

bool validPhoneApp(HPHONEAPP app)
{
    return validApp(kPhoneErrors, app);
}

} // namespace

extern "C" {

LONG WINAPI phoneInitializeExW(LPHPHONEAPP lphPhoneApp, HINSTANCE, PHONECALLBACK lpfnCallback,
                               LPCWSTR lpszFriendlyAppName, LPDWORD lpdwNumDevs, LPDWORD lpdwAPIVersion,
                               LPPHONEINITIALIZEEXPARAMS params)
{
    ApiCall call("phoneInitializeExW");
    call.ptr("lphPhoneApp", lphPhoneApp).ptr("lpfnCallback", reinterpret_cast<const void *>(lpfnCallback));
    call.text("lpszFriendlyAppName", lpszFriendlyAppName);
    call.num("dwAPIVersion", lpdwAPIVersion ? *lpdwAPIVersion : 0).structure("lpPhoneInitializeExParams", params);
    static_assert(sizeof(PHONEINITIALIZEEXPARAMS) == sizeof(LINEINITIALIZEEXPARAMS));
    return call.done(initializeApp(call, kPhoneErrors, lphPhoneApp, lpszFriendlyAppName, lpdwNumDevs, lpdwAPIVersion,
                                   reinterpret_cast<LINEINITIALIZEEXPARAMS *>(params),
                                   PHONEINITIALIZEEXOPTION_USEEVENT));
}

LONG WINAPI phoneShutdown(HPHONEAPP hPhoneApp)
{
    ApiCall call("phoneShutdown");
    call.num("hPhoneApp", hPhoneApp);
    return call.done(shutdownApp(call, kPhoneErrors, hPhoneApp));
}

LONG WINAPI phoneGetMessage(HPHONEAPP hPhoneApp, LPPHONEMESSAGE lpMessage, DWORD dwTimeout)
{
    static_assert(sizeof(PHONEMESSAGE) == sizeof(LINEMESSAGE));
    LINEMESSAGE m;
    const LONG r = fetchMessage(kPhoneErrors, hPhoneApp, lpMessage ? &m : nullptr, dwTimeout);
    if (r == 0)
        std::memcpy(lpMessage, &m, sizeof m);
    return r;
}

LONG WINAPI phoneNegotiateAPIVersion(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPILowVersion,
                                     DWORD dwAPIHighVersion, LPDWORD lpdwAPIVersion, LPPHONEEXTENSIONID lpExtensionID)
{
    ApiCall call("phoneNegotiateAPIVersion");
    call.num("hPhoneApp", hPhoneApp).num("dwDeviceID", dwDeviceID);
    call.num("dwAPILowVersion", dwAPILowVersion).num("dwAPIHighVersion", dwAPIHighVersion);
    if (LONG f = syncFault(call))
        return call.done(f);
    if (!validPhoneApp(hPhoneApp))
        return call.done(PHONEERR_INVALAPPHANDLE);
    const VersionRange range = phoneVersions(dwDeviceID);
    if (!range.exists)
        return call.done(PHONEERR_BADDEVICEID);
    if (range.removed)
        return call.done(PHONEERR_NODEVICE);
    if (!lpdwAPIVersion || !lpExtensionID)
        return call.done(PHONEERR_INVALPOINTER);
    const DWORD v = negotiate(range, dwAPILowVersion, dwAPIHighVersion);
    if (!v)
        return call.done(PHONEERR_INCOMPATIBLEAPIVERSION);
    *lpdwAPIVersion = v;
    std::memset(lpExtensionID, 0, sizeof *lpExtensionID);
    return call.done(0);
}

LONG WINAPI phoneGetDevCapsW(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                             LPPHONECAPS lpPhoneCaps)
{
    ApiCall call("phoneGetDevCapsW");
    call.num("hPhoneApp", hPhoneApp).num("dwDeviceID", dwDeviceID).num("dwAPIVersion", dwAPIVersion);
    call.num("dwExtVersion", dwExtVersion).num("dwTotalSize", totalSizeOf(lpPhoneCaps));
    if (LONG f = syncFault(call))
        return call.done(f);
    if (LONG r =
            checkDeviceRequest(true, validPhoneApp(hPhoneApp), phoneVersions(dwDeviceID), dwAPIVersion, dwExtVersion))
        return call.done(r);
    const exchange::VarStruct caps =
        exchangeOf().inspect([&](const Switchboard &b) { return b.phone(dwDeviceID)->caps(); });
    return call.done(writeStruct(lpPhoneCaps, caps, fixedSize(Struct::PhoneCaps, dwAPIVersion),
                                 call.structFaults(dwDeviceID), PHONEERR_STRUCTURETOOSMALL, PHONEERR_INVALPOINTER));
}

LONG WINAPI phoneOpen(HPHONEAPP hPhoneApp, DWORD dwDeviceID, LPHPHONE lphPhone, DWORD dwAPIVersion, DWORD dwExtVersion,
                      DWORD_PTR dwCallbackInstance, DWORD dwPrivilege)
{
    ApiCall call("phoneOpen");
    call.num("hPhoneApp", hPhoneApp).num("dwDeviceID", dwDeviceID).num("dwAPIVersion", dwAPIVersion);
    call.num("dwExtVersion", dwExtVersion).num("dwCallbackInstance", dwCallbackInstance);
    call.num("dwPrivilege", dwPrivilege);
    if (LONG f = syncFault(call))
        return call.done(f);
    if (!validPhoneApp(hPhoneApp))
        return call.done(PHONEERR_INVALAPPHANDLE);
    const VersionRange range = phoneVersions(dwDeviceID);
    if (!range.exists)
        return call.done(PHONEERR_BADDEVICEID);
    if (range.removed)
        return call.done(PHONEERR_NODEVICE);
    if (!lphPhone)
        return call.done(PHONEERR_INVALPOINTER);
    if (!range.contains(dwAPIVersion))
        return call.done(PHONEERR_INCOMPATIBLEAPIVERSION);
    if (dwExtVersion != 0)
        return call.done(PHONEERR_INCOMPATIBLEEXTVERSION);
    if (dwPrivilege != PHONEPRIVILEGE_OWNER && dwPrivilege != PHONEPRIVILEGE_MONITOR)
        return call.done(PHONEERR_INVALPRIVILEGE);

    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    if (!reg.app(hPhoneApp, true))
        return call.done(PHONEERR_INVALAPPHANDLE);
    if (dwPrivilege == PHONEPRIVILEGE_OWNER) {
        for (const auto &[h, other] : reg.phones)
            if (other.device == dwDeviceID && other.privilege == PHONEPRIVILEGE_OWNER)
                return call.done(PHONEERR_INUSE);
    }
    PhoneOpenRecord open;
    open.handle = reg.newHandle();
    open.app = hPhoneApp;
    open.device = dwDeviceID;
    open.version = dwAPIVersion;
    open.privilege = dwPrivilege;
    open.instance = dwCallbackInstance;
    const DWORD state = dwPrivilege == PHONEPRIVILEGE_OWNER ? PHONESTATE_OWNER : PHONESTATE_MONITORS;
    for (const auto &[h, other] : reg.phones)
        if (other.device == dwDeviceID && (other.phoneStates & state))
            reg.post(other.app, h, PHONE_STATE, other.instance, state, 0, 0);
    reg.phones[open.handle] = open;
    *lphPhone = open.handle;
    call.num("hPhone", open.handle);
    return call.done(0);
}

LONG WINAPI phoneClose(HPHONE hPhone)
{
    ApiCall call("phoneClose");
    call.num("hPhone", hPhone);
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const PhoneOpenRecord *open = reg.phoneOpen(hPhone);
    if (!open)
        return call.done(PHONEERR_INVALPHONEHANDLE);
    const PhoneOpenRecord closing = *open;
    reg.closePhone(hPhone);
    if (call.untidy(exchange::Untidy::MessagesAfterClose, closing.device))
        afterPhoneClosed(reg, closing);
    return call.done(0);
}

LONG WINAPI phoneSetStatusMessages(HPHONE hPhone, DWORD dwPhoneStates, DWORD dwButtonModes, DWORD dwButtonStates)
{
    ApiCall call("phoneSetStatusMessages");
    call.num("hPhone", hPhone).num("dwPhoneStates", dwPhoneStates).num("dwButtonModes", dwButtonModes);
    call.num("dwButtonStates", dwButtonStates);
    if (LONG f = syncFault(call))
        return call.done(f);
    constexpr DWORD allStates = (PHONESTATE_REMOVED << 1) - 1;
    constexpr DWORD allModes = (PHONEBUTTONMODE_DISPLAY << 1) - 1;
    constexpr DWORD allButtonStates = (PHONEBUTTONSTATE_UNAVAIL << 1) - 1;
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    PhoneOpenRecord *open = reg.phoneOpen(hPhone);
    if (!open)
        return call.done(PHONEERR_INVALPHONEHANDLE);
    if (dwPhoneStates & ~allStates)
        return call.done(PHONEERR_INVALPHONESTATE);
    if (dwButtonModes & ~allModes)
        return call.done(PHONEERR_INVALBUTTONMODE);
    if ((dwButtonStates & ~allButtonStates) || (dwButtonModes && !dwButtonStates))
        return call.done(PHONEERR_INVALBUTTONSTATE);
    open->phoneStates = dwPhoneStates;
    open->buttonModes = dwButtonModes;
    open->buttonStates = dwButtonStates;
    return call.done(0);
}

LONG WINAPI phoneGetStatusW(HPHONE hPhone, LPPHONESTATUS lpPhoneStatus)
{
    ApiCall call("phoneGetStatusW");
    call.num("hPhone", hPhone).num("dwTotalSize", totalSizeOf(lpPhoneStatus));
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const PhoneOpenRecord *open = reg.phoneOpen(hPhone);
    if (!open)
        return call.done(PHONEERR_INVALPHONEHANDLE);
    exchange::VarStruct status =
        exchangeOf().inspect([&](const Switchboard &b) { return b.phone(open->device)->status(); });
    DWORD owners = 0, monitors = 0;
    std::u16string ownerName;
    for (const auto &[h, other] : reg.phones) {
        if (other.device != open->device)
            continue;
        if (other.privilege == PHONEPRIVILEGE_OWNER) {
            ++owners;
            ownerName = reg.apps.at(other.app).name;
        } else {
            ++monitors;
        }
    }
    status.set(offsetof(PHONESTATUS, dwNumOwners), owners);
    status.set(offsetof(PHONESTATUS, dwNumMonitors), monitors);
    status.addText(offsetof(PHONESTATUS, dwOwnerNameSize), ownerName);
    return call.done(writeStruct(lpPhoneStatus, status, fixedSize(Struct::PhoneStatus, open->version),
                                 call.structFaults(open->device), PHONEERR_STRUCTURETOOSMALL, PHONEERR_INVALPOINTER));
}

LONG WINAPI phoneGetButtonInfoW(HPHONE hPhone, DWORD dwButtonLampID, LPPHONEBUTTONINFO lpButtonInfo)
{
    ApiCall call("phoneGetButtonInfoW");
    call.num("hPhone", hPhone).num("dwButtonLampID", dwButtonLampID).num("dwTotalSize", totalSizeOf(lpButtonInfo));
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const PhoneOpenRecord *open = reg.phoneOpen(hPhone);
    if (!open)
        return call.done(PHONEERR_INVALPHONEHANDLE);
    const auto info = exchangeOf().inspect([&](const Switchboard &b) -> std::optional<exchange::VarStruct> {
        const Phone *p = b.phone(open->device);
        if (dwButtonLampID >= p->buttonCount())
            return std::nullopt;
        return p->buttonInfo(dwButtonLampID);
    });
    if (!info)
        return call.done(PHONEERR_INVALBUTTONLAMPID);
    return call.done(writeStruct(lpButtonInfo, *info, sizeof(PHONEBUTTONINFO), call.structFaults(open->device),
                                 PHONEERR_STRUCTURETOOSMALL, PHONEERR_INVALPOINTER));
}

LONG WINAPI phoneSetHookSwitch(HPHONE hPhone, DWORD dwHookSwitchDevs, DWORD dwHookSwitchMode)
{
    ApiCall call("phoneSetHookSwitch");
    call.num("hPhone", hPhone).num("dwHookSwitchDevs", dwHookSwitchDevs).num("dwHookSwitchMode", dwHookSwitchMode);
    return phoneRequest(call, hPhone, [=](Phone &p, std::vector<exchange::Event> *out) {
        return p.setHookSwitch(dwHookSwitchDevs, dwHookSwitchMode, out);
    });
}

LONG WINAPI phoneSetVolume(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD dwVolume)
{
    ApiCall call("phoneSetVolume");
    call.num("hPhone", hPhone).num("dwHookSwitchDev", dwHookSwitchDev).num("dwVolume", dwVolume);
    return phoneRequest(call, hPhone, [=](Phone &p, std::vector<exchange::Event> *out) {
        return p.setVolume(dwHookSwitchDev, dwVolume, out);
    });
}

LONG WINAPI phoneSetGain(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD dwGain)
{
    ApiCall call("phoneSetGain");
    call.num("hPhone", hPhone).num("dwHookSwitchDev", dwHookSwitchDev).num("dwGain", dwGain);
    return phoneRequest(call, hPhone, [=](Phone &p, std::vector<exchange::Event> *out) {
        return p.setGain(dwHookSwitchDev, dwGain, out);
    });
}

LONG WINAPI phoneSetRing(HPHONE hPhone, DWORD dwRingMode, DWORD dwVolume)
{
    ApiCall call("phoneSetRing");
    call.num("hPhone", hPhone).num("dwRingMode", dwRingMode).num("dwVolume", dwVolume);
    return phoneRequest(call, hPhone, [=](Phone &p, std::vector<exchange::Event> *out) {
        return p.setRing(dwRingMode, dwVolume, out);
    });
}

LONG WINAPI phoneSetDisplay(HPHONE hPhone, DWORD dwRow, DWORD dwColumn, LPCSTR lpsDisplay, DWORD dwSize)
{
    ApiCall call("phoneSetDisplay");
    call.num("hPhone", hPhone).num("dwRow", dwRow).num("dwColumn", dwColumn);
    call.bytes("lpsDisplay", lpsDisplay, lpsDisplay ? dwSize : 0).num("dwSize", dwSize);
    if (!lpsDisplay && dwSize != 0)
        return call.done(PHONEERR_INVALPOINTER);
    if (dwSize > kMaxInputStruct)
        return call.done(PHONEERR_INVALPARAM);
    const std::string text(lpsDisplay ? lpsDisplay : "", lpsDisplay ? dwSize : 0);
    return phoneRequest(call, hPhone, [=](Phone &p, std::vector<exchange::Event> *out) {
        return p.setDisplay(dwRow, dwColumn, text, out);
    });
}

} // extern "C"
