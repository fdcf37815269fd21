// Agents on the exchange's agent addresses: state, next state, activity and
// groups, checked against the address's agent configuration.
#ifndef DIALWERK_EXCHANGE_AGENTS_H
#define DIALWERK_EXCHANGE_AGENTS_H

#include "exchange/Topology.h"
#include "exchange/VarStruct.h"

#include <tapi.h>

namespace exchange {

class Switchboard;

class Agents {
public:
    explicit Agents(Switchboard &board) : board_(board) {}

    /// 0, LINEERR_OPERATIONUNAVAIL for an address without agents, or
    /// LINEERR_INVALADDRESSID for an unknown one.
    static LONG checkAgent(const Switchboard &board, DWORD line, DWORD address);
    /// A state and a next state (0 leaves either as it is), each a single
    /// valid bit; LINEERR_INVALAGENTSTATE otherwise.
    static LONG checkState(const Switchboard &board, DWORD line, DWORD address, DWORD state, DWORD next);
    /// LINEERR_INVALAGENTACTIVITY for an activity the address does not list.
    static LONG checkActivity(const Switchboard &board, DWORD line, DWORD address, DWORD activity);
    /// LINEERR_INVALAGENTGROUP when a group is not offered by the address.
    static LONG checkGroups(const Switchboard &board, DWORD line, DWORD address,
                            const std::vector<AgentGroupId> &groups);
    /// LINEAGENTSTATUS of an agent address, with the groups the agent is in.
    static VarStruct status(const Switchboard &board, DWORD line, DWORD address);
    /// LINEAGENTACTIVITYLIST of an agent address.
    static VarStruct activities(const Switchboard &board, DWORD line, DWORD address);
    /// LINEAGENTGROUPLIST of the groups an agent address offers.
    static VarStruct groupList(const Switchboard &board, DWORD line, DWORD address);

    /// Change what the checks allowed; LINE_AGENTSTATUS reports the bits
    /// that changed (nothing when nothing did).
    void setState(DWORD line, DWORD address, DWORD state, DWORD next);
    void setActivity(DWORD line, DWORD address, DWORD activity);
    /// Logs the agent in to exactly these groups (none: out of all of them).
    void setGroups(DWORD line, DWORD address, const std::vector<AgentGroupId> &groups);

private:
    Switchboard &board_;
};

} // namespace exchange

#endif
