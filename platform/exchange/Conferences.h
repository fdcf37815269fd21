// Conference calls: a conference call on the controlling line with the
// calls joined to it as its parties (CONFERENCED).
//
// The exchange's choices where providers differ:
//  - The conference call has origin CONFERENCE and a connection of its own;
//    each party keeps its own connection with its far end.
//  - Up to the address's dwMaxNumConference parties; more:
//    LINEERR_CONFERENCEFULL.
//  - A party removed goes to the address's dwRemoveFromConfState (IDLE: its
//    far end is disconnected; ONHOLD: it stays, held).
//  - A conference left with one party dissolves: the conference call goes
//    IDLE and the last party is CONNECTED again. A conference with no
//    party left (its consultation was dropped) goes IDLE.
#ifndef DIALWERK_EXCHANGE_CONFERENCES_H
#define DIALWERK_EXCHANGE_CONFERENCES_H

#include "exchange/Leg.h"

namespace exchange {

class Switchboard;
struct MakeCallOptions;

/// Carries out conference operations on a switchboard (under the exchange's
/// lock). The checks answer 0 or the LINEERR_ code; the actions assume
/// their check passed.
class Conferences {
public:
    explicit Conferences(Switchboard &board) : board_(board) {}

    /// With a call (0: none) on line/address.
    static LONG checkSetup(const Switchboard &b, LegId call, DWORD line, DWORD address, DWORD parties);
    /// Reports RequestDone with the conference call and the consultation call.
    void setup(uint32_t requestId, LegId call, DWORD line, DWORD address, const MakeCallOptions &options);

    static LONG checkPrepareAdd(const Switchboard &b, LegId conference);
    /// Reports RequestDone with the new consultation call.
    void prepareAdd(uint32_t requestId, LegId conference, const MakeCallOptions &options);

    static LONG checkAdd(const Switchboard &b, LegId conference, LegId call);
    void add(LegId conference, LegId call);

    static LONG checkRemove(const Switchboard &b, LegId party);
    void remove(LegId party);

    /// Makes a held call and a consultation call the parties of a new
    /// conference call; reports RequestDone with it.
    void fromTwoCalls(uint32_t requestId, LegId held, LegId consultation);

    // ---- what dropping and unholding a call means here ----
    /// Before a call is dropped: a conference call takes its parties with
    /// it; a party leaves its conference.
    void leaving(LegId leg);
    /// After a call was dropped: a consultation call gives the call waiting
    /// for it back.
    void left(LegId leg);
    /// A call waiting for a consultation is taken back: the consultation ends.
    void abandonConsultation(LegId waiting);

private:
    Leg &newConferenceCall(DWORD line, DWORD address);
    void conference(Leg &party, LegId conference);
    /// One party left: the conference dissolves; none: it ends.
    void dissolveIfAlone(LegId conference);

    Switchboard &board_;
};

} // namespace exchange

#endif
