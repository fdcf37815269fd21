// Functions whose call model (transfer, conference, park, pickup,
// redirect, completion, forwarding, agents) the exchange does not carry out
// yet. They are recorded, check their handles and privileges like the
// others, and answer LINEERR_OPERATIONUNAVAIL at once, which is what a
// provider without the feature answers.
#include "tapi32/ApiSupport.h"

using namespace tapi32;

namespace {

LONG unavailableOnCall(ApiCall &call, HCALL hCall, bool ownerOnly = true)
{
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const CallRecord *c = reg.call(hCall);
    if (!c)
        return call.done(LINEERR_INVALCALLHANDLE);
    if (ownerOnly && c->privilege != LINECALLPRIVILEGE_OWNER)
        return call.done(LINEERR_NOTOWNER);
    return call.done(LINEERR_OPERATIONUNAVAIL);
}

LONG unavailableOnLine(ApiCall &call, HLINE hLine, DWORD addressId)
{
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const LineOpenRecord *open = reg.line(hLine);
    if (!open)
        return call.done(LINEERR_INVALLINEHANDLE);
    const bool hasAddress = exchangeOf().inspect(
        [&](const exchange::Switchboard &b) { return b.line(open->device)->hasAddress(addressId); });
    return call.done(hasAddress ? LINEERR_OPERATIONUNAVAIL : LINEERR_INVALADDRESSID);
}

} // namespace

extern "C" {

LONG WINAPI lineAddToConference(HCALL hConfCall, HCALL hConsultCall)
{
    ApiCall call("lineAddToConference");
    call.num("hConfCall", hConfCall).num("hConsultCall", hConsultCall);
    return unavailableOnCall(call, hConfCall);
}

LONG WINAPI lineBlindTransferW(HCALL hCall, LPCWSTR lpszDestAddressW, DWORD dwCountryCode)
{
    ApiCall call("lineBlindTransferW");
    call.num("hCall", hCall).text("lpszDestAddressW", lpszDestAddressW).num("dwCountryCode", dwCountryCode);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineCompleteCall(HCALL hCall, LPDWORD lpdwCompletionID, DWORD dwCompletionMode, DWORD dwMessageID)
{
    ApiCall call("lineCompleteCall");
    call.num("hCall", hCall).ptr("lpdwCompletionID", lpdwCompletionID);
    call.num("dwCompletionMode", dwCompletionMode).num("dwMessageID", dwMessageID);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineCompleteTransfer(HCALL hCall, HCALL hConsultCall, LPHCALL lphConfCall, DWORD dwTransferMode)
{
    ApiCall call("lineCompleteTransfer");
    call.num("hCall", hCall).num("hConsultCall", hConsultCall).ptr("lphConfCall", lphConfCall);
    call.num("dwTransferMode", dwTransferMode);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineForwardW(HLINE hLine, DWORD bAllAddresses, DWORD dwAddressID, LPLINEFORWARDLIST const lpForwardList,
                         DWORD dwNumRingsNoAnswer, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineForwardW");
    call.num("hLine", hLine).num("bAllAddresses", bAllAddresses).num("dwAddressID", dwAddressID);
    call.structure("lpForwardList", lpForwardList).num("dwNumRingsNoAnswer", dwNumRingsNoAnswer);
    call.ptr("lphConsultCall", lphConsultCall).structure("lpCallParams", lpCallParams);
    return unavailableOnLine(call, hLine, bAllAddresses ? 0 : dwAddressID);
}

LONG WINAPI lineGetAgentActivityListW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTACTIVITYLIST lpAgentActivityList)
{
    ApiCall call("lineGetAgentActivityListW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lpAgentActivityList", lpAgentActivityList);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI lineGetAgentGroupListW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTGROUPLIST lpAgentGroupList)
{
    ApiCall call("lineGetAgentGroupListW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lpAgentGroupList", lpAgentGroupList);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI lineGetAgentStatusW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTSTATUS lpAgentStatus)
{
    ApiCall call("lineGetAgentStatusW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lpAgentStatus", lpAgentStatus);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI lineGetConfRelatedCalls(HCALL hCall, LPLINECALLLIST lpCallList)
{
    ApiCall call("lineGetConfRelatedCalls");
    call.num("hCall", hCall).ptr("lpCallList", lpCallList);
    return unavailableOnCall(call, hCall, false);
}

LONG WINAPI lineParkW(HCALL hCall, DWORD dwParkMode, LPCWSTR lpszDirAddress, LPVARSTRING lpNonDirAddress)
{
    ApiCall call("lineParkW");
    call.num("hCall", hCall).num("dwParkMode", dwParkMode).text("lpszDirAddress", lpszDirAddress);
    call.ptr("lpNonDirAddress", lpNonDirAddress);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI linePickupW(HLINE hLine, DWORD dwAddressID, LPHCALL lphCall, LPCWSTR lpszDestAddress, LPCWSTR lpszGroupID)
{
    ApiCall call("linePickupW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lphCall", lphCall);
    call.text("lpszDestAddress", lpszDestAddress).text("lpszGroupID", lpszGroupID);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI linePrepareAddToConferenceW(HCALL hConfCall, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("linePrepareAddToConferenceW");
    call.num("hConfCall", hConfCall).ptr("lphConsultCall", lphConsultCall).structure("lpCallParams", lpCallParams);
    return unavailableOnCall(call, hConfCall);
}

LONG WINAPI lineRedirectW(HCALL hCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode)
{
    ApiCall call("lineRedirectW");
    call.num("hCall", hCall).text("lpszDestAddress", lpszDestAddress).num("dwCountryCode", dwCountryCode);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineRemoveFromConference(HCALL hCall)
{
    ApiCall call("lineRemoveFromConference");
    call.num("hCall", hCall);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineSetAgentActivity(HLINE hLine, DWORD dwAddressID, DWORD dwActivityID)
{
    ApiCall call("lineSetAgentActivity");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).num("dwActivityID", dwActivityID);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI lineSetAgentGroup(HLINE hLine, DWORD dwAddressID, LPLINEAGENTGROUPLIST lpAgentGroupList)
{
    ApiCall call("lineSetAgentGroup");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).structure("lpAgentGroupList", lpAgentGroupList);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI lineSetAgentState(HLINE hLine, DWORD dwAddressID, DWORD dwAgentState, DWORD dwNextAgentState)
{
    ApiCall call("lineSetAgentState");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).num("dwAgentState", dwAgentState);
    call.num("dwNextAgentState", dwNextAgentState);
    return unavailableOnLine(call, hLine, dwAddressID);
}

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

LONG WINAPI lineSetupTransferW(HCALL hCall, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineSetupTransferW");
    call.num("hCall", hCall).ptr("lphConsultCall", lphConsultCall).structure("lpCallParams", lpCallParams);
    return unavailableOnCall(call, hCall);
}

LONG WINAPI lineUnparkW(HLINE hLine, DWORD dwAddressID, LPHCALL lphCall, LPCWSTR lpszDestAddress)
{
    ApiCall call("lineUnparkW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lphCall", lphCall);
    call.text("lpszDestAddress", lpszDestAddress);
    return unavailableOnLine(call, hLine, dwAddressID);
}

} // extern "C"
