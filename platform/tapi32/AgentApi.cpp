// Agents: status, state, activity and groups of an address, carried out by
// the exchange on addresses with agent support; every other address answers
// LINEERR_OPERATIONUNAVAIL.
#include "tapi32/ApiSupport.h"
#include "tapi32/CallRequest.h"
#include "tapi32/InputStruct.h"
#include "tapi32/StructWriter.h"

#include <exchange/features/Agents.h>

#include <cstddef>
#include <memory>

using namespace tapi32;
using exchange::Agents;
using exchange::Switchboard;

namespace {

/// An asynchronous agent request: checked now and when carried out.
LONG agentRequest(ApiCall &call, HLINE hLine, std::function<LONG(const Switchboard &, DWORD)> check,
                  std::function<void(Switchboard &, DWORD)> action)
{
    PendingRequest pending;
    if (LONG r = requestLine(call, hLine, pending))
        return call.done(r);
    const DWORD device = pending.device;
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(
            tag, [=](const Switchboard &b) { return check(b, device); }, [=](Switchboard &b) { action(b, device); });
    }));
}

/// An asynchronous query whose answer is written into `out` with the reply.
LONG agentQuery(ApiCall &call, HLINE hLine, DWORD address, void *out, DWORD fixed,
                exchange::VarStruct (Agents::*answer)(DWORD, DWORD) const)
{
    PendingRequest pending;
    if (LONG r = requestLine(call, hLine, pending))
        return call.done(r);
    const DWORD device = pending.device;
    auto check = [=](const Switchboard &b) { return b.agents().checkAgent(device, address); };
    if (LONG r = exchangeOf().inspect(check))
        return call.done(r);
    if (!out)
        return call.done(LINEERR_INVALPOINTER);
    if (totalSizeOf(out) < fixed)
        return call.done(LINEERR_STRUCTURETOOSMALL);
    pending.outStruct = out;
    pending.outAnswer = std::make_shared<const exchange::VarStruct>(
        exchangeOf().inspect([&](const Switchboard &b) { return (b.agents().*answer)(device, address); }));
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(tag, check, [](Switchboard &) {});
    }));
}

/// Reads the group identifiers of a caller's LINEAGENTGROUPLIST (null: no
/// groups). The entry array and every name must lie inside dwTotalSize:
/// LINEERR_STRUCTURETOOSMALL when not even the fixed part is there,
/// LINEERR_INVALPOINTER for anything else outside it. Names are checked but
/// not compared: the identifier alone names a group.
LONG readGroupList(const LINEAGENTGROUPLIST *list, std::vector<exchange::AgentGroupId> &out)
{
    out.clear();
    if (!list)
        return 0;
    constexpr DWORD fixed = sizeof(LINEAGENTGROUPLIST);
    InputStruct in;
    if (LONG r = in.read(list, fixed, {offsetof(LINEAGENTGROUPLIST, dwListSize)}, LINEERR_STRUCTURETOOSMALL,
                         LINEERR_INVALPOINTER))
        return r;
    const uint64_t count = in.dword(offsetof(LINEAGENTGROUPLIST, dwNumEntries));
    const std::vector<uint8_t> records = in.bytes(offsetof(LINEAGENTGROUPLIST, dwListSize));
    if (count * sizeof(LINEAGENTGROUPENTRY) > records.size())
        return LINEERR_INVALPOINTER;
    const uint64_t total = in.raw().size();
    for (size_t i = 0; i < count; ++i) {
        LINEAGENTGROUPENTRY e;
        std::memcpy(&e, records.data() + i * sizeof e, sizeof e);
        if (e.dwNameSize != 0 && (e.dwNameOffset < fixed || uint64_t(e.dwNameOffset) + e.dwNameSize > total))
            return LINEERR_INVALPOINTER;
        out.push_back({e.GroupID.dwGroupID1, e.GroupID.dwGroupID2, e.GroupID.dwGroupID3, e.GroupID.dwGroupID4});
    }
    return 0;
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
            return b.agents().checkState(line, dwAddressID, dwAgentState, dwNextAgentState);
        },
        [=](Switchboard &b, DWORD line) { b.agents().setState(line, dwAddressID, dwAgentState, dwNextAgentState); });
}

LONG WINAPI lineSetAgentActivity(HLINE hLine, DWORD dwAddressID, DWORD dwActivityID)
{
    ApiCall call("lineSetAgentActivity");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).num("dwActivityID", dwActivityID);
    return agentRequest(
        call, hLine,
        [=](const Switchboard &b, DWORD line) { return b.agents().checkActivity(line, dwAddressID, dwActivityID); },
        [=](Switchboard &b, DWORD line) { b.agents().setActivity(line, dwAddressID, dwActivityID); });
}

LONG WINAPI lineSetAgentGroup(HLINE hLine, DWORD dwAddressID, LPLINEAGENTGROUPLIST lpAgentGroupList)
{
    ApiCall call("lineSetAgentGroup");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).structure("lpAgentGroupList", lpAgentGroupList);
    PendingRequest pending;
    if (LONG r = requestLine(call, hLine, pending))
        return call.done(r);
    const DWORD device = pending.device;
    // The address is checked before the list, so an address without agents
    // answers that the operation is unavailable whatever the list holds.
    if (LONG r = exchangeOf().inspect([&](const Switchboard &b) { return b.agents().checkAgent(device, dwAddressID); }))
        return call.done(r);
    std::vector<exchange::AgentGroupId> groups;
    if (LONG r = readGroupList(lpAgentGroupList, groups))
        return call.done(r);
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(
            tag, [=](const Switchboard &b) { return b.agents().checkGroups(device, dwAddressID, groups); },
            [=](Switchboard &b) { b.agents().setGroups(device, dwAddressID, groups); });
    }));
}

LONG WINAPI lineGetAgentGroupListW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTGROUPLIST lpAgentGroupList)
{
    ApiCall call("lineGetAgentGroupListW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lpAgentGroupList", lpAgentGroupList);
    return agentQuery(call, hLine, dwAddressID, lpAgentGroupList, sizeof(LINEAGENTGROUPLIST), &Agents::groupList);
}

LONG WINAPI lineGetAgentActivityListW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTACTIVITYLIST lpAgentActivityList)
{
    ApiCall call("lineGetAgentActivityListW");
    call.num("hLine", hLine).num("dwAddressID", dwAddressID).ptr("lpAgentActivityList", lpAgentActivityList);
    return agentQuery(call, hLine, dwAddressID, lpAgentActivityList, sizeof(LINEAGENTACTIVITYLIST),
                      &Agents::activities);
}

} // extern "C"
