// One line device of the exchange: its configuration and its live status.
#ifndef DIALWERK_EXCHANGE_CORE_LINE_H
#define DIALWERK_EXCHANGE_CORE_LINE_H

#include "exchange/core/Events.h"
#include "exchange/Topology.h"
#include "exchange/core/VarStruct.h"

#include <tapi.h>

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
    /// LINEADDRESSSTATUS of one existing address, without its forwarding.
    VarStruct addressStatus(DWORD address, const CallCounts &counts) const;

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

private:
    DWORD id_;
    LineConfig config_;
    DWORD devStatusFlags_ = LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_INSERVICE;
    bool removed_ = false;
};

} // namespace exchange

#endif
