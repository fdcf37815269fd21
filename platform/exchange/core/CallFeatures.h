// What a call can do now: the LINECALLFEATURE_ and LINECALLFEATURE2_ bits
// that follow from its state, the other calls at its address and the
// address's capabilities.
#ifndef DIALWERK_EXCHANGE_CORE_CALLFEATURES_H
#define DIALWERK_EXCHANGE_CORE_CALLFEATURES_H

#include "exchange/core/Leg.h"
#include "exchange/core/Line.h"

#include <tapi.h>

namespace exchange {

/// The other calls at a call's address, as far as its features depend on them.
struct AddressSituation {
    CallCounts counts;           // every call at the address, this one included
    bool connectedCall = false;  // another call at the address is connected
    bool roomForActive = false;  // this call could become active now
    bool heldConference = false; // another call at the address is a conference call on hold
};

/// Features of a call; never more than the address's dwCallFeatures.
DWORD callFeatures(const Leg &leg, const AddressSituation &at, const LINEADDRESSCAPS &caps);
/// Second-level features that go with `features`, within dwCallFeatures2.
DWORD callFeatures2(DWORD features, const LINEADDRESSCAPS &caps);

} // namespace exchange

#endif
