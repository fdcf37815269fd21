// One line device of the exchange: its configuration and its live status.
#ifndef DIALWERK_EXCHANGE_LINE_H
#define DIALWERK_EXCHANGE_LINE_H

#include "exchange/Events.h"
#include "exchange/Topology.h"
#include "exchange/VarStruct.h"

#include <tapi.h>

#include <map>
#include <string>
#include <vector>

namespace exchange {

/// Call counts of a line or address, for the status structures.
struct CallCounts {
    DWORD inUse = 0;         // calls that are not idle
    DWORD active = 0;        // calls in an active state
    DWORD onHold = 0;        // ONHOLD
    DWORD onHoldPending = 0; // ONHOLDPENDTRANSFER / ONHOLDPENDCONF
};

/// One entry of an address's forward list.
struct ForwardEntry {
    DWORD mode = 0;        // one LINEFORWARDMODE_ bit
    std::u16string caller; // the caller a specific mode applies to
    std::u16string dest;   // empty: do-not-disturb (unconditional only)
    DWORD destCountryCode = 0;
};

/// How an address forwards its calls now.
struct AddressForwarding {
    std::vector<ForwardEntry> entries;
    DWORD ringsNoAnswer = 0;
};

class Line {
public:
    Line(DWORD id, LineConfig config);

    DWORD id() const { return id_; }
    const LineConfig &config() const { return config_; }
    /// The configuration for a change of capabilities (see Exchange::changeLine).
    LineConfig &editConfig() { return config_; }
    DWORD addressCount() const { return static_cast<DWORD>(config_.addresses.size()); }
    bool hasAddress(DWORD address) const { return address < addressCount(); }
    const AddressConfig &address(DWORD address) const { return config_.addresses.at(address); }

    /// LINEDEVCAPS (dwNumAddresses and the names filled in).
    VarStruct devCaps() const;
    /// LINEADDRESSCAPS of one existing address.
    VarStruct addressCaps(DWORD address) const;
    /// LINEDEVSTATUS; open counts and media modes are the runtime's to set.
    VarStruct devStatus(const CallCounts &counts) const;
    /// LINEADDRESSSTATUS of one existing address.
    VarStruct addressStatus(DWORD address, const CallCounts &counts) const;

    /// The forwarding of an address (empty when none).
    const AddressForwarding &forwarding(DWORD address) const;
    void setForwarding(DWORD address, AddressForwarding f) { forwarding_[address] = std::move(f); }

    /// A removed line keeps its identifier but serves nobody.
    bool removed() const { return removed_; }
    void markRemoved() { removed_ = true; }

    DWORD devStatusFlags() const { return devStatusFlags_; }
    void setDevStatusFlags(DWORD flags) { devStatusFlags_ = flags; }
    /// Whether one settable LINEDEVSTATUSFLAGS_ bit may be changed: 0 or
    /// LINEERR_INVALPARAM.
    LONG checkDevStatus(DWORD statusToChange) const;
    /// Sets or clears it; LINE_LINEDEVSTATE follows when it changed.
    void setDevStatus(DWORD statusToChange, bool on, std::vector<Event> &out);

    /// An agent's state, next state, activity and groups at an address.
    struct AgentState {
        DWORD state = LINEAGENTSTATE_LOGGEDOFF;
        DWORD nextState = LINEAGENTSTATE_LOGGEDOFF;
        DWORD activity = 0;
        std::vector<AgentGroupId> groups; // in the order the address offers them
    };
    AgentState &agent(DWORD address) { return agents_[address]; }
    AgentState agentState(DWORD address) const
    {
        const auto it = agents_.find(address);
        return it == agents_.end() ? AgentState{} : it->second;
    }

private:
    DWORD id_;
    LineConfig config_;
    DWORD devStatusFlags_ = LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_INSERVICE;
    bool removed_ = false;
    std::map<DWORD, AgentState> agents_; // by address
    std::map<DWORD, AddressForwarding> forwarding_;
};

} // namespace exchange

#endif
