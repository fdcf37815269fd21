#include "exchange/far/FarEnd.h"

#include "exchange/core/DialString.h"

namespace exchange {

namespace {

// A far line's call is DIALING until the network reports progress.
constexpr DWORD kRinging = LINECALLSTATE_RINGBACK | LINECALLSTATE_PROCEEDING | LINECALLSTATE_DIALING;
constexpr DWORD kLive = ~DWORD(LINECALLSTATE_IDLE | LINECALLSTATE_DISCONNECTED);

} // namespace

const ExternalNumber *FarEnd::find(std::u16string_view number) const
{
    for (const ExternalNumber &e : numbers_)
        if (e.number == number)
            return &e;
    return nullptr;
}

std::optional<PartyId> FarEnd::external(std::u16string_view number) const
{
    const ExternalNumber *e = find(number);
    return e ? std::optional(PartyId::of(e->number, e->name)) : std::nullopt;
}

void FarEnd::dialed(Leg &caller, std::u16string_view dialedNumber)
{
    const ExternalNumber &number = *find(dialedNumber);
    Connection &conn = *core_.connection(caller.connection());
    conn.external = ExternalParty{number.number, number.name, number.behaviour, number.delay, false};
    caller.changeInfo(LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_TRUNK, core_.out(), [&](CallInfoData &i) {
        i.called = PartyId::of(number.number, number.name);
        i.trunk = 1;
    });
    const ConnectionId cid = conn.id;
    const LegId lid = caller.id();
    FarEnd *self = this;
    switch (number.behaviour) {
    case ExternalBehaviour::Busy:
        core_.setState(caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        return;
    case ExternalBehaviour::Unreachable:
        core_.setState(caller, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNREACHABLE);
        return;
    case ExternalBehaviour::CallBack: {
        core_.setState(caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        const DWORD line = caller.line(), address = caller.address();
        const PartyId party = PartyId::of(number.number, number.name);
        // The call back is the far end's own: it does not end with the busy call.
        core_.scheduler().schedule(number.delay, [self, line, address, party] {
            if (!self->core_.line(line)->removed())
                self->calls(line, address, party, LINEMEDIAMODE_INTERACTIVEVOICE);
        });
        return;
    }
    case ExternalBehaviour::NoAnswer:
        core_.setState(caller, LINECALLSTATE_RINGBACK, 0);
        return;
    case ExternalBehaviour::Answer:
        core_.setState(caller, LINECALLSTATE_RINGBACK, 0);
        conn.timer = core_.scheduler().schedule(number.delay, [self, cid] { self->answers(cid); });
        return;
    case ExternalBehaviour::Reject:
        core_.setState(caller, LINECALLSTATE_RINGBACK, 0);
        conn.timer = core_.scheduler().schedule(number.delay, [self, cid, lid] {
            if (Connection *c = self->core_.connection(cid)) {
                c->timer = 0;
                self->reject(lid);
            }
        });
        return;
    }
}

void FarEnd::answers(ConnectionId cid)
{
    Connection *c = core_.connection(cid);
    if (!c || !c->external || c->legs.empty())
        return;
    c->timer = 0;
    c->external->answered = true;
    Leg &l = *core_.leg(c->legs.front());
    if (!(l.state() & kRinging))
        return;
    const PartyId far = PartyId::of(c->external->number, c->external->name);
    l.changeInfo(LINECALLINFOSTATE_CONNECTEDID, core_.out(), [&](CallInfoData &i) { i.connected = far; });
    core_.setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

LegId FarEnd::calls(DWORD line, DWORD address, const PartyId &caller, DWORD mediaMode)
{
    DWORD reason = LINECALLREASON_DIRECT;
    std::optional<PartyId> redirecting;
    const Line &target = *core_.line(line);
    if (const auto divert = core_.arriving(line, address, caller, false, core_.full(line, address))) {
        if (divert->refuse)
            return 0;
        // Calls from outside are forwarded to local addresses only.
        if (const auto at = core_.localAddress(divert->dest)) {
            redirecting = PartyId::of(target.address(address).number, target.config().ownerName);
            line = at->first;
            address = at->second;
            reason = divert->reason;
        }
    }
    Connection &c = core_.newConnection();
    c.external = ExternalParty{caller.number, caller.name, ExternalBehaviour::Answer, Millis(0), true};
    Leg &l = core_.newLeg(line, address, c);
    CallInfoData &info = l.infoForSetup();
    info.origin = LINECALLORIGIN_EXTERNAL;
    info.reason = reason;
    info.mediaMode = mediaMode;
    info.caller = caller;
    info.called = core_.partyOf(l);
    if (redirecting) {
        info.redirecting = *redirecting;
        info.redirection = info.called;
    }
    info.trunk = 1;
    core_.offer(l);
    core_.offered(l.id(), false);
    return l.id();
}

Leg *FarEnd::outsideLeg(LegId id, DWORD states)
{
    Leg *l = core_.leg(id);
    Connection *c = l ? core_.connection(l->connection()) : nullptr;
    if (!c || !c->external || !(l->state() & states))
        return nullptr;
    if (c->timer)
        core_.scheduler().cancel(c->timer);
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

Leg *FarEnd::endingLeg(LegId id, DWORD states)
{
    Leg *l = outsideLeg(id, states);
    if (l)
        core_.connection(l->connection())->external->ended = true;
    return l;
}

LegId FarEnd::callsFar(DWORD line, const PartyId &caller, std::u16string *divertTo)
{
    if (const auto divert = core_.arriving(line, 0, caller, false, core_.full(line, 0))) {
        if (!divert->refuse && divertTo)
            *divertTo = divert->dest;
        return 0;
    }
    return calls(line, 0, caller, LINEMEDIAMODE_INTERACTIVEVOICE);
}

LONG FarEnd::progress(LegId id, DWORD state)
{
    if (state != LINECALLSTATE_PROCEEDING && state != LINECALLSTATE_RINGBACK)
        return LINEERR_INVALCALLSTATE;
    Leg *l = outsideLeg(id, kRinging);
    if (!l)
        return LINEERR_INVALCALLSTATE;
    core_.setState(*l, state, 0);
    return 0;
}

LONG FarEnd::disconnect(LegId id, DWORD mode)
{
    Leg *l = endingLeg(id, kLive);
    if (!l)
        return LINEERR_INVALCALLSTATE;
    core_.cancelGeneration(*l);
    if (mode == LINEDISCONNECTMODE_BUSY && (l->state() & kRinging))
        core_.setState(*l, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
    else
        core_.setState(*l, LINECALLSTATE_DISCONNECTED, mode);
    return 0;
}

LONG FarEnd::hangUp(LegId id)
{
    Leg *l = endingLeg(id, kLive);
    if (!l)
        return LINEERR_INVALCALLSTATE;
    core_.cancelGeneration(*l);
    core_.setState(*l, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
    return 0;
}

LONG FarEnd::sendDigits(LegId id, std::u16string_view digits)
{
    // Any connected call: the party it talks to may be outside or on another line.
    Leg *l = core_.leg(id);
    if (!l || l->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    if (digits.empty() || !validGenerateDigits(digits, LINEDIGITMODE_DTMF))
        return LINEERR_INVALDIGITS;
    const auto tick = static_cast<DWORD>(core_.clock().now().count());
    for (char16_t digit : digits)
        core_.report(Event::legDigit(id, digit, LINEDIGITMODE_DTMF, tick));
    return 0;
}

LONG FarEnd::busy(LegId id)
{
    Leg *l = endingLeg(id, kRinging);
    if (!l)
        return LINEERR_INVALCALLSTATE;
    core_.setState(*l, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
    return 0;
}

LONG FarEnd::reject(LegId id)
{
    Leg *l = endingLeg(id, kRinging);
    if (!l)
        return LINEERR_INVALCALLSTATE;
    core_.setState(*l, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_REJECT);
    return 0;
}

} // namespace exchange
