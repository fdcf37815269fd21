// Call forwarding and do-not-disturb of an address, and where an incoming
// call goes because of it.
//
// The exchange's choices where providers differ:
//  - A forward list replaces the address's list; a null list cancels it.
//    LINE_ADDRESSSTATE (FORWARD) follows the reply for each address changed.
//  - Unconditional forwarding without a destination is do-not-disturb: an
//    internal caller hears busy, a call from outside is refused.
//  - Forwarding is followed once: a call forwarded to an address that is
//    itself forwarded rings there (no chains, no loops).
//  - No answer means the call was offered for the given number of ring
//    cycles (6 s each, after the first ring); it then moves on with reason
//    FWDNOANSWER. Busy means the address has no room for another call.
//  - A call from outside is not forwarded to an external number (it rings
//    at its address instead); internal callers can be.
//  - No consultation call is made: lphConsultCall is set to 0.
#ifndef DIALWERK_EXCHANGE_FORWARDING_H
#define DIALWERK_EXCHANGE_FORWARDING_H

#include "exchange/Leg.h"
#include "exchange/Line.h"

#include <optional>
#include <vector>

namespace exchange {

class Switchboard;

/// Carries out forwarding on a switchboard (under the exchange's lock).
class Forwarding {
public:
    explicit Forwarding(Switchboard &board) : board_(board) {}

    /// Checks a request for one address (or all, `address` ignored): 0,
    /// LINEERR_INVALADDRESSID, LINEERR_OPERATIONUNAVAIL, LINEERR_INVALPARAM
    /// (mode not offered, too many entries) or LINEERR_INVALADDRESS.
    static LONG check(const Switchboard &b, DWORD line, bool all, DWORD address,
                      const std::optional<std::vector<ForwardEntry>> &list);
    /// Replaces (or with no list, cancels) the forwarding.
    void forward(DWORD line, bool all, DWORD address, const std::optional<std::vector<ForwardEntry>> &list,
                 DWORD ringsNoAnswer);

    /// Where a call arriving at line/address goes instead, decided when it
    /// arrives (unconditional or busy forwarding). `internal` tells whether
    /// the caller is on a local line.
    struct Divert {
        bool refuse = false; // do-not-disturb
        std::u16string dest;
        DWORD reason = 0;
    };
    std::optional<Divert> onArrival(DWORD line, DWORD address, const PartyId &caller, bool internal, bool busy) const;
    /// A call now offered at its address moves on if it is not answered in time.
    void watchNoAnswer(LegId leg, bool internal);

private:
    Switchboard &board_;
};

} // namespace exchange

#endif
