// Conference calls: set-up, adding and removing parties, related calls.
// Not carried out by the exchange yet: checked like the others, then
// answered LINEERR_OPERATIONUNAVAIL, as a provider without the feature does.
#include "tapi32/ApiSupport.h"

using namespace tapi32;

extern "C" {

LONG WINAPI lineSetupConferenceW(HCALL hCall, HLINE hLine, LPHCALL lphConfCall, LPHCALL lphConsultCall,
                                 DWORD dwNumParties, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineSetupConferenceW");
    call.num("hCall", hCall).num("hLine", hLine).ptr("lphConfCall", lphConfCall).ptr("lphConsultCall", lphConsultCall);
    call.num("dwNumParties", dwNumParties).structure("lpCallParams", lpCallParams);
    if (hCall)
        return unavailableOnCall(call, hCall);
    return unavailableOnLine(call, hLine, 0);
}

LONG WINAPI linePrepareAddToConferenceW(HCALL hConfCall, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("linePrepareAddToConferenceW");
    call.num("hConfCall", hConfCall).ptr("lphConsultCall", lphConsultCall).structure("lpCallParams", lpCallParams);
    return unavailableOnCall(call, hConfCall);
}

LONG WINAPI lineAddToConference(HCALL hConfCall, HCALL hConsultCall)
{
    ApiCall call("lineAddToConference");
    call.num("hConfCall", hConfCall).num("hConsultCall", hConsultCall);
    return unavailableOnCall(call, hConfCall);
}

LONG WINAPI lineRemoveFromConference(HCALL hCall)
{
    ApiCall call("lineRemoveFromConference");
    call.num("hCall", hCall);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineGetConfRelatedCalls(HCALL hCall, LPLINECALLLIST lpCallList)
{
    ApiCall call("lineGetConfRelatedCalls");
    call.num("hCall", hCall).ptr("lpCallList", lpCallList);
    return unavailableOnCall(call, hCall, false);
}

} // extern "C"
