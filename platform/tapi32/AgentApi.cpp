// Agents: status, state, activity and groups of an address.
// Not carried out by the exchange yet: checked like the others, then
// answered LINEERR_OPERATIONUNAVAIL, as a provider without the feature does.
#include "tapi32/ApiSupport.h"

using namespace tapi32;

extern "C" {

LONG WINAPI lineGetAgentStatusW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTSTATUS lpAgentStatus)
{
    ApiCall call("lineGetAgentStatusW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lpAgentStatus", lpAgentStatus);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI lineSetAgentState(HLINE hLine, DWORD dwAddressID, DWORD dwAgentState, DWORD dwNextAgentState)
{
    ApiCall call("lineSetAgentState");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).num("dwAgentState", dwAgentState);
    call.num("dwNextAgentState", dwNextAgentState);
    return unavailableOnLine(call, hLine, dwAddressID);
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

LONG WINAPI lineGetAgentGroupListW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTGROUPLIST lpAgentGroupList)
{
    ApiCall call("lineGetAgentGroupListW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lpAgentGroupList", lpAgentGroupList);
    return unavailableOnLine(call, hLine, dwAddressID);
}

LONG WINAPI lineGetAgentActivityListW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTACTIVITYLIST lpAgentActivityList)
{
    ApiCall call("lineGetAgentActivityListW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lpAgentActivityList", lpAgentActivityList);
    return unavailableOnLine(call, hLine, dwAddressID);
}

} // extern "C"
