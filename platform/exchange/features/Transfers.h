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
#ifndef DIALWERK_EXCHANGE_FEATURES_TRANSFERS_H
#define DIALWERK_EXCHANGE_FEATURES_TRANSFERS_H

#include "exchange/core/Calls.h"
#include "exchange/core/Core.h"

#include <map>
#include <string>

namespace exchange {

class Conferences;

/// Carries out transfers (under the exchange's lock). The checks answer 0
/// or the LINEERR_ code; the actions assume their check passed.
class Transfers final : public Feature {
public:
    Transfers(Core &core, Calls &calls, Conferences &conferences)
        : core_(core), calls_(calls), conferences_(conferences)
    {
    }

    LONG checkBlindTransfer(LegId leg, std::u16string_view dest) const;
    void blindTransfer(LegId leg, std::u16string_view dest);

    LONG checkSetupTransfer(LegId leg) const;
    /// Reports RequestDone with the consultation call.
    void setupTransfer(uint32_t requestId, LegId leg, const MakeCallOptions &options);

    LONG checkCompleteTransfer(LegId held, LegId consultation, DWORD mode) const;
    /// Reports RequestDone (with the conference call in conference mode).
    void completeTransfer(uint32_t requestId, LegId held, LegId consultation, DWORD mode);

    // ---- hooks ----
    /// A consultation call that joins a conference is no longer one.
    void stateChanged(Leg &leg, DWORD before) override;
    void dropped(LegId leg) override;
    bool waitsForConsultation(LegId leg) const override;
    void takingBack(LegId leg) override;
    void forgetting(LegId leg) override { consultations_.erase(leg); }

private:
    /// Joins the far parties of two calls and lets both calls go.
    void join(Leg &held, Leg &consultation);

    Core &core_;
    Calls &calls_;
    Conferences &conferences_;
    std::map<LegId, LegId> consultations_; // consultation call → the call held for it
};

} // namespace exchange

#endif
