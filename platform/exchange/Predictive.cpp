#include "exchange/Predictive.h"

#include "exchange/Parking.h"
#include "exchange/Switchboard.h"

namespace exchange {

namespace {

/// States in which a call waits for the far end to answer.
constexpr DWORD kWaiting = LINECALLSTATE_PROCEEDING | LINECALLSTATE_RINGBACK;

} // namespace

LONG Predictive::check(const Switchboard &board, DWORD line, DWORD address, const PredictiveDial &dial)
{
    const Line *l = board.line(line);
    if (!l || !l->hasAddress(address))
        return 0; // the make-call check reports these
    const LINEADDRESSCAPS &caps = l->address(address).caps;
    if ((dial.autoTransferStates & ~caps.dwPredictiveAutoTransferStates) != 0)
        return LINEERR_INVALCALLPARAMS;
    if (dial.noAnswerTimeout > caps.dwMaxNoAnswerTimeout)
        return LINEERR_INVALCALLPARAMS;
    if (dial.autoTransferStates != 0) {
        const auto at = board.localAddress(dial.target);
        if (!at || (at->first == line && at->second == address))
            return LINEERR_INVALCALLPARAMS;
    }
    return 0;
}

void Predictive::start(LegId id, const PredictiveDial &dial)
{
    if (dial.autoTransferStates == 0 && dial.noAnswerTimeout == 0)
        return;
    Leg *l = board_.leg(id);
    if (!l)
        return;
    board_.predictive_[id] = PredictiveCall{dial};
    // The call may have got beyond dialing already.
    reached(*l);
}

void Predictive::reached(Leg &leg)
{
    Switchboard &b = board_;
    const auto it = b.predictive_.find(leg.id());
    if (it == b.predictive_.end())
        return;
    PredictiveCall &p = it->second;
    const DWORD state = leg.state();
    if (state == LINECALLSTATE_IDLE) {
        if (p.noAnswerTimer)
            b.scheduler_.cancel(p.noAnswerTimer);
        b.predictive_.erase(it);
        return;
    }
    Switchboard *board = &b;
    const LegId id = leg.id();
    if ((state & kWaiting) && p.dial.noAnswerTimeout && !p.noAnswerTimer) {
        p.noAnswerTimer = b.scheduler_.schedule(Millis(int64_t(p.dial.noAnswerTimeout) * 1000),
                                                [board, id] { Predictive(*board).noAnswer(id); });
    } else if (!(state & kWaiting) && p.noAnswerTimer) {
        b.scheduler_.cancel(p.noAnswerTimer);
        p.noAnswerTimer = 0;
    }
    if (state == LINECALLSTATE_CONNECTED && (p.dial.autoTransferStates & state) && !p.passedOn) {
        // Not from inside the state change: whoever connected the call
        // finishes first, and the dialer sees CONNECTED before IDLE.
        p.passedOn = true;
        b.scheduler_.schedule(Millis(0), [board, id] { Predictive(*board).passOn(id); });
    }
}

void Predictive::noAnswer(LegId id)
{
    Switchboard &b = board_;
    const auto it = b.predictive_.find(id);
    if (it == b.predictive_.end())
        return;
    it->second.noAnswerTimer = 0;
    Leg *l = b.leg(id);
    if (!l || !(l->state() & kWaiting))
        return;
    // The far end's own plans (answering later, rejecting) end here.
    if (Connection *c = b.connection(l->connection()); c && c->timer) {
        b.scheduler_.cancel(c->timer);
        c->timer = 0;
    }
    b.cancelGeneration(*l);
    b.disconnectOthers(*l, LINEDISCONNECTMODE_NORMAL, {});
    b.setState(*l, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NOANSWER);
}

void Predictive::passOn(LegId id)
{
    Switchboard &b = board_;
    const auto it = b.predictive_.find(id);
    if (it == b.predictive_.end())
        return;
    const std::u16string target = it->second.dial.target;
    b.predictive_.erase(it);
    Leg *l = b.leg(id);
    // Dropped or put on hold before the hand-over: the call stays.
    if (!l || l->state() != LINECALLSTATE_CONNECTED || !b.connection(l->connection()) || !b.localAddress(target))
        return;
    Parking(b).sendElsewhere(id, target, LINECALLREASON_TRANSFER);
}

} // namespace exchange
