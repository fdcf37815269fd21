#include "exchange/features/Predictive.h"

namespace exchange {

namespace {

/// States in which a call waits for the far end to answer.
constexpr DWORD kWaiting = LINECALLSTATE_PROCEEDING | LINECALLSTATE_RINGBACK;

} // namespace

LONG Predictive::check(DWORD line, DWORD address, const PredictiveDial &dial) const
{
    const Line *l = core_.line(line);
    if (!l || !l->hasAddress(address))
        return 0; // the make-call check reports these
    const LINEADDRESSCAPS &caps = l->address(address).caps;
    if ((dial.autoTransferStates & ~caps.dwPredictiveAutoTransferStates) != 0)
        return LINEERR_INVALCALLPARAMS;
    if (dial.noAnswerTimeout > caps.dwMaxNoAnswerTimeout)
        return LINEERR_INVALCALLPARAMS;
    if (dial.autoTransferStates != 0) {
        const auto at = core_.localAddress(dial.target);
        if (!at || (at->first == line && at->second == address))
            return LINEERR_INVALCALLPARAMS;
    }
    return 0;
}

void Predictive::start(LegId id, const PredictiveDial &dial)
{
    if (dial.autoTransferStates == 0 && dial.noAnswerTimeout == 0)
        return;
    Leg *l = core_.leg(id);
    if (!l)
        return;
    watched_[id] = Watched{dial};
    // The call may have got beyond dialing already.
    reached(*l);
}

void Predictive::stateChanged(Leg &leg, DWORD)
{
    reached(leg);
}

void Predictive::forgetting(LegId id)
{
    const auto it = watched_.find(id);
    if (it == watched_.end())
        return;
    if (it->second.noAnswerTimer)
        core_.scheduler().cancel(it->second.noAnswerTimer);
    watched_.erase(it);
}

void Predictive::reached(Leg &leg)
{
    const auto it = watched_.find(leg.id());
    if (it == watched_.end())
        return;
    Watched &p = it->second;
    const DWORD state = leg.state();
    if (state == LINECALLSTATE_IDLE) {
        forgetting(leg.id());
        return;
    }
    const LegId id = leg.id();
    if ((state & kWaiting) && p.dial.noAnswerTimeout && !p.noAnswerTimer) {
        p.noAnswerTimer = core_.scheduler().schedule(Millis(int64_t(p.dial.noAnswerTimeout) * 1000),
                                                     [this, id] { noAnswer(id); });
    } else if (!(state & kWaiting) && p.noAnswerTimer) {
        core_.scheduler().cancel(p.noAnswerTimer);
        p.noAnswerTimer = 0;
    }
    if (state == LINECALLSTATE_CONNECTED && (p.dial.autoTransferStates & state) && !p.passedOn) {
        // Not from inside the state change: whoever connected the call
        // finishes first, and the dialer sees CONNECTED before IDLE.
        p.passedOn = true;
        core_.scheduler().schedule(Millis(0), [this, id] { passOn(id); });
    }
}

void Predictive::noAnswer(LegId id)
{
    const auto it = watched_.find(id);
    if (it == watched_.end())
        return;
    it->second.noAnswerTimer = 0;
    Leg *l = core_.leg(id);
    if (!l || !(l->state() & kWaiting))
        return;
    // The far end's own plans (answering later, rejecting) end here.
    if (Connection *c = core_.connection(l->connection()); c && c->timer) {
        core_.scheduler().cancel(c->timer);
        c->timer = 0;
    }
    core_.cancelGeneration(*l);
    core_.disconnectOthers(*l, LINEDISCONNECTMODE_NORMAL, {});
    core_.setState(*l, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NOANSWER);
}

void Predictive::passOn(LegId id)
{
    const auto it = watched_.find(id);
    if (it == watched_.end())
        return;
    const std::u16string target = it->second.dial.target;
    watched_.erase(it);
    Leg *l = core_.leg(id);
    // Dropped or put on hold before the hand-over: the call stays.
    if (!l || l->state() != LINECALLSTATE_CONNECTED || !core_.connection(l->connection()) ||
        !core_.localAddress(target))
        return;
    calls_.sendElsewhere(id, target, LINECALLREASON_TRANSFER);
}

} // namespace exchange
