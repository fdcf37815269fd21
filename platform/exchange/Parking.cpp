#include "exchange/Parking.h"

#include "exchange/Switchboard.h"

#include <algorithm>

namespace exchange {

namespace {

constexpr DWORD kRinging = LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED;

bool isSlot(const Switchboard &b, std::u16string_view slot)
{
    return std::ranges::find(b.parkSlots(), slot) != b.parkSlots().end();
}

LONG checkAddress(const Switchboard &b, DWORD line, DWORD address, DWORD feature)
{
    const Line *ln = b.line(line);
    if (!ln)
        return LINEERR_BADDEVICEID;
    if (!ln->hasAddress(address))
        return LINEERR_INVALADDRESSID;
    return (ln->address(address).caps.dwAddressFeatures & feature) ? 0 : LINEERR_OPERATIONUNAVAIL;
}

} // namespace

ConnectionId Switchboard::parkedAt(std::u16string_view slot) const
{
    auto it = parked_.find(slot);
    if (it == parked_.end())
        return 0;
    // The waiting party may have hung up meanwhile: the slot is free again.
    auto c = connections_.find(it->second.connection);
    return c != connections_.end() && c->second.parked ? c->first : 0;
}

// ---- park ----

LONG Parking::checkPark(const Switchboard &b, LegId id, DWORD mode, std::u16string_view slot)
{
    const Leg *l = b.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    const LINEADDRESSCAPS &caps = b.addressCaps(*l);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_PARK))
        return LINEERR_OPERATIONUNAVAIL;
    if (!(caps.dwParkModes & mode))
        return LINEERR_INVALPARKMODE;
    if (l->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    if (mode == LINEPARKMODE_DIRECTED) {
        if (!isSlot(b, slot))
            return LINEERR_INVALADDRESS;
        return b.parkedAt(slot) ? LINEERR_RESOURCEUNAVAIL : 0;
    }
    const bool free = std::ranges::any_of(b.parkSlots(), [&](const std::u16string &s) { return !b.parkedAt(s); });
    return free ? 0 : LINEERR_RESOURCEUNAVAIL;
}

void Parking::park(uint32_t requestId, LegId id, DWORD mode, std::u16string_view slot)
{
    Switchboard &b = board_;
    Leg &l = *b.leg(id);
    std::u16string where(slot);
    if (mode == LINEPARKMODE_NONDIRECTED)
        where = *std::ranges::find_if(b.parkSlots(), [&](const std::u16string &s) { return !b.parkedAt(s); });
    Connection &c = *b.connection(l.connection());
    Event done = Event::requestDone(requestId, 0);
    if (mode == LINEPARKMODE_NONDIRECTED)
        done.outText = where;
    b.out_.push_back(std::move(done));

    b.cancelGeneration(l);
    c.remove(id);
    c.parked = true;
    Switchboard::ParkedCall &p = b.parked_[where];
    p = {c.id, l.line(), l.address(), 0};
    Switchboard *board = &b;
    p.reminder = b.scheduler_.schedule(b.parkReminder_, [board, where] { Parking(*board).remind(where); });
    b.setState(l, LINECALLSTATE_IDLE, 0);
}

void Parking::remind(const std::u16string &slot)
{
    Switchboard &b = board_;
    auto it = b.parked_.find(slot);
    if (it == b.parked_.end())
        return;
    const Switchboard::ParkedCall p = it->second;
    const ConnectionId waiting = b.parkedAt(slot);
    b.parked_.erase(it);
    Connection *c = b.connection(waiting);
    if (!c)
        return;
    c->parked = false;
    const Line *ln = b.line(p.line);
    if (!ln || ln->removed()) {
        for (LegId other : std::vector<LegId>(c->legs))
            b.drop(other, {});
        if (!c->alive())
            b.eraseConnection(*c);
        return;
    }
    CallInfoData from;
    if (Leg *other = b.leg(c->other(0)))
        from.caller = b.partyOf(*other);
    else if (c->external)
        from.caller = PartyId::of(c->external->number, c->external->name);
    from.origin = c->external ? LINECALLORIGIN_EXTERNAL : LINECALLORIGIN_INTERNAL;
    Leg &l = joinConnection(*c, p.line, p.address, from, LINECALLREASON_REMINDER);
    b.setState(l, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE);
    l.markAnnounced();
    b.out_.push_back(Event::legAppeared(l.id(), p.line, p.address, l.info().mediaMode, LINECALLSTATE_OFFERING,
                                        LINEOFFERINGMODE_ACTIVE));
    b.ringFor(l.id(), 1);
}

// ---- unpark ----

