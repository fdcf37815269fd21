// Transfer: blind transfer, consultation transfer and its completion.
//
// The exchange's choices where providers differ:
//  - A blind transfer offers the far party to the destination with reason
//    TRANSFER; a local far party hears it ring (RINGBACK) until it is
//    answered. The transferring call goes IDLE at once.
//  - lineSetupTransfer puts the call ONHOLDPENDTRANSFER first, then the
//    reply announces the consultation call, which starts in DIALTONE.
//  - Completing a transfer joins the two far parties (when both are outside
//    the exchange simply lets go of both) and both of the transferring
//    party's calls go IDLE; in conference mode the two calls become the
//    parties of a new conference call instead.
#ifndef DIALWERK_EXCHANGE_TRANSFERS_H
#define DIALWERK_EXCHANGE_TRANSFERS_H

#include "exchange/Leg.h"

#include <string>

namespace exchange {

class Switchboard;
struct MakeCallOptions;

/// Carries out transfers on a switchboard (under the exchange's lock). The
/// checks answer 0 or the LINEERR_ code; the actions assume their check passed.
class Transfers {
public:
    explicit Transfers(Switchboard &board) : board_(board) {}

    static LONG checkBlindTransfer(const Switchboard &b, LegId leg, std::u16string_view dest);
    void blindTransfer(LegId leg, std::u16string_view dest);

    static LONG checkSetupTransfer(const Switchboard &b, LegId leg);
    /// Reports RequestDone with the consultation call.
    void setupTransfer(uint32_t requestId, LegId leg, const MakeCallOptions &options);

    static LONG checkCompleteTransfer(const Switchboard &b, LegId held, LegId consultation, DWORD mode);
    /// Reports RequestDone (with the conference call in conference mode).
    void completeTransfer(uint32_t requestId, LegId held, LegId consultation, DWORD mode);

private:
    /// Joins the far parties of two calls and lets both calls go.
    void join(Leg &held, Leg &consultation);

    Switchboard &board_;
};

} // namespace exchange

#endif
