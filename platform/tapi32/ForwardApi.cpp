// Call forwarding of one address or all.
// Not carried out by the exchange yet: checked like the others, then
// answered LINEERR_OPERATIONUNAVAIL, as a provider without the feature does.
#include "tapi32/ApiSupport.h"

using namespace tapi32;

extern "C" {

LONG WINAPI lineForwardW(HLINE hLine, DWORD bAllAddresses, DWORD dwAddressID, LPLINEFORWARDLIST const lpForwardList,
                         DWORD dwNumRingsNoAnswer, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineForwardW");
    call.num("hLine", hLine).num("bAllAddresses", bAllAddresses).num("dwAddressID", dwAddressID);
    call.structure("lpForwardList", lpForwardList).num("dwNumRingsNoAnswer", dwNumRingsNoAnswer);
    call.ptr("lphConsultCall", lphConsultCall).structure("lpCallParams", lpCallParams);
    return unavailableOnLine(call, hLine, bAllAddresses ? 0 : dwAddressID);
}

} // extern "C"
