// Agents: status, state, activity and groups of an address.
// State, activity and the activity list are carried out by the exchange on
// addresses with agent support; every other address answers
// LINEERR_OPERATIONUNAVAIL. Agent groups are not kept by the exchange: those
// two functions answer LINEERR_OPERATIONUNAVAIL everywhere.
#include "tapi32/ApiSupport.h"
#include "tapi32/StructWriter.h"

#include <exchange/Agents.h>

#include <memory>

using namespace tapi32;
using exchange::Agents;
using exchange::Switchboard;

namespace {

/// Resolves the line of an agent request: 0 with the request's holder.
LONG resolveLine(HLINE hLine, PendingRequest &pending)
{
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const LineOpenRecord *open = reg.line(hLine);
    if (!open)
        return LINEERR_INVALLINEHANDLE;
    pending.app = open->app;
    pending.line = hLine;
    pending.device = open->device;
    return 0;
}

/// An asynchronous agent request: checked now and when carried out.
LONG agentRequest(ApiCall &call, HLINE hLine, std::function<LONG(const Switchboard &, DWORD)> check,
                  std::function<void(Switchboard &, DWORD)> action)
{
    if (LONG f = call.immediateFault())
        return call.done(f);
    PendingRequest pending;
    if (LONG r = resolveLine(hLine, pending))
        return call.done(r);
    const DWORD device = pending.device;
    return call.done(runtime().startRequest(call.fault(), pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(
            tag, [=](const Switchboard &b) { return check(b, device); }, [=](Switchboard &b) { action(b, device); });
    }));
}

/// An asynchronous query whose answer is written into `out` with the reply.
LONG agentQuery(ApiCall &call, HLINE hLine, DWORD address, void *out, DWORD fixed,
                exchange::VarStruct (*answer)(const Switchboard &, DWORD, DWORD))
{
    if (LONG f = call.immediateFault())
        return call.done(f);
    PendingRequest pending;
    if (LONG r = resolveLine(hLine, pending))
        return call.done(r);
    const DWORD device = pending.device;
    auto check = [=](const Switchboard &b) { return Agents::checkAgent(b, device, address); };
    if (LONG r = exchangeOf().inspect(check))
        return call.done(r);
    if (!out)
        return call.done(LINEERR_INVALPOINTER);
    if (totalSizeOf(out) < fixed)
        return call.done(LINEERR_STRUCTURETOOSMALL);
    pending.outStruct = out;
    pending.outAnswer = std::make_shared<const exchange::VarStruct>(
        exchangeOf().inspect([&](const Switchboard &b) { return answer(b, device, address); }));
    return call.done(runtime().startRequest(call.fault(), pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(tag, check, [](Switchboard &) {});
    }));
}

} // namespace

extern "C" {

LONG WINAPI lineGetAgentStatusW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTSTATUS lpAgentStatus)
{
    ApiCall call("lineGetAgentStatusW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lpAgentStatus", lpAgentStatus);
    return agentQuery(call, hLine, dwAddressID, lpAgentStatus, sizeof(LINEAGENTSTATUS), &Agents::status);
}

LONG WINAPI lineSetAgentState(HLINE hLine, DWORD dwAddressID, DWORD dwAgentState, DWORD dwNextAgentState)
{
    ApiCall call("lineSetAgentState");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).num("dwAgentState", dwAgentState);
    call.num("dwNextAgentState", dwNextAgentState);
    return agentRequest(
        call, hLine,
        [=](const Switchboard &b, DWORD line) {
            return Agents::checkState(b, line, dwAddressID, dwAgentState, dwNextAgentState);
        },
        [=](Switchboard &b, DWORD line) { b.setAgentState(line, dwAddressID, dwAgentState, dwNextAgentState); });
}

LONG WINAPI lineSetAgentActivity(HLINE hLine, DWORD dwAddressID, DWORD dwActivityID)
{
    ApiCall call("lineSetAgentActivity");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).num("dwActivityID", dwActivityID);
    return agentRequest(
        call, hLine,
        [=](const Switchboard &b, DWORD line) { return Agents::checkActivity(b, line, dwAddressID, dwActivityID); },
        [=](Switchboard &b, DWORD line) { b.setAgentActivity(line, dwAddressID, dwActivityID); });
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
    return agentQuery(call, hLine, dwAddressID, lpAgentActivityList, sizeof(LINEAGENTACTIVITYLIST),
                      &Agents::activities);
}

} // extern "C"
