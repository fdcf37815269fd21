#include "exchange/core/Core.h"

#include "exchange/core/CallFeatures.h"
#include "exchange/core/CallStates.h"

#include <algorithm>
#include <cassert>
#include <set>
#include <utility>

namespace exchange {

namespace {

constexpr DWORD kActiveStates = LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING | LINECALLSTATE_PROCEEDING |
                                LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY | LINECALLSTATE_CONNECTED;
constexpr DWORD kPendingHoldStates = LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_ONHOLDPENDCONF;
constexpr DWORD kRinging = LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED;
constexpr Millis kFirstRing{500};
constexpr Millis kRingCycle{6000};

} // namespace

Core::Core(const Topology &topology, const Clock &clock, Scheduler &scheduler, std::vector<Event> &out)
    : clock_(clock), scheduler_(scheduler), out_(out), far_(scheduler, out, topology.farGuard)
{
    for (DWORD i = 0; i < topology.lines.size(); ++i)
        lines_.emplace_back(i, topology.lines[i]);
    for (DWORD i = 0; i < topology.phones.size(); ++i)
        phones_.emplace_back(i, topology.phones[i]);
}

// ---- devices ----

DWORD Core::addLine(LineConfig config)
{
    const DWORD id = lineCount();
    lines_.emplace_back(id, std::move(config));
    return id;
}

DWORD Core::addPhone(PhoneConfig config)
{
    const DWORD id = phoneCount();
    phones_.emplace_back(id, std::move(config));
    return id;
}

void Core::removeLine(DWORD line)
{
    for (LegId id : legsOn(line, std::nullopt))
        if (const Leg *l = leg(id); l && !l->idle())
            drop(id, {});
    for (Feature *f : features_)
        f->lineRemoved(line);
    lines_[line].markRemoved();
}

std::optional<std::pair<DWORD, DWORD>> Core::localAddress(std::u16string_view number) const
{
    if (number.empty())
        return std::nullopt;
    for (const Line &ln : lines_) {
        if (ln.removed())
            continue;
        for (DWORD a = 0; a < ln.addressCount(); ++a)
            if (ln.address(a).number == number)
                return std::pair{ln.id(), a};
    }
    return std::nullopt;
}

const LINEADDRESSCAPS &Core::addressCaps(const Leg &leg) const
{
    return lines_.at(leg.line()).address(leg.address()).caps;
}

// ---- legs and connections ----

Leg *Core::leg(LegId id)
{
    auto it = legs_.find(id);
    return it == legs_.end() ? nullptr : it->second.get();
}

const Leg *Core::leg(LegId id) const
{
    auto it = legs_.find(id);
    return it == legs_.end() ? nullptr : it->second.get();
}

Connection *Core::connection(ConnectionId id)
{
    auto it = connections_.find(id);
    return it == connections_.end() ? nullptr : &it->second;
}

const Connection *Core::connection(ConnectionId id) const
{
    auto it = connections_.find(id);
    return it == connections_.end() ? nullptr : &it->second;
}

std::vector<LegId> Core::legsOn(DWORD line, std::optional<DWORD> address) const
{
    std::vector<LegId> out;
    for (const auto &[id, l] : legs_)
        if (l->line() == line && (!address || l->address() == *address) && !l->idle() && l->state() != 0)
            out.push_back(id);
    return out;
}

CallCounts Core::counts(DWORD line, std::optional<DWORD> address) const
{
    CallCounts c;
    for (LegId id : legsOn(line, address)) {
        const DWORD s = leg(id)->state();
        ++c.inUse;
        if (s & kActiveStates)
            ++c.active;
        if (s == LINECALLSTATE_ONHOLD)
            ++c.onHold;
        if (s & kPendingHoldStates)
            ++c.onHoldPending;
    }
    return c;
}

bool Core::full(DWORD line, DWORD address) const
{
    const LINEADDRESSCAPS &caps = lines_.at(line).address(address).caps;
    // In 64 bits: an address that allows 0xFFFFFFFF active calls is never full.
    return counts(line, address).inUse >= uint64_t{caps.dwMaxNumActiveCalls} + caps.dwMaxNumOnHoldCalls;
}

Connection &Core::newConnection()
{
    Connection &c = connections_[nextConnection_];
    c.id = nextConnection_++;
    c.callId = nextCallId_++;
    return c;
}

Leg &Core::newLeg(DWORD line, DWORD address, Connection &c)
{
    const LegId id = nextLeg_++;
    auto l = std::make_unique<Leg>(id, line, address, c.id);
    l->infoForSetup().callId = c.callId;
    c.legs.push_back(id);
    Leg &ref = *l;
    legs_[id] = std::move(l);
    return ref;
}

void Core::eraseConnection(Connection &c)
{
    if (c.timer)
        scheduler_.cancel(c.timer);
    connections_.erase(c.id);
}

PartyId Core::partyOf(const Leg &l) const
{
    const Line &ln = lines_.at(l.line());
    return PartyId::of(ln.address(l.address()).number, ln.config().ownerName);
}

PartyId Core::shownCaller(const Leg &caller) const
{
    // A caller that withholds its identity is shown as blocked, nothing more.
    if (caller.info().callParamFlags & LINECALLPARAMFLAGS_BLOCKID)
        return PartyId{LINECALLPARTYID_BLOCKED, {}, {}};
    return caller.info().caller;
}

// ---- states ----

void Core::setState(Leg &leg, DWORD state, DWORD mode, LegId conference)
{
    const DWORD before = leg.state();
    if (leg.idle() || (state == before && mode == leg.mode()))
        return;
    assert(allowedTransition(before, state) && "a call state change the exchange does not allow");
    leg.setState(state, mode, clock_, out_, conference);
    followOnNetwork(leg);
    showOnPhone(leg.line());
    if (state != before)
        for (Feature *f : features_)
            f->stateChanged(leg, before);
}

DWORD Core::addressFeatures(DWORD line, DWORD address) const
{
    constexpr DWORD kNewCall = LINEADDRFEATURE_MAKECALL | LINEADDRFEATURE_UNPARK | LINEADDRFEATURE_PICKUP |
                               LINEADDRFEATURE_PICKUPHELD | LINEADDRFEATURE_PICKUPWAITING |
                               LINEADDRFEATURE_PICKUPDIRECT | LINEADDRFEATURE_PICKUPGROUP;
    const Line &ln = lines_.at(line);
    if (ln.removed())
        return 0;
    DWORD f = ln.address(address).caps.dwAddressFeatures;
    const bool inService = (ln.devStatusFlags() & (LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_INSERVICE)) ==
                           (LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_INSERVICE);
    if (!inService || !roomForActive(line, address, 0))
        f &= ~kNewCall;
    return f;
}

void Core::showOnPhone(DWORD line)
{
    const std::optional<DWORD> phoneId = lines_.at(line).config().phone;
    Phone *p = phoneId ? phone(*phoneId) : nullptr;
    if (!p)
        return;
    // Flashing while a call rings, winking while one is held, steady while
    // one is in progress; a call whose far end has gone lights nothing.
    DWORD mode = PHONELAMPMODE_OFF;
    for (LegId id : legsOn(line, std::nullopt)) {
        const DWORD state = leg(id)->state();
        if (state == LINECALLSTATE_DISCONNECTED)
            continue;
        if (state & kRinging) {
            mode = PHONELAMPMODE_FLASH;
            break;
        }
        if (state == LINECALLSTATE_ONHOLD)
            mode = mode == PHONELAMPMODE_OFF ? PHONELAMPMODE_WINK : mode;
        else
            mode = PHONELAMPMODE_STEADY;
    }
    p->showCallAppearance(mode, out_);
}

DWORD Core::features(const Leg &l) const
{
    AddressSituation at;
    at.counts = counts(l.line(), l.address());
    at.roomForActive = roomForActive(l);
    at.connectedCall = std::ranges::any_of(legsOn(l.line(), l.address()), [&](LegId id) {
        return id != l.id() && leg(id)->state() == LINECALLSTATE_CONNECTED;
    });
    at.heldConference = std::ranges::any_of(legsOn(l.line(), l.address()), [&](LegId id) {
        const Leg &other = *leg(id);
        return id != l.id() && other.state() == LINECALLSTATE_ONHOLD &&
               other.info().origin == LINECALLORIGIN_CONFERENCE;
    });
    DWORD f = callFeatures(l, at, addressCaps(l));
    for (const Feature *feature : features_)
        f = feature->restrictFeatures(l, f);
    return f;
}

DWORD Core::features2(const Leg &l) const
{
    return callFeatures2(features(l), addressCaps(l));
}

std::optional<LegId> Core::makingWay(DWORD line, DWORD address, LegId except) const
{
    const LINEADDRESSCAPS &caps = lines_.at(line).address(address).caps;
    CallCounts c = counts(line, address);
    if (const Leg *self = leg(except); self && (self->state() & kActiveStates))
        --c.active;
    if (c.active < std::max<DWORD>(caps.dwMaxNumActiveCalls, 1))
        return LegId(0);
    // Only a connected call can make way, and only while holding is possible.
    if (c.onHold >= caps.dwMaxNumOnHoldCalls || !(caps.dwCallFeatures & LINECALLFEATURE_HOLD))
        return std::nullopt;
    for (LegId id : legsOn(line, address))
        if (id != except && leg(id)->state() == LINECALLSTATE_CONNECTED)
            return id;
    return std::nullopt;
}

bool Core::roomForActive(DWORD line, DWORD address, LegId except) const
{
    return makingWay(line, address, except).has_value();
}

void Core::makeRoomForActive(DWORD line, DWORD address, LegId except)
{
    if (const auto way = makingWay(line, address, except); way && *way)
        setState(*leg(*way), LINECALLSTATE_ONHOLD, 0);
}

bool Core::waitsForConsultation(LegId id) const
{
    return std::ranges::any_of(features_, [&](const Feature *f) { return f->waitsForConsultation(id); });
}

// ---- shared steps ----

void Core::announce(Leg &l, DWORD state, DWORD mode)
{
    setState(l, state, mode);
    l.markAnnounced();
    out_.push_back(Event::legAppeared(l.id(), l.line(), l.address(), l.info().mediaMode, state, mode));
}

void Core::offer(Leg &l)
{
    announce(l, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE);
    ringFor(l.id(), 1);
}

std::optional<Divert> Core::arriving(DWORD line, DWORD address, const PartyId &caller, bool internal,
                                     bool busy) const
{
    for (const Feature *f : features_)
        if (auto divert = f->arriving(line, address, caller, internal, busy))
            return divert;
    return std::nullopt;
}

void Core::offered(LegId id, bool internal)
{
    for (Feature *f : features_)
        f->offered(id, internal);
}

bool Core::answering(Leg &l)
{
    return std::ranges::any_of(features_, [&](Feature *f) { return f->answering(l); });
}

void Core::ringFor(LegId id, DWORD count)
{
    // Ring cycles: the first burst a moment after the call is offered, then
    // one every cycle while it is still offered; each reports the count so far.
    scheduler_.schedule(count == 1 ? kFirstRing : kRingCycle, [this, id, count] {
        const Leg *l = leg(id);
        if (!l || !(l->state() & kRinging))
            return;
        out_.push_back(Event::lineState(l->line(), LINEDEVSTATE_RINGING, 1, count));
        ringFor(id, count + 1);
    });
}

void Core::connectLegs(Leg &a, Leg &b)
{
    const PartyId pa = a.info().caller.number.empty() ? partyOf(a) : shownCaller(a);
    const PartyId pb = partyOf(b);
    b.changeInfo(LINECALLINFOSTATE_CONNECTEDID, out_, [&](CallInfoData &i) { i.connected = pa; });
    setState(b, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    a.changeInfo(LINECALLINFOSTATE_CONNECTEDID, out_, [&](CallInfoData &i) { i.connected = pb; });
    setState(a, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

void Core::disconnectOthers(Leg &from, DWORD mode, const std::vector<uint8_t> &uui)
{
    from.uuiForCalled.clear();
    Connection *c = connection(from.connection());
    if (!c)
        return;
    c->remove(from.id());
    for (LegId id : c->legs) {
        Leg &other = *leg(id);
        if (other.idle() || other.state() == LINECALLSTATE_DISCONNECTED)
            continue;
        if (!uui.empty())
            other.changeInfo(LINECALLINFOSTATE_USERUSERINFO, out_, [&](CallInfoData &i) { i.userUserInfo = uui; });
        cancelGeneration(other);
        setState(other, LINECALLSTATE_DISCONNECTED, mode);
    }
    if (!c->alive())
        eraseConnection(*c);
}

void Core::cancelGeneration(Leg &l)
{
    if (!l.generateTimer)
        return;
    scheduler_.cancel(l.generateTimer);
    l.generateTimer = 0;
    out_.push_back(Event::legGenerate(l.id(), LINEGENERATETERM_CANCEL, DWORD(clock_.now().count())));
}

void Core::drop(LegId id, const std::vector<uint8_t> &uui)
{
    for (Feature *f : features_)
        f->dropping(id);
    Leg &l = *leg(id);
    const bool rejecting = l.state() & kRinging;
    endOnNetwork(l); // while the leg still has its connection
    cancelGeneration(l);
    disconnectOthers(l, rejecting ? LINEDISCONNECTMODE_REJECT : LINEDISCONNECTMODE_NORMAL, uui);
    setState(l, LINECALLSTATE_IDLE, 0);
    for (Feature *f : features_)
        f->dropped(id);
}

void Core::takingBack(LegId id)
{
    for (Feature *f : features_)
        f->takingBack(id);
}

// ---- lifetime ----

void Core::retain(LegId id)
{
    if (legs_.count(id))
        ++refs_[id];
}

void Core::release(LegId id, bool dropIfLive)
{
    Leg *l = leg(id);
    if (!l)
        return;
    if (auto it = refs_.find(id); it != refs_.end() && --it->second <= 0)
        refs_.erase(it);
    if (dropIfLive && !l->idle())
        drop(id, {});
    // Only this leg: it was reported long ago. Others may still wait for the
    // delivery that gives them their handles (see collect()).
    if (l->idle() && !refs_.count(id))
        forget(*l);
}

void Core::collect(const std::vector<Event> &undelivered)
{
    std::set<LegId> unheard;
    for (const Event &e : undelivered) {
        unheard.insert(e.leg);
        unheard.insert(e.conference);
        unheard.insert(e.newLegs.begin(), e.newLegs.end());
    }
    std::vector<Leg *> done;
    for (auto &[id, l] : legs_) {
        if (refs_.count(id) || unheard.count(id))
            continue;
        // A disconnected call nobody holds has nobody to hang it up: like a
        // phone left on hook, it returns to idle by itself.
        if (l->state() == LINECALLSTATE_DISCONNECTED)
            setState(*l, LINECALLSTATE_IDLE, 0);
        if (l->idle())
            done.push_back(l.get());
    }
    for (Leg *l : done)
        forget(*l);
}

void Core::forget(Leg &l)
{
    // A leg that left its connection earlier (parked, picked up,
    // redirected) no longer decides about it.
    Connection *c = connection(l.connection());
    if (c && std::ranges::find(c->legs, l.id()) != c->legs.end()) {
        c->remove(l.id());
        if (!c->alive())
            eraseConnection(*c);
    }
    for (Feature *f : features_)
        f->forgetting(l.id());
    legs_.erase(l.id());
}

// ---- far lines ----

bool Core::farLeg(const Leg &l) const
{
    const Line *ln = line(l.line());
    const Connection *c = connection(l.connection());
    return ln && ln->config().far && c && c->external;
}

void Core::farCommand(FarCommand::Kind kind, const Leg &l, uint32_t request, std::u16string text, LegId other)
{
    FarCommand c;
    c.kind = kind;
    c.line = l.line();
    c.leg = l.id();
    c.other = other;
    c.request = request;
    c.text = std::move(text);
    if (kind == FarCommand::Kind::Invite)
        c.callerName = line(l.line())->config().ownerName;
    far_.command(std::move(c));
}

void Core::endOnNetwork(const Leg &l)
{
    if (!farLeg(l))
        return;
    ExternalParty &party = *connection(l.connection())->external;
    if (std::exchange(party.ended, true))
        return;
    farCommand(FarCommand::Kind::Hangup, l);
}

void Core::followOnNetwork(Leg &l)
{
    if (l.idle()) {
        endOnNetwork(l);
        return;
    }
    if (!farLeg(l))
        return;
    ExternalParty &party = *connection(l.connection())->external;
    if (party.ended)
        return;
    constexpr DWORD kHeld = LINECALLSTATE_ONHOLD | LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_ONHOLDPENDCONF;
    const bool held = (l.state() & kHeld) != 0;
    if (held == party.held || (!held && l.state() != LINECALLSTATE_CONNECTED))
        return;
    party.held = held;
    farCommand(held ? FarCommand::Kind::Hold : FarCommand::Kind::Resume, l);
}

} // namespace exchange
