#include "exchange/features/Parking.h"

#include <algorithm>

namespace exchange {

namespace {

constexpr DWORD kRinging = LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED;

LONG checkAddress(const Core &core, DWORD line, DWORD address, DWORD feature)
{
    const Line *ln = core.line(line);
    if (!ln)
        return LINEERR_BADDEVICEID;
    if (!ln->hasAddress(address))
        return LINEERR_INVALADDRESSID;
    return (ln->address(address).caps.dwAddressFeatures & feature) ? 0 : LINEERR_OPERATIONUNAVAIL;
}

} // namespace

bool Parking::isSlot(std::u16string_view slot) const
{
    return std::ranges::find(slots_, slot) != slots_.end();
}

ConnectionId Parking::parkedAt(std::u16string_view slot) const
{
    auto it = parked_.find(slot);
    if (it == parked_.end())
        return 0;
    // The waiting party may have hung up meanwhile: the slot is free again.
    const Connection *c = core_.connection(it->second.connection);
    return c && c->parked ? c->id : 0;
}

std::vector<std::pair<std::u16string, ConnectionId>> Parking::occupancy() const
{
    std::vector<std::pair<std::u16string, ConnectionId>> slots;
    slots.reserve(slots_.size());
    for (const std::u16string &slot : slots_)
        slots.emplace_back(slot, parkedAt(slot));
    return slots;
}

// ---- park ----

LONG Parking::checkPark(LegId id, DWORD mode, std::u16string_view slot) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    const LINEADDRESSCAPS &caps = core_.addressCaps(*l);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_PARK))
        return LINEERR_OPERATIONUNAVAIL;
    if (!(caps.dwParkModes & mode))
        return LINEERR_INVALPARKMODE;
    if (l->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    if (mode == LINEPARKMODE_DIRECTED) {
        if (!isSlot(slot))
            return LINEERR_INVALADDRESS;
        return parkedAt(slot) ? LINEERR_RESOURCEUNAVAIL : 0;
    }
    const bool free = std::ranges::any_of(slots_, [&](const std::u16string &s) { return !parkedAt(s); });
    return free ? 0 : LINEERR_RESOURCEUNAVAIL;
}

void Parking::park(uint32_t requestId, LegId id, DWORD mode, std::u16string_view slot)
{
    Leg &l = *core_.leg(id);
    std::u16string where(slot);
    if (mode == LINEPARKMODE_NONDIRECTED)
        where = *std::ranges::find_if(slots_, [&](const std::u16string &s) { return !parkedAt(s); });
    Connection &c = *core_.connection(l.connection());
    Event done = Event::requestDone(requestId, 0);
    if (mode == LINEPARKMODE_NONDIRECTED)
        done.outText = where;
    core_.report(std::move(done));

    core_.cancelGeneration(l);
    c.remove(id);
    c.parked = true;
    ParkedCall &p = parked_[where];
    p = {c.id, l.line(), l.address(), 0};
    p.reminder = core_.scheduler().schedule(reminder_, [this, where] { remind(where); });
    core_.setState(l, LINECALLSTATE_IDLE, 0);
}

void Parking::remind(const std::u16string &slot)
{
    auto it = parked_.find(slot);
    if (it == parked_.end())
        return;
    const ParkedCall p = it->second;
    const ConnectionId waiting = parkedAt(slot);
    parked_.erase(it);
    Connection *c = core_.connection(waiting);
    if (!c)
        return;
    c->parked = false;
    const Line *ln = core_.line(p.line);
    if (!ln || ln->removed()) {
        for (LegId other : std::vector<LegId>(c->legs))
            core_.drop(other, {});
        if (!c->alive())
            core_.eraseConnection(*c);
        return;
    }
    CallInfoData from;
    if (Leg *other = core_.leg(c->other(0)))
        from.caller = core_.partyOf(*other);
    else if (c->external)
        from.caller = PartyId::of(c->external->number, c->external->name);
    from.origin = c->external ? LINECALLORIGIN_EXTERNAL : LINECALLORIGIN_INTERNAL;
    core_.offer(calls_.joinConnection(*c, p.line, p.address, from, LINECALLREASON_REMINDER));
}

// ---- unpark ----

LONG Parking::checkUnpark(DWORD line, DWORD address, std::u16string_view slot) const
{
    if (LONG r = checkAddress(core_, line, address, LINEADDRFEATURE_UNPARK))
        return r;
    if (!isSlot(slot))
        return LINEERR_INVALADDRESS;
    if (!parkedAt(slot))
        return LINEERR_OPERATIONFAILED;
    return core_.roomForActive(line, address, 0) ? 0 : LINEERR_CALLUNAVAIL;
}

