// Call completion: camp on, call back, intrude and message.
// Not carried out by the exchange yet: checked like the others, then
// answered LINEERR_OPERATIONUNAVAIL, as a provider without the feature does.
#include "tapi32/ApiSupport.h"

using namespace tapi32;

extern "C" {

LONG WINAPI lineCompleteCall(HCALL hCall, LPDWORD lpdwCompletionID, DWORD dwCompletionMode, DWORD dwMessageID)
{
    ApiCall call("lineCompleteCall");
    call.num("hCall", hCall).ptr("lpdwCompletionID", lpdwCompletionID);
    call.num("dwCompletionMode", dwCompletionMode).num("dwMessageID", dwMessageID);
    return unavailableOnCall(call, hCall);
}

} // extern "C"
