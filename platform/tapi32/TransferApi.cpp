// Transfer: blind transfer, consultation transfer and its completion.
// Not carried out by the exchange yet: checked like the others, then
// answered LINEERR_OPERATIONUNAVAIL, as a provider without the feature does.
#include "tapi32/ApiSupport.h"

using namespace tapi32;

extern "C" {

LONG WINAPI lineBlindTransferW(HCALL hCall, LPCWSTR lpszDestAddressW, DWORD dwCountryCode)
{
    ApiCall call("lineBlindTransferW");
    call.num("hCall", hCall).text("lpszDestAddressW", lpszDestAddressW).num("dwCountryCode", dwCountryCode);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineSetupTransferW(HCALL hCall, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineSetupTransferW");
    call.num("hCall", hCall).ptr("lphConsultCall", lphConsultCall).structure("lpCallParams", lpCallParams);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineCompleteTransfer(HCALL hCall, HCALL hConsultCall, LPHCALL lphConfCall, DWORD dwTransferMode)
{
    ApiCall call("lineCompleteTransfer");
    call.num("hCall", hCall).num("hConsultCall", hConsultCall).ptr("lphConfCall", lphConfCall);
    call.num("dwTransferMode", dwTransferMode);
    return unavailableOnCall(call, hCall);
}

} // extern "C"