void Parking::unpark(uint32_t requestId, DWORD line, DWORD address, std::u16string_view slot)
{
    auto it = parked_.find(slot);
    Connection &c = *core_.connection(parkedAt(slot));
    core_.scheduler().cancel(it->second.reminder);
    parked_.erase(it);
    c.parked = false;
    core_.makeRoomForActive(line, address, 0);

    CallInfoData from;
    Leg *waiting = core_.leg(c.other(0));
    from.caller = waiting ? core_.partyOf(*waiting)
                          : PartyId::of(c.external ? c.external->number : u"", c.external ? c.external->name : u"");
    from.origin = c.external ? LINECALLORIGIN_EXTERNAL : LINECALLORIGIN_INTERNAL;
    Leg &l = calls_.joinConnection(c, line, address, from, LINECALLREASON_UNPARK);
    l.infoForSetup().connected = from.caller;
    core_.report(Event::requestDone(requestId, 0, {l.id()}));
    l.markAnnounced();
    core_.setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    if (waiting)
        waiting->changeInfo(LINECALLINFOSTATE_CONNECTEDID, core_.out(),
                            [&](CallInfoData &i) { i.connected = core_.partyOf(l); });
}

// ---- pickup ----

LegId Parking::ringingCall(const std::u16string *dest, const std::u16string *group) const
{
    std::optional<std::pair<DWORD, DWORD>> at;
    if (dest) {
        at = core_.localAddress(*dest);
        if (!at)
            return 0;
    }
    for (DWORD line = 0; line < core_.lineCount(); ++line) {
        if (at && at->first != line)
            continue;
        const std::u16string &pickupGroup = core_.line(line)->config().pickupGroup;
        if (!at && (pickupGroup.empty() || pickupGroup != *group))
            continue;
        for (LegId id : core_.legsOn(line, at ? std::optional(at->second) : std::nullopt))
            if (core_.leg(id)->state() & kRinging)
                return id;
    }
    return 0;
}

LONG Parking::checkPickup(DWORD line, DWORD address, const std::u16string *dest, const std::u16string *group) const
{
    if (LONG r = checkAddress(core_, line, address, LINEADDRFEATURE_PICKUP))
        return r;
    const DWORD features = core_.line(line)->address(address).caps.dwAddressFeatures;
    if (dest) {
        if (!(features & LINEADDRFEATURE_PICKUPDIRECT))
            return LINEERR_OPERATIONUNAVAIL;
        if (!core_.localAddress(*dest))
            return LINEERR_INVALADDRESS;
    } else {
        if (!group || group->empty())
            return LINEERR_INVALGROUPID;
        if (!(features & LINEADDRFEATURE_PICKUPGROUP))
            return LINEERR_OPERATIONUNAVAIL;
        bool known = false;
        for (DWORD id = 0; id < core_.lineCount(); ++id)
            known = known || core_.line(id)->config().pickupGroup == *group;
        if (!known)
            return LINEERR_INVALGROUPID;
    }
    const LegId ringing = ringingCall(dest, group);
    if (!ringing)
        return LINEERR_OPERATIONFAILED;
    const Leg &r = *core_.leg(ringing);
    if (r.line() == line && r.address() == address)
        return LINEERR_INVALADDRESS; // its own call: answer it instead
    return core_.roomForActive(line, address, 0) ? 0 : LINEERR_CALLUNAVAIL;
}

void Parking::pickup(uint32_t requestId, DWORD line, DWORD address, const std::u16string *dest,
                     const std::u16string *group)
{
    Leg &ringing = *core_.leg(ringingCall(dest, group));
    Connection &c = *core_.connection(ringing.connection());
    core_.makeRoomForActive(line, address, 0);
    Leg &l = calls_.joinConnection(c, line, address, ringing.info(), LINECALLREASON_PICKUP);
    c.remove(ringing.id());
    core_.report(Event::requestDone(requestId, 0, {l.id()}));
    l.markAnnounced();
    core_.setState(ringing, LINECALLSTATE_IDLE, 0);
    if (Leg *caller = core_.leg(c.other(l.id()))) {
        core_.connectLegs(*caller, l);
        return;
    }
    if (c.external) {
        c.external->answered = true;
        l.changeInfo(LINECALLINFOSTATE_CONNECTEDID, core_.out(), [&](CallInfoData &i) { i.connected = i.caller; });
    }
    core_.setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- redirect ----

LONG Parking::checkRedirect(LegId id, std::u16string_view dest) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!(core_.addressCaps(*l).dwCallFeatures & LINECALLFEATURE_REDIRECT))
        return LINEERR_OPERATIONUNAVAIL;
    if (!(l->state() & kRinging))
        return LINEERR_INVALCALLSTATE;
    return calls_.checkDestination(*l, dest);
}

} // namespace exchange
