// How feature modules hear from the core. A feature (transfers,
// conferences, parking, ...) owns its own state and registers one Feature
// with the core; the core calls every registered feature at the points
// below, in registration order, always under the exchange's lock. The
// defaults do nothing, so a feature overrides only what concerns it.
#ifndef DIALWERK_EXCHANGE_CORE_FEATURE_H
#define DIALWERK_EXCHANGE_CORE_FEATURE_H

#include "exchange/core/Leg.h"

#include <optional>
#include <string>

namespace exchange {

/// Where a call arriving at an address goes instead of ringing there.
struct Divert {
    bool refuse = false; // nobody takes it (do-not-disturb)
    std::u16string dest;
    DWORD reason = 0; // LINECALLREASON_ of the diverted call
};

class Feature {
public:
    virtual ~Feature() = default;

    /// A leg moved from `before` to its current state (already reported).
    virtual void stateChanged(Leg &, DWORD /*before*/) {}
    /// A call is being answered; true when the feature carries the answer
    /// out itself (the core then does nothing more).
    virtual bool answering(Leg &) { return false; }
    /// A live leg is about to be dropped, and has been dropped.
    virtual void dropping(LegId) {}
    virtual void dropped(LegId) {}
    /// Whether a held leg waits for a consultation call of this feature: it
    /// may then become active in the consultation call's place.
    virtual bool waitsForConsultation(LegId) const { return false; }
    /// A leg waiting for a consultation call is taken back off hold.
    virtual void takingBack(LegId) {}
    /// The call features a leg offers, less those this feature rules out.
    virtual DWORD restrictFeatures(const Leg &, DWORD features) const { return features; }
    /// Where a call arriving at line/address goes instead; `internal` tells
    /// whether the caller is on a local line, `busy` whether the address
    /// has no room for it.
    virtual std::optional<Divert> arriving(DWORD /*line*/, DWORD /*address*/, const PartyId & /*caller*/,
                                           bool /*internal*/, bool /*busy*/) const
    {
        return std::nullopt;
    }
    /// A call is now offered at its address (after arriving()).
    virtual void offered(LegId, bool /*internal*/) {}
    /// The core forgets a leg.
    virtual void forgetting(LegId) {}
    /// A line device is being removed.
    virtual void lineRemoved(DWORD) {}
};

/// The numbers outside the exchange, as the core routes to them.
class Outside {
public:
    virtual ~Outside() = default;
    /// The party at an external number the exchange can reach, if any.
    virtual std::optional<PartyId> external(std::u16string_view number) const = 0;
    bool knows(std::u16string_view number) const { return external(number).has_value(); }
    /// A local caller reaches the external `number` (which knows() accepted).
    virtual void dialed(Leg &caller, std::u16string_view number) = 0;
};

} // namespace exchange

#endif
