#include "exchange/FarEnd.h"

#include "exchange/Forwarding.h"
#include "exchange/Switchboard.h"

namespace exchange {

namespace {

constexpr DWORD kRinging = LINECALLSTATE_RINGBACK | LINECALLSTATE_PROCEEDING;

} // namespace

void FarEnd::dialed(Leg &caller, const ExternalNumber &number)
{
    Switchboard &b = board_;
    Connection &conn = *b.connection(caller.connection());
    conn.external = ExternalParty{number.number, number.name, number.behaviour, number.delay, false};
    caller.changeInfo(LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_TRUNK, b.out_, [&](CallInfoData &i) {
        i.called = PartyId::of(number.number, number.name);
        i.trunk = 1;
    });
    const ConnectionId cid = conn.id;
    const LegId lid = caller.id();
    Switchboard *board = &b;
    switch (number.behaviour) {
    case ExternalBehaviour::Busy:
        b.setState(caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        return;
    case ExternalBehaviour::Unreachable:
        b.setState(caller, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNREACHABLE);
        return;
    case ExternalBehaviour::CallBack: {
        b.setState(caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        const DWORD line = caller.line(), address = caller.address();
        const PartyId party = PartyId::of(number.number, number.name);
        // The call back is the far end's own: it does not end with the busy call.
        b.scheduler_.schedule(number.delay, [board, line, address, party] {
            if (!board->line(line)->removed())
                FarEnd(*board).calls(line, address, party, LINEMEDIAMODE_INTERACTIVEVOICE);
        });
        return;
    }
    case ExternalBehaviour::NoAnswer:
        b.setState(caller, LINECALLSTATE_RINGBACK, 0);
        return;
    case ExternalBehaviour::Answer:
        b.setState(caller, LINECALLSTATE_RINGBACK, 0);
        conn.timer = b.scheduler_.schedule(number.delay, [board, cid] { FarEnd(*board).answers(cid); });
        return;
    case ExternalBehaviour::Reject:
        b.setState(caller, LINECALLSTATE_RINGBACK, 0);
        conn.timer = b.scheduler_.schedule(number.delay, [board, cid, lid] {
            if (Connection *c = board->connection(cid)) {
                c->timer = 0;
                FarEnd(*board).reject(lid);
            }
        });
        return;
    }
}

void FarEnd::answers(ConnectionId cid)
{
    Switchboard &b = board_;
    Connection *c = b.connection(cid);
    if (!c || !c->external || c->legs.empty())
        return;
    c->timer = 0;
    c->external->answered = true;
    Leg &l = *b.leg(c->legs.front());
    if (!(l.state() & kRinging))
        return;
    const PartyId far = PartyId::of(c->external->number, c->external->name);
    l.changeInfo(LINECALLINFOSTATE_CONNECTEDID, b.out_, [&](CallInfoData &i) { i.connected = far; });
    b.setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

LegId FarEnd::calls(DWORD line, DWORD address, const PartyId &caller, DWORD mediaMode)
{
    Switchboard &b = board_;
    DWORD reason = LINECALLREASON_DIRECT;
    std::optional<PartyId> redirecting;
    const Line &target = *b.line(line);
    const LINEADDRESSCAPS &caps = target.address(address).caps;
    const bool busy = b.counts(line, address).inUse >= caps.dwMaxNumActiveCalls + caps.dwMaxNumOnHoldCalls;
    if (const auto divert = Forwarding(b).onArrival(line, address, caller, false, busy)) {
        if (divert->refuse)
            return 0;
        // Calls from outside are forwarded to local addresses only.
        if (const auto at = b.localAddress(divert->dest)) {
            redirecting = PartyId::of(target.address(address).number, target.config().ownerName);
            line = at->first;
            address = at->second;
            reason = divert->reason;
        }
    }
    Connection &c = b.newConnection();
    c.external = ExternalParty{caller.number, caller.name, ExternalBehaviour::Answer, Millis(0), true};
    Leg &l = b.newLeg(line, address, c);
    CallInfoData &info = l.infoForSetup();
    info.origin = LINECALLORIGIN_EXTERNAL;
    info.reason = reason;
    info.mediaMode = mediaMode;
    info.caller = caller;
    info.called = b.partyOf(l);
    if (redirecting) {
        info.redirecting = *redirecting;
        info.redirection = info.called;
    }
    info.trunk = 1;
    b.setState(l, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE);
    l.markAnnounced();
    b.out_.push_back(
        Event::legAppeared(l.id(), line, address, mediaMode, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE));
    b.ringFor(l.id(), 1);
    Forwarding(b).watchNoAnswer(l.id(), false);
    return l.id();
}

Leg *FarEnd::outsideLeg(LegId id, DWORD states)
{
    Switchboard &b = board_;
    Leg *l = b.leg(id);
    Connection *c = l ? b.connection(l->connection()) : nullptr;
    if (!c || !c->external || !(l->state() & states))
        return nullptr;
    if (c->timer)
        b.scheduler_.cancel(c->timer);
    c->timer = 0;
    return l;
}

LONG FarEnd::answer(LegId id)
{
    Leg *l = outsideLeg(id, kRinging);
    if (!l)
        return LINEERR_INVALCALLSTATE;
    answers(l->connection());
    return 0;
}

LONG FarEnd::hangUp(LegId id)
{
    Leg *l = outsideLeg(id, ~DWORD(LINECALLSTATE_IDLE | LINECALLSTATE_DISCONNECTED));
    if (!l)
        return LINEERR_INVALCALLSTATE;
    board_.cancelGeneration(*l);
    board_.setState(*l, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
    return 0;
}

LONG FarEnd::busy(LegId id)
{
    Leg *l = outsideLeg(id, kRinging);
    if (!l)
        return LINEERR_INVALCALLSTATE;
    board_.setState(*l, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
    return 0;
}

LONG FarEnd::reject(LegId id)
{
    Leg *l = outsideLeg(id, kRinging);
    if (!l)
        return LINEERR_INVALCALLSTATE;
    board_.setState(*l, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_REJECT);
    return 0;
}

} // namespace exchange
