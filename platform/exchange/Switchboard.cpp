#include "exchange/Switchboard.h"

#include "exchange/CallFeatures.h"
#include "exchange/Completions.h"
#include "exchange/Conferences.h"
#include "exchange/DialString.h"
#include "exchange/FarEnd.h"
#include "exchange/Forwarding.h"

#include <algorithm>
#include <bit>

namespace exchange {

namespace {

constexpr DWORD kActiveStates = LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING | LINECALLSTATE_PROCEEDING |
                                LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY | LINECALLSTATE_CONNECTED;
constexpr DWORD kPendingHoldStates = LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_ONHOLDPENDCONF;
constexpr Millis kFirstRing{500};
constexpr Millis kRingCycle{6000};

} // namespace

Switchboard::Switchboard(const Topology &topology, const Clock &clock, Scheduler &scheduler, std::vector<Event> &out)
    : clock_(clock), scheduler_(scheduler), out_(out), externals_(topology.externals), parkSlots_(topology.parkSlots),
      parkReminder_(topology.parkReminder)
{
    for (DWORD i = 0; i < topology.lines.size(); ++i)
        lines_.emplace_back(i, topology.lines[i]);
    for (DWORD i = 0; i < topology.phones.size(); ++i)
        phones_.emplace_back(i, topology.phones[i]);
}

DWORD Switchboard::addLine(LineConfig config)
{
    const DWORD id = lineCount();
    lines_.emplace_back(id, std::move(config));
    return id;
}

DWORD Switchboard::addPhone(PhoneConfig config)
{
    const DWORD id = phoneCount();
    phones_.emplace_back(id, std::move(config));
    return id;
}

void Switchboard::dropCallsOn(DWORD line)
{
    for (LegId id : legsOn(line, std::nullopt))
        drop(id, {});
}

void Switchboard::setState(Leg &leg, DWORD state, DWORD mode, LegId conference)
{
    const bool ending = state == LINECALLSTATE_IDLE && !leg.idle() && leg.state() != 0;
    leg.setState(state, mode, clock_, out_, conference);
    if (predictive_.count(leg.id()))
        Predictive(*this).reached(leg);
    showOnPhone(leg.line());
    if (ending)
        Completions(*this).legEnded(leg);
}

void Switchboard::showOnPhone(DWORD line)
{
    const std::optional<DWORD> phoneId = lines_.at(line).config().phone;
    Phone *p = phoneId ? phone(*phoneId) : nullptr;
    if (!p)
        return;
    // Flashing while a call rings, winking while one is held, steady while
    // one is in progress.
    DWORD mode = PHONELAMPMODE_OFF;
    for (LegId id : legsOn(line, std::nullopt)) {
        const DWORD state = leg(id)->state();
        if (state & (LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED)) {
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

// ---- queries ----

std::optional<std::pair<DWORD, DWORD>> Switchboard::localAddress(std::u16string_view number) const
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

Leg *Switchboard::leg(LegId id)
{
    auto it = legs_.find(id);
    return it == legs_.end() ? nullptr : it->second.get();
}

const Leg *Switchboard::leg(LegId id) const
{
    auto it = legs_.find(id);
    return it == legs_.end() ? nullptr : it->second.get();
}

Connection *Switchboard::connection(ConnectionId id)
{
    auto it = connections_.find(id);
    return it == connections_.end() ? nullptr : &it->second;
}

std::vector<LegId> Switchboard::legsOn(DWORD line, std::optional<DWORD> address) const
{
    std::vector<LegId> out;
    for (const auto &[id, l] : legs_)
        if (l->line() == line && (!address || l->address() == *address) && !l->idle() && l->state() != 0)
            out.push_back(id);
    return out;
}

CallCounts Switchboard::counts(DWORD line, std::optional<DWORD> address) const
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

const LINEADDRESSCAPS &Switchboard::addressCaps(const Leg &leg) const
{
    return lines_.at(leg.line()).address(leg.address()).caps;
}

DWORD Switchboard::features(const Leg &l) const
{
    AddressSituation at;
    at.counts = counts(l.line(), l.address());
    at.roomForActive = roomForActiveConst(l);
    at.connectedCall = std::ranges::any_of(legsOn(l.line(), l.address()), [&](LegId id) {
        return id != l.id() && leg(id)->state() == LINECALLSTATE_CONNECTED;
    });
    at.heldConference = std::ranges::any_of(legsOn(l.line(), l.address()), [&](LegId id) {
        const Leg &other = *leg(id);
        return id != l.id() && other.state() == LINECALLSTATE_ONHOLD &&
               other.info().origin == LINECALLORIGIN_CONFERENCE;
    });
    const DWORD f = callFeatures(l, at, addressCaps(l));
    // Only a call to another extension can be completed.
    if ((f & LINECALLFEATURE_COMPLETECALL) && !Completions::targetOf(*this, l))
        return f & ~DWORD(LINECALLFEATURE_COMPLETECALL);
    return f;
}

DWORD Switchboard::features2(const Leg &l) const
{
    return callFeatures2(features(l), addressCaps(l));
}

bool Switchboard::roomForActiveConst(const Leg &l) const
{
    return const_cast<Switchboard *>(this)->roomForActive(l.line(), l.address(), l.id(), false);
}

bool Switchboard::roomForActive(DWORD line, DWORD address, LegId except, bool apply)
{
    const LINEADDRESSCAPS &caps = lines_.at(line).address(address).caps;
    CallCounts c = counts(line, address);
    if (const Leg *self = leg(except); self && (self->state() & kActiveStates))
        --c.active;
    if (c.active < std::max<DWORD>(caps.dwMaxNumActiveCalls, 1))
        return true;
    // Only a connected call can make way, and only while holding is possible.
    if (c.onHold >= caps.dwMaxNumOnHoldCalls || !(caps.dwCallFeatures & LINECALLFEATURE_HOLD))
        return false;
    for (LegId id : legsOn(line, address)) {
        Leg *l = leg(id);
        if (id != except && l->state() == LINECALLSTATE_CONNECTED) {
            if (apply)
                setState(*l, LINECALLSTATE_ONHOLD, 0);
            return true;
        }
    }
    return false;
}

PartyId Switchboard::partyOf(const Leg &l) const
{
    const Line &ln = lines_.at(l.line());
    return PartyId::of(ln.address(l.address()).number, ln.config().ownerName);
}

// ---- creation ----

Connection &Switchboard::newConnection()
{
    Connection &c = connections_[nextConnection_];
    c.id = nextConnection_++;
    c.callId = nextCallId_++;
    return c;
}

Leg &Switchboard::newLeg(DWORD line, DWORD address, Connection &c)
{
    const LegId id = nextLeg_++;
    auto l = std::make_unique<Leg>(id, line, address, c.id);
    l->infoForSetup().callId = c.callId;
    c.legs.push_back(id);
    Leg &ref = *l;
    legs_[id] = std::move(l);
    return ref;
}

LONG Switchboard::checkMakeCall(DWORD line, DWORD address, std::u16string_view dest) const
{
    const Line *ln = this->line(line);
    if (!ln)
        return LINEERR_BADDEVICEID;
    if (!ln->hasAddress(address))
        return LINEERR_INVALADDRESSID;
    if (!(ln->address(address).caps.dwAddressFeatures & LINEADDRFEATURE_MAKECALL))
        return LINEERR_OPERATIONUNAVAIL;
    if ((ln->devStatusFlags() & (LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_INSERVICE)) !=
        (LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_INSERVICE))
        return LINEERR_RESOURCEUNAVAIL;
    DialString parsed;
    if (LONG r = parseDialString(dest, parsed))
        return r;
    if (!const_cast<Switchboard *>(this)->roomForActive(line, address, 0, false))
        return LINEERR_CALLUNAVAIL;
    return 0;
}

LegId Switchboard::makeCall(uint32_t requestId, DWORD line, DWORD address, std::u16string_view dest,
                            const MakeCallOptions &options)
{
    roomForActive(line, address, 0, true);
    Leg &l = outgoingLeg(line, address, options);
    out_.push_back(Event::requestDone(requestId, 0, {l.id()}));
    l.markAnnounced();
    setState(l, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
    if (!dest.empty())
        dial(l.id(), dest);
    Predictive(*this).start(l.id(), options.predictive);
    return l.id();
}

Leg &Switchboard::outgoingLeg(DWORD line, DWORD address, const MakeCallOptions &options)
{
    Connection &c = newConnection();
    Leg &l = newLeg(line, address, c);
    CallInfoData &info = l.infoForSetup();
    info.origin = LINECALLORIGIN_OUTBOUND;
    info.reason = LINECALLREASON_DIRECT;
    info.mediaMode = options.mediaMode;
    info.bearerMode = options.bearerMode;
    info.callParamFlags = options.callParamFlags;
    info.countryCode = options.countryCode;
    info.appName = options.appName;
    info.callData = options.callData;
    info.caller = partyOf(l);
    if (!options.callingPartyId.empty())
        info.caller.number = options.callingPartyId;
    if (options.callParamFlags & LINECALLPARAMFLAGS_BLOCKID)
        info.caller.flags |= LINECALLPARTYID_BLOCKED;
    info.userUserInfo.clear();
    pendingUui_[l.id()] = options.userUserInfo;
    return l;
}

// ---- dialing and routing ----

LONG Switchboard::checkDial(LegId id, std::u16string_view digits) const
{
    const Leg *l = leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!(l->state() & (LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING)))
        return LINEERR_INVALCALLSTATE;
    DialString parsed;
    return parseDialString(digits, parsed);
}

void Switchboard::dial(LegId id, std::u16string_view digits)
{
    Leg &l = *leg(id);
    DialString parsed;
    parseDialString(digits, parsed);
    l.dialed += parsed.digits;
    setState(l, LINECALLSTATE_DIALING, 0);
    if (parsed.partial)
        return;
    l.changeInfo(LINECALLINFOSTATE_CALLEDID, out_, [&](CallInfoData &i) { i.called = PartyId::of(l.dialed, {}); });
    route(l, l.dialed);
}

void Switchboard::route(Leg &caller, const std::u16string &digits)
{
    setState(caller, LINECALLSTATE_PROCEEDING, 0);
    for (const Line &ln : lines_) {
        for (DWORD a = 0; a < ln.addressCount(); ++a) {
            if (ln.address(a).number == digits) {
                ringExtension(caller, ln.id(), a);
                return;
            }
        }
    }
    for (const ExternalNumber &e : externals_) {
        if (e.number == digits) {
            FarEnd(*this).dialed(caller, e);
            return;
        }
    }
    setState(caller, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BADADDRESS);
}

void Switchboard::ringExtension(Leg &caller, DWORD line, DWORD address, DWORD reason)
{
    Line &target = lines_[line];
    const LINEADDRESSCAPS &caps = target.address(address).caps;
    const CallCounts c = counts(line, address);
    const bool self = caller.line() == line && caller.address() == address;
    const bool inService = (target.devStatusFlags() & LINEDEVSTATUSFLAGS_INSERVICE) != 0;
    const bool busy = !inService || c.inUse >= caps.dwMaxNumActiveCalls + caps.dwMaxNumOnHoldCalls;
    std::optional<PartyId> redirecting;
    if (!self && reason == LINECALLREASON_DIRECT) {
        if (const auto divert = Forwarding(*this).onArrival(line, address, caller.info().caller, true, busy)) {
            if (divert->refuse) {
                setState(caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
                return;
            }
            const PartyId forwarding = PartyId::of(target.address(address).number, target.config().ownerName);
            caller.changeInfo(LINECALLINFOSTATE_REDIRECTINGID, out_,
                              [&](CallInfoData &i) { i.redirecting = forwarding; });
            if (const auto at = localAddress(divert->dest)) {
                ringExtension(caller, at->first, at->second, divert->reason);
                if (Leg *callee = leg(connection(caller.connection())->other(caller.id())))
                    callee->changeInfo(LINECALLINFOSTATE_REDIRECTINGID, out_,
                                       [&](CallInfoData &i) { i.redirecting = forwarding; });
                return;
            }
            for (const ExternalNumber &e : externals_)
                if (e.number == divert->dest) {
                    FarEnd(*this).dialed(caller, e);
                    return;
                }
        }
    }
    if (self || busy) {
        setState(caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        return;
    }
    Connection &conn = *connection(caller.connection());
    Leg &callee = newLeg(line, address, conn);
    CallInfoData &info = callee.infoForSetup();
    info.origin = LINECALLORIGIN_INTERNAL;
    info.reason = reason;
    info.mediaMode = caller.info().mediaMode;
    info.bearerMode = caller.info().bearerMode;
    info.caller = shownCaller(caller);
    info.called = partyOf(callee);
    if (auto it = pendingUui_.find(caller.id()); it != pendingUui_.end()) {
        info.userUserInfo = std::move(it->second);
        pendingUui_.erase(it);
    }
    setState(callee, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE);
    callee.markAnnounced();
    out_.push_back(Event::legAppeared(callee.id(), line, address, info.mediaMode, LINECALLSTATE_OFFERING,
                                      LINEOFFERINGMODE_ACTIVE));
    ringFor(callee.id(), 1);
    Forwarding(*this).watchNoAnswer(callee.id(), true);
    caller.changeInfo(LINECALLINFOSTATE_CALLEDID, out_, [&](CallInfoData &i) { i.called = info.called; });
    setState(caller, LINECALLSTATE_RINGBACK, 0);
    // The caller asked for the called phone to go off-hook by itself.
    if (caller.info().callParamFlags & LINECALLPARAMFLAGS_DESTOFFHOOK)
        answer(callee.id(), {});
}

PartyId Switchboard::shownCaller(const Leg &caller) const
{
    // A caller that withholds its identity is shown as blocked, nothing more.
    if (caller.info().callParamFlags & LINECALLPARAMFLAGS_BLOCKID)
        return PartyId{LINECALLPARTYID_BLOCKED, {}, {}};
    return caller.info().caller;
}

void Switchboard::ringFor(LegId id, DWORD count)
{
    // Ring cycles: the first burst a moment after the call is offered, then
    // one every cycle while it is still offered; each reports the count so far.
    scheduler_.schedule(count == 1 ? kFirstRing : kRingCycle, [this, id, count] {
        const Leg *l = leg(id);
        if (!l || !(l->state() & (LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED)))
            return;
        out_.push_back(Event::lineState(l->line(), LINEDEVSTATE_RINGING, 1, count));
        ringFor(id, count + 1);
    });
}

// ---- answering ----

LONG Switchboard::checkAccept(LegId id) const
{
    const Leg *l = leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    return l->state() == LINECALLSTATE_OFFERING ? 0 : LINEERR_INVALCALLSTATE;
}

void Switchboard::accept(LegId id, const std::vector<uint8_t> &uui)
{
    Leg &l = *leg(id);
    setState(l, LINECALLSTATE_ACCEPTED, 0);
    if (Leg *other = leg(connection(l.connection())->other(id)); other && !uui.empty())
        other->changeInfo(LINECALLINFOSTATE_USERUSERINFO, out_, [&](CallInfoData &i) { i.userUserInfo = uui; });
}

LONG Switchboard::checkAnswer(LegId id) const
{
    const Leg *l = leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!(l->state() & (LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED)))
        return LINEERR_INVALCALLSTATE;
    if (!const_cast<Switchboard *>(this)->roomForActive(l->line(), l->address(), id, false))
        return LINEERR_RESOURCEUNAVAIL;
    return 0;
}

void Switchboard::answer(LegId id, const std::vector<uint8_t> &uui)
{
    Leg &l = *leg(id);
    roomForActive(l.line(), l.address(), id, true);
    if (Completions(*this).answered(l))
        return;
    Connection &c = *connection(l.connection());
    if (Leg *caller = leg(c.other(id))) {
        if (!uui.empty())
            caller->changeInfo(LINECALLINFOSTATE_USERUSERINFO, out_, [&](CallInfoData &i) { i.userUserInfo = uui; });
        connectLegs(*caller, l);
        return;
    }
    if (c.external) {
        c.external->answered = true;
        l.changeInfo(LINECALLINFOSTATE_CONNECTEDID, out_, [&](CallInfoData &i) { i.connected = i.caller; });
    }
    setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

void Switchboard::connectLegs(Leg &a, Leg &b)
{
    const PartyId pa = a.info().caller.number.empty() ? partyOf(a) : shownCaller(a);
    const PartyId pb = partyOf(b);
    b.changeInfo(LINECALLINFOSTATE_CONNECTEDID, out_, [&](CallInfoData &i) { i.connected = pa; });
    setState(b, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    a.changeInfo(LINECALLINFOSTATE_CONNECTEDID, out_, [&](CallInfoData &i) { i.connected = pb; });
    setState(a, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- dropping ----

LONG Switchboard::checkDrop(LegId id) const
{
    const Leg *l = leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    return l->idle() ? LINEERR_INVALCALLSTATE : 0;
}

void Switchboard::drop(LegId id, const std::vector<uint8_t> &uui)
{
    Conferences(*this).leaving(id);
    Leg &l = *leg(id);
    const bool rejecting = l.state() & (LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED);
    cancelGeneration(l);
    disconnectOthers(l, rejecting ? LINEDISCONNECTMODE_REJECT : LINEDISCONNECTMODE_NORMAL, uui);
    setState(l, LINECALLSTATE_IDLE, 0);
    Conferences(*this).left(id);
}

void Switchboard::disconnectOthers(Leg &from, DWORD mode, const std::vector<uint8_t> &uui)
{
    Connection *c = connection(from.connection());
    if (!c)
        return;
    c->remove(from.id());
    pendingUui_.erase(from.id());
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

void Switchboard::eraseConnection(Connection &c)
{
    if (c.timer)
        scheduler_.cancel(c.timer);
    connections_.erase(c.id);
}

// ---- hold ----

LONG Switchboard::checkHold(LegId id) const
{
    const Leg *l = leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (l->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    return (features(*l) & LINECALLFEATURE_HOLD) ? 0 : LINEERR_RESOURCEUNAVAIL;
}

void Switchboard::hold(LegId id)
{
    setState(*leg(id), LINECALLSTATE_ONHOLD, 0);
}

LONG Switchboard::checkUnhold(LegId id) const
{
    const Leg *l = leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (l->state() != LINECALLSTATE_ONHOLD && !(l->state() & kPendingHoldStates))
        return LINEERR_INVALCALLSTATE;
    // A call waiting for a consultation takes the consultation call's place.
    if (consultations_.end() != std::ranges::find_if(consultations_, [&](const auto &c) { return c.second == id; }))
        return 0;
    return roomForActiveConst(*l) ? 0 : LINEERR_RESOURCEUNAVAIL;
}

void Switchboard::unhold(LegId id)
{
    Leg &l = *leg(id);
    // Taking back a call that waits for a consultation abandons the consultation.
    if (l.state() & kPendingHoldStates)
        Conferences(*this).abandonConsultation(id);
    roomForActive(l.line(), l.address(), id, true);
    setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

LONG Switchboard::checkSwapHold(LegId active, LegId held) const
{
    const Leg *a = leg(active);
    const Leg *h = leg(held);
    if (!a || !h || a->idle() || h->idle())
        return LINEERR_INVALCALLHANDLE;
    if (active == held || a->line() != h->line())
        return LINEERR_INVALCALLHANDLE;
    if (a->state() != LINECALLSTATE_CONNECTED ||
        !(h->state() == LINECALLSTATE_ONHOLD || (h->state() & kPendingHoldStates)))
        return LINEERR_INVALCALLSTATE;
    return 0;
}

void Switchboard::swapHold(LegId active, LegId held)
{
    setState(*leg(active), LINECALLSTATE_ONHOLD, 0);
    setState(*leg(held), LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- digits ----

LONG Switchboard::checkGenerateDigits(LegId id, DWORD mode, const std::u16string *digits) const
{
    const Leg *l = leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    const DWORD modes = lines_.at(l->line()).config().caps.dwGenerateDigitModes;
    if (!std::has_single_bit(mode) || !(modes & mode))
        return LINEERR_INVALDIGITMODE;
    if (l->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    if (digits && !validGenerateDigits(*digits, mode))
        return LINEERR_INVALDIGITS;
    return 0;
}

void Switchboard::generateDigits(LegId id, DWORD, const std::u16string *digits, DWORD duration)
{
    Leg &l = *leg(id);
    cancelGeneration(l);
    if (!digits || digits->empty())
        return;
    const LINEDEVCAPS &caps = lines_.at(l.line()).config().caps;
    if (duration == 0)
        duration = caps.DefaultDialParams.dwDigitDuration;
    duration = std::clamp(duration, caps.MinDialParams.dwDigitDuration,
                          std::max(caps.MinDialParams.dwDigitDuration, caps.MaxDialParams.dwDigitDuration));
    // Each digit sounds for `duration` and is followed by an equal pause.
    const Millis total(int64_t(duration) * 2 * int64_t(digits->size()));
    l.generateTimer = scheduler_.schedule(total, [this, id] {
        Leg *g = leg(id);
        if (!g || !g->generateTimer)
            return;
        g->generateTimer = 0;
        out_.push_back(Event::legGenerate(id, LINEGENERATETERM_DONE, DWORD(clock_.now().count())));
    });
}

void Switchboard::cancelGeneration(Leg &l)
{
    if (!l.generateTimer)
        return;
    scheduler_.cancel(l.generateTimer);
    l.generateTimer = 0;
    out_.push_back(Event::legGenerate(l.id(), LINEGENERATETERM_CANCEL, DWORD(clock_.now().count())));
}

// ---- call information ----

LONG Switchboard::checkLive(LegId id) const
{
    const Leg *l = leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    return l->idle() ? LINEERR_INVALCALLSTATE : 0;
}

LONG Switchboard::checkCallData(LegId id, size_t size) const
{
    if (LONG r = checkLive(id))
        return r;
    return size > addressCaps(*leg(id)).dwMaxCallDataSize ? LINEERR_INVALPARAM : 0;
}

void Switchboard::setCallData(LegId id, std::vector<uint8_t> data)
{
    leg(id)->changeInfo(LINECALLINFOSTATE_CALLDATA, out_, [&](CallInfoData &i) { i.callData = std::move(data); });
}

void Switchboard::setAppSpecific(LegId id, DWORD value)
{
    leg(id)->changeInfo(LINECALLINFOSTATE_APPSPECIFIC, out_, [&](CallInfoData &i) { i.appSpecific = value; });
}

void Switchboard::setQualityOfService(LegId id, std::vector<uint8_t> sending, std::vector<uint8_t> receiving)
{
    leg(id)->changeInfo(LINECALLINFOSTATE_QOS, out_, [&](CallInfoData &i) {
        i.sendingFlowspec = std::move(sending);
        i.receivingFlowspec = std::move(receiving);
    });
}

LONG Switchboard::checkSendUserUserInfo(LegId id, size_t size) const
{
    const Leg *l = leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!(l->state() & (LINECALLSTATE_CONNECTED | LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED)))
        return LINEERR_INVALCALLSTATE;
    return size > lines_.at(l->line()).config().caps.dwUUISendUserUserInfoSize ? LINEERR_USERUSERINFOTOOBIG : 0;
}

void Switchboard::sendUserUserInfo(LegId id, std::vector<uint8_t> uui)
{
    Connection *c = connection(leg(id)->connection());
    if (Leg *other = c ? leg(c->other(id)) : nullptr)
        other->changeInfo(LINECALLINFOSTATE_USERUSERINFO, out_,
                          [&](CallInfoData &i) { i.userUserInfo = std::move(uui); });
}

void Switchboard::releaseUserUserInfo(LegId id)
{
    Leg &l = *leg(id);
    if (!l.info().userUserInfo.empty())
        l.changeInfo(LINECALLINFOSTATE_USERUSERINFO, out_, [](CallInfoData &i) { i.userUserInfo.clear(); });
}

// ---- line status ----

LONG Switchboard::checkLineDevStatus(DWORD line, DWORD statusToChange) const
{
    const Line *l = this->line(line);
    return l ? l->checkDevStatus(statusToChange) : LINEERR_BADDEVICEID;
}

void Switchboard::setLineDevStatus(DWORD line, DWORD statusToChange, bool on)
{
    lines_[line].setDevStatus(statusToChange, on, out_);
}

// ---- lifetime ----

void Switchboard::retain(LegId id)
{
    if (legs_.count(id))
        ++refs_[id];
}

void Switchboard::release(LegId id, bool dropIfLive)
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

void Switchboard::collect()
{
    std::vector<Leg *> done;
    for (auto &[id, l] : legs_) {
        if (refs_.count(id))
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

void Switchboard::forget(Leg &l)
{
    // A leg that left its connection earlier (parked, picked up,
    // redirected) no longer decides about it.
    Connection *c = connection(l.connection());
    if (c && std::ranges::find(c->legs, l.id()) != c->legs.end()) {
        c->remove(l.id());
        if (!c->alive())
            eraseConnection(*c);
    }
    pendingUui_.erase(l.id());
    consultations_.erase(l.id());
    conferences_.erase(l.id());
    predictive_.erase(l.id());
    legs_.erase(l.id());
}

} // namespace exchange
