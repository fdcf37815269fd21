// A connection ties the parties of one call together: the legs on local
// lines and, for calls to or from outside, the external party.
#ifndef DIALWERK_EXCHANGE_CORE_CONNECTION_H
#define DIALWERK_EXCHANGE_CORE_CONNECTION_H

#include "exchange/core/Events.h"
#include "exchange/core/Leg.h"
#include "exchange/Topology.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace exchange {

/// The party outside the exchange in a call with an external number.
struct ExternalParty {
    std::u16string number;
    std::u16string name;
    ExternalBehaviour behaviour = ExternalBehaviour::Answer;
    Millis delay{0};
    bool answered = false;
    // A far line's dialog (see FarPort): the network ended it, and whether
    // the network holds it now.
    bool ended = false;
    bool held = false;
};

struct Connection {
    ConnectionId id = 0;
    DWORD callId = 0;                      // the switch's call id, shared by all legs
    std::vector<LegId> legs;               // local parties, oldest first
    std::optional<ExternalParty> external; // the far end outside, if any
    uint64_t timer = 0;                    // pending external behaviour (0: none)
    bool parked = false;                   // a party waits at a park address

    /// Whether the connection still ties anybody together: a call with
    /// nobody left on a local line lives on only while its outside party
    /// waits parked.
    bool alive() const { return !legs.empty() || (parked && external.has_value()); }

    /// The other local party of a two-party call, or 0.
    LegId other(LegId leg) const
    {
        for (LegId l : legs)
            if (l != leg)
                return l;
        return 0;
    }
    void remove(LegId leg) { legs.erase(std::remove(legs.begin(), legs.end(), leg), legs.end()); }
};

} // namespace exchange

#endif
