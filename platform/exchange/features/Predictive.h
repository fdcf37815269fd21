// Predictive dialing: an outgoing call that the exchange passes on to a
// target extension when it reaches a chosen state, and abandons when the far
// end does not answer in time.
//
// The exchange's choices where providers differ:
//  - The call is passed on only when there is a far party to pass on, that
//    is when it reaches CONNECTED, and the default trunk offers only that
//    state. Other states a test may configure an address to offer
//    (RINGBACK, BUSY, DISCONNECTED) are accepted but leave the call with the
//    dialer: a ringing far end has not answered anybody yet, and a busy or
//    disconnected call has nobody on it.
//  - Passing on works as a blind transfer: the dialer's call goes IDLE and
//    the target is offered the far party with reason TRANSFER. It happens
//    just after CONNECTED is reported, so the dialer sees both states.
//  - The no-answer time-out counts from the moment dialing is complete (the
//    call first reaches PROCEEDING or RINGBACK); when the call is still in
//    one of those states at its end, the far end is let go and the call
//    becomes DISCONNECTED with LINEDISCONNECTMODE_NOANSWER. 0 means no
//    time-out.
//  - Targets are the exchange's own extensions, other than the dialing
//    address itself.
#ifndef DIALWERK_EXCHANGE_FEATURES_PREDICTIVE_H
#define DIALWERK_EXCHANGE_FEATURES_PREDICTIVE_H

#include "exchange/core/Calls.h"
#include "exchange/core/Core.h"

#include <tapi.h>

#include <cstdint>
#include <map>

namespace exchange {

/// Carries out predictive calls (under the exchange's lock).
class Predictive final : public Feature {
public:
    Predictive(Core &core, Calls &calls) : core_(core), calls_(calls) {}

    /// 0, or LINEERR_INVALCALLPARAMS when the states are not all offered
    /// by the address, the time-out exceeds its maximum, or there are states
    /// but no target that is another local address.
    LONG check(DWORD line, DWORD address, const PredictiveDial &dial) const;
    /// Watches a new outgoing call.
    void start(LegId leg, const PredictiveDial &dial);

    // ---- hooks ----
    /// A watched call reached a new state.
    void stateChanged(Leg &leg, DWORD before) override;
    void forgetting(LegId leg) override;

private:
    /// A predictive call in progress.
    struct Watched {
        PredictiveDial dial;
        uint64_t noAnswerTimer = 0; // 0: not running
        bool passedOn = false;      // the hand-over is under way
    };
    void reached(Leg &leg);
    void noAnswer(LegId leg);
    void passOn(LegId leg);

    Core &core_;
    Calls &calls_;
    std::map<LegId, Watched> watched_; // predictive calls until they go idle
};

} // namespace exchange

#endif
