// The parties outside the exchange: external numbers that behave by rule
// when called, callers from outside, and what the far end of such a call
// does (answer, hang up, be busy, reject).
#ifndef DIALWERK_EXCHANGE_FAREND_H
#define DIALWERK_EXCHANGE_FAREND_H

#include "exchange/Connection.h"
#include "exchange/Leg.h"
#include "exchange/Topology.h"

#include <tapi.h>

namespace exchange {

class Switchboard;

/// Acts for the outside world on a switchboard (under the exchange's lock).
class FarEnd {
public:
    explicit FarEnd(Switchboard &board) : board_(board) {}

    /// A local caller dialed an external number: it behaves by its rule.
    void dialed(Leg &caller, const ExternalNumber &number);
    /// A call from outside rings at a line's address; answers its leg.
    LegId calls(DWORD line, DWORD address, const PartyId &caller, DWORD mediaMode);
    /// The far end of a call answers, hangs up, is busy or rejects; each
    /// answers 0 or LINEERR_INVALCALLSTATE when the call is not in a state
    /// (or not a call with the outside) where that can happen.
    LONG answer(LegId leg);
    LONG hangUp(LegId leg);
    LONG busy(LegId leg);
    LONG reject(LegId leg);

private:
    void answers(ConnectionId connection);
    /// The leg if its far end is outside and it is in one of `states`, with
    /// whatever the far end was going to do on its own cancelled.
    Leg *outsideLeg(LegId leg, DWORD states);

    Switchboard &board_;
};

} // namespace exchange

#endif