LONG Parking::checkUnpark(const Switchboard &b, DWORD line, DWORD address, std::u16string_view slot)
{
    if (LONG r = checkAddress(b, line, address, LINEADDRFEATURE_UNPARK))
        return r;
    if (!isSlot(b, slot))
        return LINEERR_INVALADDRESS;
    if (!b.parkedAt(slot))
        return LINEERR_OPERATIONFAILED;
    return const_cast<Switchboard &>(b).roomForActive(line, address, 0, false) ? 0 : LINEERR_CALLUNAVAIL;
}

void Parking::unpark(uint32_t requestId, DWORD line, DWORD address, std::u16string_view slot)
{
    Switchboard &b = board_;
    auto it = b.parked_.find(slot);
    Connection &c = *b.connection(b.parkedAt(slot));
    b.scheduler_.cancel(it->second.reminder);
    b.parked_.erase(it);
    c.parked = false;
    b.roomForActive(line, address, 0, true);

    CallInfoData from;
    Leg *waiting = b.leg(c.other(0));
    from.caller = waiting ? b.partyOf(*waiting)
                          : PartyId::of(c.external ? c.external->number : u"", c.external ? c.external->name : u"");
    from.origin = c.external ? LINECALLORIGIN_EXTERNAL : LINECALLORIGIN_INTERNAL;
    Leg &l = joinConnection(c, line, address, from, LINECALLREASON_UNPARK);
    l.infoForSetup().connected = from.caller;
    b.out_.push_back(Event::requestDone(requestId, 0, {l.id()}));
    l.markAnnounced();
    b.setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    if (waiting)
        waiting->changeInfo(LINECALLINFOSTATE_CONNECTEDID, b.out_,
                            [&](CallInfoData &i) { i.connected = b.partyOf(l); });
}

Leg &Parking::joinConnection(Connection &c, DWORD line, DWORD address, const CallInfoData &from, DWORD reason)
{
    Leg &l = board_.newLeg(line, address, c);
    CallInfoData &info = l.infoForSetup();
    info.origin = from.origin;
    info.reason = reason;
    info.mediaMode = from.mediaMode;
    info.bearerMode = from.bearerMode;
    info.caller = from.caller;
    info.called = board_.partyOf(l);
    return l;
}

// ---- pickup ----

LegId Parking::ringingCall(const Switchboard &b, const std::u16string *dest, const std::u16string *group)
{
    std::optional<std::pair<DWORD, DWORD>> at;
    if (dest) {
        at = b.localAddress(*dest);
        if (!at)
            return 0;
    }
    for (DWORD line = 0; line < b.lineCount(); ++line) {
        if (at && at->first != line)
            continue;
        if (!at && (b.line(line)->config().pickupGroup.empty() || b.line(line)->config().pickupGroup != *group))
            continue;
        for (LegId id : b.legsOn(line, at ? std::optional(at->second) : std::nullopt))
            if (b.leg(id)->state() & kRinging)
                return id;
    }
    return 0;
}

LONG Parking::checkPickup(const Switchboard &b, DWORD line, DWORD address, const std::u16string *dest,
                          const std::u16string *group)
{
    if (LONG r = checkAddress(b, line, address, LINEADDRFEATURE_PICKUP))
        return r;
    const DWORD features = b.line(line)->address(address).caps.dwAddressFeatures;
    if (dest) {
        if (!(features & LINEADDRFEATURE_PICKUPDIRECT))
            return LINEERR_OPERATIONUNAVAIL;
        if (!b.localAddress(*dest))
            return LINEERR_INVALADDRESS;
    } else {
        if (!group || group->empty())
            return LINEERR_INVALGROUPID;
        if (!(features & LINEADDRFEATURE_PICKUPGROUP))
            return LINEERR_OPERATIONUNAVAIL;
        bool known = false;
        for (DWORD id = 0; id < b.lineCount(); ++id)
            known = known || b.line(id)->config().pickupGroup == *group;
        if (!known)
            return LINEERR_INVALGROUPID;
    }
    const LegId ringing = ringingCall(b, dest, group);
    if (!ringing)
        return LINEERR_OPERATIONFAILED;
    const Leg &r = *b.leg(ringing);
    if (r.line() == line && r.address() == address)
        return LINEERR_INVALADDRESS; // its own call: answer it instead
    return const_cast<Switchboard &>(b).roomForActive(line, address, 0, false) ? 0 : LINEERR_CALLUNAVAIL;
}

