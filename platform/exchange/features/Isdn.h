// ISDN information elements (Q.931) on calls between an ISDN line and the
// outside: the bearer's low and high layer compatibility, and the charges.
//
// The exchange's choices where providers differ:
//  - Only lines marked `isdn` carry elements (the standard trunk), and only
//    on calls with a party outside; calls between extensions carry none.
//  - A call from outside brings its compatibility elements with it: they
//    arrive (LINE_CALLINFO) right after the call is offered. A call to
//    outside gets them when the far end answers.
//  - Low layer compatibility: speech, circuit mode 64 kbit/s, G.711 A-law
//    (7C 03 80 90 A3). High layer compatibility: telephony (7D 02 91 81).
//    Both are whole elements, identifier and length included.
//  - Charging information is advice of charge for calls to outside, as the
//    ASCII text the provider passes on: "AOC-D 1 units" when the far end
//    answers, "AOC-E <n> units" when the call ends with the far end hanging
//    up, one unit for every minute begun since the answer. A caller who
//    hangs up first goes idle at once and sees no final charge.
#ifndef DIALWERK_EXCHANGE_FEATURES_ISDN_H
#define DIALWERK_EXCHANGE_FEATURES_ISDN_H

#include "exchange/core/Core.h"

#include <tapi.h>

#include <map>
#include <string>
#include <vector>

namespace exchange {

/// Adds ISDN elements to calls (under the exchange's lock).
class Isdn final : public Feature {
public:
    explicit Isdn(Core &core) : core_(core) {}

    static const std::vector<uint8_t> &lowLevelCompatibility();
    static const std::vector<uint8_t> &highLevelCompatibility();
    /// The charging information of `units` charging units so far (`final`
    /// at the end of the call).
    static std::vector<uint8_t> chargingInfo(DWORD units, bool final);

    // ---- hooks ----
    void offered(LegId leg, bool internal) override;
    void stateChanged(Leg &leg, DWORD before) override;
    void forgetting(LegId leg) override;

private:
    /// Whether the leg is on an ISDN line and its call has a party outside.
    bool carries(const Leg &leg) const;

    Core &core_;
    std::map<LegId, Millis> answeredAt_; // calls to outside, since the far end answered
};

} // namespace exchange

#endif
