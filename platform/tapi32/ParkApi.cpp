// Moving calls between addresses: park, unpark, pickup and redirect.
// Not carried out by the exchange yet: checked like the others, then
// answered LINEERR_OPERATIONUNAVAIL, as a provider without the feature does.
#include "tapi32/ApiSupport.h"

using namespace tapi32;

extern "C" {

LONG WINAPI lineParkW(HCALL hCall, DWORD dwParkMode, LPCWSTR lpszDirAddress, LPVARSTRING lpNonDirAddress)
{
    ApiCall call("lineParkW");
    call.num("hCall", hCall).num("dwParkMode", dwParkMode).text("lpszDirAddress", lpszDirAddress);
    call.ptr("lpNonDirAddress", lpNonDirAddress);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineUnparkW(HLINE hLine, DWORD dwAddressID, LPHCALL lphCall, LPCWSTR lpszDestAddress)
{
    ApiCall call("lineUnparkW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lphCall", lphCall);
    call.text("lpszDestAddress", lpszDestAddress);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI linePickupW(HLINE hLine, DWORD dwAddressID, LPHCALL lphCall, LPCWSTR lpszDestAddress, LPCWSTR lpszGroupID)
{
    ApiCall call("linePickupW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lphCall", lphCall);
    call.text("lpszDestAddress", lpszDestAddress).text("lpszGroupID", lpszGroupID);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI lineRedirectW(HCALL hCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode)
{
    ApiCall call("lineRedirectW");
    call.num("hCall", hCall).text("lpszDestAddress", lpszDestAddress).num("dwCountryCode", dwCountryCode);
    return unavailableOnCall(call, hCall);
}

} // extern "C"