void Parking::pickup(uint32_t requestId, DWORD line, DWORD address, const std::u16string *dest,
                     const std::u16string *group)
{
    Switchboard &b = board_;
    Leg &ringing = *b.leg(ringingCall(b, dest, group));
    Connection &c = *b.connection(ringing.connection());
    b.roomForActive(line, address, 0, true);
    Leg &l = joinConnection(c, line, address, ringing.info(), LINECALLREASON_PICKUP);
    c.remove(ringing.id());
    b.out_.push_back(Event::requestDone(requestId, 0, {l.id()}));
    l.markAnnounced();
    b.setState(ringing, LINECALLSTATE_IDLE, 0);
    if (Leg *caller = b.leg(c.other(l.id()))) {
        b.connectLegs(*caller, l);
        return;
    }
    if (c.external) {
        c.external->answered = true;
        l.changeInfo(LINECALLINFOSTATE_CONNECTEDID, b.out_, [&](CallInfoData &i) { i.connected = i.caller; });
    }
    b.setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- redirect ----

LONG Parking::checkRedirect(const Switchboard &b, LegId id, std::u16string_view dest)
{
    const Leg *l = b.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!(b.addressCaps(*l).dwCallFeatures & LINECALLFEATURE_REDIRECT))
        return LINEERR_OPERATIONUNAVAIL;
    if (!(l->state() & kRinging))
        return LINEERR_INVALCALLSTATE;
    return checkDestination(b, *l, dest);
}

LONG Parking::checkDestination(const Switchboard &b, const Leg &leg, std::u16string_view dest)
{
    const Leg *l = &leg;
    const LegId id = leg.id();
    if (const auto at = b.localAddress(dest))
        return at->first == l->line() && at->second == l->address() ? LINEERR_INVALADDRESS : 0;
    const bool external = std::ranges::any_of(b.externals_, [&](const ExternalNumber &e) { return e.number == dest; });
    if (!external)
        return LINEERR_INVALADDRESS;
    const Connection *c = b.connections_.count(l->connection()) ? &b.connections_.at(l->connection()) : nullptr;
    return c && c->other(id) ? 0 : LINEERR_OPERATIONUNAVAIL;
}

void Parking::sendElsewhere(LegId id, std::u16string_view dest, DWORD reason)
{
    Switchboard &b = board_;
    Leg &l = *b.leg(id);
    Connection &c = *b.connection(l.connection());
    const PartyId redirecting = b.partyOf(l);
    CallInfoData from = l.info();
    c.remove(id);
    b.setState(l, LINECALLSTATE_IDLE, 0);
    Leg *caller = b.leg(c.other(0));
    if (reason != LINECALLREASON_REDIRECT) {
        // The party passed on is whoever the leg was talking to.
        from.origin = c.external ? LINECALLORIGIN_EXTERNAL : LINECALLORIGIN_INTERNAL;
        if (caller)
            from.caller = b.partyOf(*caller);
        else if (c.external)
            from.caller = PartyId::of(c.external->number, c.external->name);
    }

    const auto at = b.localAddress(dest);
    if (!at) {
        const auto e = std::ranges::find_if(b.externals_, [&](const ExternalNumber &x) { return x.number == dest; });
        caller->changeInfo(LINECALLINFOSTATE_REDIRECTINGID | LINECALLINFOSTATE_REDIRECTIONID, b.out_,
                           [&](CallInfoData &i) {
                               i.redirecting = redirecting;
                               i.redirection = PartyId::of(e->number, e->name);
                           });
        FarEnd(b).dialed(*caller, *e);
        return;
    }
    const LINEADDRESSCAPS &caps = b.line(at->first)->address(at->second).caps;
    const CallCounts n = b.counts(at->first, at->second);
    if (n.inUse >= caps.dwMaxNumActiveCalls + caps.dwMaxNumOnHoldCalls) {
        // Nobody can take it there: the caller hears busy.
        if (caller)
            b.setState(*caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        if (!c.alive())
            b.eraseConnection(c);
        return;
    }
    Leg &r = joinConnection(c, at->first, at->second, from, reason);
    r.infoForSetup().redirecting = redirecting;
    r.infoForSetup().redirection = r.info().called;
    b.setState(r, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE);
    r.markAnnounced();
    b.out_.push_back(Event::legAppeared(r.id(), at->first, at->second, r.info().mediaMode, LINECALLSTATE_OFFERING,
                                        LINEOFFERINGMODE_ACTIVE));
    b.ringFor(r.id(), 1);
    if (caller && caller->state() == LINECALLSTATE_CONNECTED)
        b.setState(*caller, LINECALLSTATE_RINGBACK, 0);
    if (caller)
        caller->changeInfo(LINECALLINFOSTATE_REDIRECTINGID | LINECALLINFOSTATE_REDIRECTIONID, b.out_,
                           [&](CallInfoData &i) {
                               i.redirecting = redirecting;
                               i.redirection = r.info().called;
                           });
}

} // namespace exchange
