// Device identification and configuration: lineGetIDW, lineGetDevConfigW,
// the configuration dialogs and address translation.
#include "tapi32/ApiSupport.h"
#include "tapi32/Applications.h"
#include "tapi32/ConfigDialogHandler.h"
#include "tapi32/InputStruct.h"
#include "tapi32/StructWriter.h"

#include <cstddef>
#include <mutex>
#include <string>

using namespace tapi32;
using exchange::Switchboard;

namespace {

// Guards handler; nothing is locked inside it. The handler itself runs
// with no lock held, since it may run a modal dialog for a long time.
std::mutex handlerMutex;
ConfigDialogHandler handler;

LONG runConfigDialog(ConfigDialogRequest request)
{
    ConfigDialogHandler h;
    {
        std::lock_guard lock(handlerMutex);
        h = handler;
    }
    return h ? h(request) : 0;
}

// The default dialing location: country code 49, area code 30, long
// distance prefix 0, international prefix 00.
constexpr DWORD kCountryCode = 49;
const std::u16string kAreaCode = u"30";
const std::u16string kLongDistancePrefix = u"0";
const std::u16string kInternationalPrefix = u"00";

bool allDigits(const std::u16string &s)
{
    return !s.empty() && s.find_first_not_of(u"0123456789") == std::u16string::npos;
}

/// Splits a canonical address "+CC (AREA) NUMBER"; false when malformed.
bool splitCanonical(const std::u16string &in, std::u16string &cc, std::u16string &area, std::u16string &number)
{
    const size_t open = in.find(u'(');
    const size_t close = in.find(u')');
    if (open == std::u16string::npos || close == std::u16string::npos || close < open)
        return false;
    auto trim = [](std::u16string s) {
        const size_t b = s.find_first_not_of(u' ');
        const size_t e = s.find_last_not_of(u' ');
        return b == std::u16string::npos ? std::u16string() : s.substr(b, e - b + 1);
    };
    cc = trim(in.substr(1, open - 1));
    area = trim(in.substr(open + 1, close - open - 1));
    number = trim(in.substr(close + 1));
    std::u16string digits;
    for (char16_t c : number)
        if (c != u' ' && c != u'-')
            digits += c;
    number = digits;
    return allDigits(cc) && cc.size() <= 3 && (area.empty() || allDigits(area)) && allDigits(number);
}

} // namespace

namespace tapi32 {

void setConfigDialogHandler(ConfigDialogHandler h)
{
    std::lock_guard lock(handlerMutex);
    handler = std::move(h);
}

} // namespace tapi32

