// Conference calls: a conference call on the controlling line with the
// calls joined to it as its parties (CONFERENCED).
//
// The exchange's choices where providers differ:
//  - The conference call has origin CONFERENCE and a connection of its own;
//    each party keeps its own connection with its far end.
//  - A call held beside a conference in progress can be added to it: it
//    joins the talk and the conference stays CONNECTED.
//  - Up to the address's dwMaxNumConference parties; more:
//    LINEERR_CONFERENCEFULL.
//  - A party removed goes to the address's dwRemoveFromConfState (IDLE: its
//    far end is disconnected; ONHOLD: it stays, held).
//  - A conference left with one party dissolves: the conference call goes
//    IDLE and the last party is CONNECTED again. A conference with no
//    party left (its consultation was dropped) goes IDLE.
#ifndef DIALWERK_EXCHANGE_FEATURES_CONFERENCES_H
#define DIALWERK_EXCHANGE_FEATURES_CONFERENCES_H

#include "exchange/core/Calls.h"
#include "exchange/core/Core.h"

#include <map>
#include <vector>

namespace exchange {

/// Carries out conference operations (under the exchange's lock). The
/// checks answer 0 or the LINEERR_ code; the actions assume their check
/// passed.
class Conferences final : public Feature {
public:
    Conferences(Core &core, Calls &calls) : core_(core), calls_(calls) {}

    /// With a call (0: none) on line/address.
    LONG checkSetup(LegId call, DWORD line, DWORD address, DWORD parties) const;
    /// Reports RequestDone with the conference call and the consultation call.
    void setup(uint32_t requestId, LegId call, DWORD line, DWORD address, const MakeCallOptions &options);

    LONG checkPrepareAdd(LegId conference) const;
    /// Reports RequestDone with the new consultation call.
    void prepareAdd(uint32_t requestId, LegId conference, const MakeCallOptions &options);

    LONG checkAdd(LegId conference, LegId call) const;
    void add(LegId conference, LegId call);

    LONG checkRemove(LegId party) const;
    void remove(LegId party);

    /// Makes a held call and a consultation call the parties of a new
    /// conference call; reports RequestDone with it.
    void fromTwoCalls(uint32_t requestId, LegId held, LegId consultation);

    /// The conference a leg belongs to, as its conference call or as a
    /// party: the conference call first, then its parties; empty when none.
    std::vector<LegId> conferenceOf(LegId leg) const;

    // ---- hooks ----
    /// A conference call takes its parties (and a consultation that was to
    /// join it) with it; a party leaves its conference.
    void dropping(LegId leg) override;
    /// A dropped consultation call gives the conference waiting for it back.
    void dropped(LegId leg) override;
    bool waitsForConsultation(LegId leg) const override;
    /// A conference waiting for a consultation is taken back: the consultation ends.
    void takingBack(LegId leg) override;
    void forgetting(LegId leg) override;

private:
    Leg &newConferenceCall(DWORD line, DWORD address);
    void conference(Leg &party, LegId conference);
    /// One party left: the conference dissolves; none: it ends.
    void dissolveIfAlone(LegId conference);

    Core &core_;
    Calls &calls_;
    std::map<LegId, std::vector<LegId>> conferences_; // conference call → its parties
    std::map<LegId, LegId> consultations_;            // consultation call → the conference waiting for it
};

} // namespace exchange

#endif
