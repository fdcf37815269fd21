// The parties outside the exchange: external numbers that behave by rule
// when called, callers from outside, and what the far end of such a call
// does (answer, hang up, be busy, reject).
#ifndef DIALWERK_EXCHANGE_FAR_FAREND_H
#define DIALWERK_EXCHANGE_FAR_FAREND_H

#include "exchange/Topology.h"
#include "exchange/core/Core.h"

#include <tapi.h>

#include <vector>

namespace exchange {

/// Acts for the outside world on the core (under the exchange's lock).
class FarEnd final : public Outside {
public:
    FarEnd(Core &core, std::vector<ExternalNumber> numbers) : core_(core), numbers_(std::move(numbers)) {}

    std::optional<PartyId> external(std::u16string_view number) const override;
    /// A local caller dialed an external number: it behaves by its rule.
    void dialed(Leg &caller, std::u16string_view number) override;

    /// A call from outside rings at a line's address (or where its
    /// forwarding sends it); answers its leg, 0 when it is refused.
    LegId calls(DWORD line, DWORD address, const PartyId &caller, DWORD mediaMode);
    /// The far end of a call answers, hangs up, is busy or rejects; each
    /// answers 0 or LINEERR_INVALCALLSTATE when the call is not in a state
    /// (or not a call with the outside) where that can happen.
    LONG answer(LegId leg);
    LONG hangUp(LegId leg);
    LONG busy(LegId leg);
    LONG reject(LegId leg);
    /// The party a connected call talks to sends DTMF digits (0-9, A-D, *, #):
    /// one LINE_MONITORDIGITS each for the applications that monitor them.
    /// Answers 0, LINEERR_INVALCALLSTATE when the call is not connected, or
    /// LINEERR_INVALDIGITS (nothing is sent).
    LONG sendDigits(LegId leg, std::u16string_view digits);

    // ---- far lines: the network's side of their calls ----
    /// A call from the network rings at a far line's address 0, unless the
    /// line's forwarding sends it elsewhere (`divertTo` gets where) or
    /// refuses it; answers its leg, or 0.
    LegId callsFar(DWORD line, const PartyId &caller, std::u16string *divertTo);
    /// The network reports PROCEEDING or RINGBACK for a call placed.
    LONG progress(LegId leg, DWORD state);
    /// The network ended the call: BUSY for LINEDISCONNECTMODE_BUSY, else
    /// DISCONNECTED with `mode`.
    LONG disconnect(LegId leg, DWORD mode);

private:
    const ExternalNumber *find(std::u16string_view number) const;
    void answers(ConnectionId connection);
    /// The leg if its far end is outside and it is in one of `states`, with
    /// whatever the far end was going to do on its own cancelled.
    Leg *outsideLeg(LegId leg, DWORD states);
    /// As outsideLeg(); the dialog of a far leg is over from now on.
    Leg *endingLeg(LegId leg, DWORD states);

    Core &core_;
    std::vector<ExternalNumber> numbers_;
};

} // namespace exchange

#endif