extern "C" {

LONG WINAPI lineGetIDW(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect, LPVARSTRING lpDeviceID,
                       LPCWSTR lpszDeviceClass)
{
    ApiCall call("lineGetIDW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).num("hCall", hCall).num("dwSelect", dwSelect);
    call.num("dwTotalSize", totalSizeOf(lpDeviceID)).text("lpszDeviceClass", lpszDeviceClass);
    if (LONG f = syncFault(call))
        return call.done(f);
    DWORD device = 0;
    {
        Registry &reg = runtime().registry();
        std::lock_guard lock(reg.mutex);
        HLINE line = hLine;
        if (dwSelect == LINECALLSELECT_CALL) {
            const CallRecord *c = reg.call(hCall);
            if (!c)
                return call.done(LINEERR_INVALCALLHANDLE);
            line = c->line;
        } else if (dwSelect != LINECALLSELECT_LINE && dwSelect != LINECALLSELECT_ADDRESS) {
            return call.done(LINEERR_INVALCALLSELECT);
        }
        const LineOpenRecord *open = reg.line(line);
        if (!open)
            return call.done(LINEERR_INVALLINEHANDLE);
        device = open->device;
    }
    std::u16string deviceClass;
    if (!lpszDeviceClass || !readWide(lpszDeviceClass, deviceClass))
        return call.done(LINEERR_INVALPOINTER);
    const auto lookup = exchangeOf().inspect([&](const Switchboard &b) -> std::pair<LONG, std::optional<DWORD>> {
        const exchange::Line *l = b.line(device);
        if (dwSelect == LINECALLSELECT_ADDRESS && !l->hasAddress(dwAddressID))
            return {LINEERR_INVALADDRESSID, std::nullopt};
        if (deviceClass == u"tapi/line")
            return {0, device};
        if (deviceClass == u"tapi/phone" && l->config().phone)
            return {0, *l->config().phone};
        return {LINEERR_INVALDEVICECLASS, std::nullopt};
    });
    if (lookup.first)
        return call.done(lookup.first);
    const DWORD id = *lookup.second;
    return call.done(writeStruct(lpDeviceID, varString(STRINGFORMAT_BINARY, &id, sizeof id), sizeof(VARSTRING),
                                 call.structFaults(device)));
}

LONG WINAPI lineGetDevConfigW(DWORD dwDeviceID, LPVARSTRING lpDeviceConfig, LPCWSTR lpszDeviceClass)
{
    ApiCall call("lineGetDevConfigW");
    call.num("dwDeviceID", dwDeviceID).num("dwTotalSize", totalSizeOf(lpDeviceConfig));
    call.text("lpszDeviceClass", lpszDeviceClass);
    if (LONG f = syncFault(call))
        return call.done(f);
    std::u16string deviceClass;
    if (lpszDeviceClass && !readWide(lpszDeviceClass, deviceClass))
        return call.done(LINEERR_INVALPOINTER);
    const auto state = exchangeOf().inspect([&](const Switchboard &b) -> std::pair<LONG, long> {
        const exchange::Line *l = b.line(dwDeviceID);
        if (!l)
            return {LINEERR_BADDEVICEID, 0};
        if (deviceClass != u"ktelx/InvalidPasswordState" || !l->config().invalidPasswordState)
            return {LINEERR_INVALDEVICECLASS, 0};
        return {0, *l->config().invalidPasswordState};
    });
    if (state.first)
        return call.done(state.first);
    const std::string digits = std::to_string(state.second);
    const std::u16string text(digits.begin(), digits.end());
    return call.done(writeStruct(lpDeviceConfig,
                                 varString(STRINGFORMAT_UNICODE, text.c_str(), (text.size() + 1) * sizeof(char16_t)),
                                 sizeof(VARSTRING), call.structFaults(dwDeviceID)));
}

LONG WINAPI lineConfigDialogW(DWORD dwDeviceID, HWND hwndOwner, LPCWSTR lpszDeviceClass)
{
    ApiCall call("lineConfigDialogW");
    call.num("dwDeviceID", dwDeviceID).num("hwndOwner", reinterpret_cast<uintptr_t>(hwndOwner));
    call.text("lpszDeviceClass", lpszDeviceClass);
    if (LONG f = syncFault(call))
        return call.done(f);
    if (!lineVersions(dwDeviceID).exists)
        return call.done(LINEERR_BADDEVICEID);
    ConfigDialogRequest request{false, dwDeviceID, hwndOwner, {}};
    if (lpszDeviceClass && !readWide(lpszDeviceClass, request.deviceClass))
        return call.done(LINEERR_INVALPOINTER);
    if (!request.deviceClass.empty() && request.deviceClass != u"tapi/line")
        return call.done(LINEERR_INVALDEVICECLASS);
    return call.done(runConfigDialog(std::move(request)));
}

LONG WINAPI phoneConfigDialogW(DWORD dwDeviceID, HWND hwndOwner, LPCWSTR lpszDeviceClass)
{
    ApiCall call("phoneConfigDialogW");
    call.num("dwDeviceID", dwDeviceID).num("hwndOwner", reinterpret_cast<uintptr_t>(hwndOwner));
    call.text("lpszDeviceClass", lpszDeviceClass);
    if (LONG f = syncFault(call))
        return call.done(f);
    if (!phoneVersions(dwDeviceID).exists)
        return call.done(PHONEERR_BADDEVICEID);
    ConfigDialogRequest request{true, dwDeviceID, hwndOwner, {}};
    if (lpszDeviceClass && !readWide(lpszDeviceClass, request.deviceClass))
        return call.done(PHONEERR_INVALPOINTER);
    if (!request.deviceClass.empty() && request.deviceClass != u"tapi/phone")
        return call.done(PHONEERR_INVALDEVICECLASS);
    return call.done(runConfigDialog(std::move(request)));
}

LONG WINAPI lineTranslateAddressW(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, LPCWSTR lpszAddressIn,
                                  DWORD dwCard, DWORD dwTranslateOptions, LPLINETRANSLATEOUTPUT lpTranslateOutput)
{
    ApiCall call("lineTranslateAddressW");
    call.num("hLineApp", hLineApp).num("dwDeviceID", dwDeviceID).num("dwAPIVersion", dwAPIVersion);
    call.text("lpszAddressIn", lpszAddressIn).num("dwCard", dwCard).num("dwTranslateOptions", dwTranslateOptions);
    call.num("dwTotalSize", totalSizeOf(lpTranslateOutput));
    if (LONG f = syncFault(call))
        return call.done(f);
    if (hLineApp && !validApp(kLineErrors, hLineApp))
        return call.done(LINEERR_INVALAPPHANDLE);
    const VersionRange range = lineVersions(dwDeviceID);
    if (!range.exists)
        return call.done(LINEERR_BADDEVICEID);
    if (!range.contains(dwAPIVersion))
        return call.done(LINEERR_INCOMPATIBLEAPIVERSION);
    std::u16string in;
    if (!lpszAddressIn || !readWide(lpszAddressIn, in))
        return call.done(LINEERR_INVALPOINTER);

    LINETRANSLATEOUTPUT fixed{};
    fixed.dwCurrentCountry = kCountryCode;
    std::u16string dialable = in;
    if (!in.empty() && in[0] == u'+') {
        std::u16string cc, area, number;
        if (!splitCanonical(in, cc, area, number))
            return call.done(LINEERR_INVALADDRESS);
        fixed.dwDestCountry = static_cast<DWORD>(std::stoul(std::string(cc.begin(), cc.end())));
        fixed.dwTranslateResults = LINETRANSLATERESULT_CANONICAL;
        if (fixed.dwDestCountry != kCountryCode) {
            dialable = kInternationalPrefix + cc + area + number;
            fixed.dwTranslateResults |= LINETRANSLATERESULT_INTERNATIONAL;
        } else if (!area.empty() && area != kAreaCode) {
            dialable = kLongDistancePrefix + area + number;
            fixed.dwTranslateResults |= LINETRANSLATERESULT_LONGDISTANCE;
        } else {
            dialable = number;
            fixed.dwTranslateResults |= LINETRANSLATERESULT_LOCAL;
        }
    }
    exchange::VarStruct out = exchange::VarStruct::of(fixed);
    out.addText(offsetof(LINETRANSLATEOUTPUT, dwDialableStringSize), dialable);
    out.addText(offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringSize), dialable);
    return call.done(writeStruct(lpTranslateOutput, out, sizeof(LINETRANSLATEOUTPUT), call.structFaults(dwDeviceID)));
}

} // extern "C"
