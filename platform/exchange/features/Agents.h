// Agents on the exchange's agent addresses: state, next state, activity and
// groups, checked against the address's agent configuration.
#ifndef DIALWERK_EXCHANGE_FEATURES_AGENTS_H
#define DIALWERK_EXCHANGE_FEATURES_AGENTS_H

#include "exchange/Topology.h"
#include "exchange/core/Core.h"
#include "exchange/core/VarStruct.h"

#include <tapi.h>

#include <map>
#include <vector>

namespace exchange {

class Agents {
public:
    explicit Agents(Core &core) : core_(core) {}

    /// 0, LINEERR_OPERATIONUNAVAIL for an address without agents, or
    /// LINEERR_INVALADDRESSID for an unknown one.
    LONG checkAgent(DWORD line, DWORD address) const;
    /// A state and a next state (0 leaves either as it is), each a single
    /// valid bit; LINEERR_INVALAGENTSTATE otherwise.
    LONG checkState(DWORD line, DWORD address, DWORD state, DWORD next) const;
    /// LINEERR_INVALAGENTACTIVITY for an activity the address does not list.
    LONG checkActivity(DWORD line, DWORD address, DWORD activity) const;
    /// LINEERR_INVALAGENTGROUP when a group is not offered by the address.
    LONG checkGroups(DWORD line, DWORD address, const std::vector<AgentGroupId> &groups) const;
    /// LINEAGENTSTATUS of an agent address, with the groups the agent is in.
    VarStruct status(DWORD line, DWORD address) const;
    /// LINEAGENTACTIVITYLIST of an agent address.
    VarStruct activities(DWORD line, DWORD address) const;
    /// LINEAGENTGROUPLIST of the groups an agent address offers.
    VarStruct groupList(DWORD line, DWORD address) const;

    /// Change what the checks allowed; LINE_AGENTSTATUS reports the bits
    /// that changed (nothing when nothing did).
    void setState(DWORD line, DWORD address, DWORD state, DWORD next);
    void setActivity(DWORD line, DWORD address, DWORD activity);
    /// Logs the agent in to exactly these groups (none: out of all of them).
    void setGroups(DWORD line, DWORD address, const std::vector<AgentGroupId> &groups);

private:
    /// An agent's state, next state, activity and groups at an address.
    struct AgentState {
        DWORD state = LINEAGENTSTATE_LOGGEDOFF;
        DWORD nextState = LINEAGENTSTATE_LOGGEDOFF;
        DWORD activity = 0;
        std::vector<AgentGroupId> groups; // in the order the address offers them
    };
    const AgentConfig *configOf(DWORD line, DWORD address) const;
    AgentState stateOf(DWORD line, DWORD address) const;

    Core &core_;
    std::map<std::pair<DWORD, DWORD>, AgentState> agents_; // by line, address
};

} // namespace exchange

#endif
