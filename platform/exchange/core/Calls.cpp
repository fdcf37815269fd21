#include "exchange/core/Calls.h"

#include "exchange/core/DialString.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace exchange {

namespace {

constexpr DWORD kPendingHoldStates = LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_ONHOLDPENDCONF;
constexpr DWORD kRinging = LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED;

} // namespace

// ---- making and routing ----

LONG Calls::checkMakeCall(DWORD line, DWORD address, std::u16string_view dest) const
{
    const Line *ln = core_.line(line);
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
    if (LONG r = parseDestination(line, dest, parsed))
        return r;
    if (!core_.roomForActive(line, address, 0))
        return LINEERR_CALLUNAVAIL;
    return 0;
}

LegId Calls::makeCall(uint32_t requestId, DWORD line, DWORD address, std::u16string_view dest,
                      const MakeCallOptions &options)
{
    core_.makeRoomForActive(line, address, 0);
    Leg &l = outgoingLeg(line, address, options);
    core_.report(Event::requestDone(requestId, 0, {l.id()}));
    l.markAnnounced();
    core_.setState(l, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
    if (!dest.empty())
        dial(l.id(), dest);
    return l.id();
}

Leg &Calls::outgoingLeg(DWORD line, DWORD address, const MakeCallOptions &options)
{
    Connection &c = core_.newConnection();
    Leg &l = core_.newLeg(line, address, c);
    CallInfoData &info = l.infoForSetup();
    info.origin = LINECALLORIGIN_OUTBOUND;
    info.reason = LINECALLREASON_DIRECT;
    info.mediaMode = options.mediaMode;
    info.bearerMode = options.bearerMode;
    info.callParamFlags = options.callParamFlags;
    info.countryCode = options.countryCode;
    info.appName = options.appName;
    info.callData = options.callData;
    info.caller = core_.partyOf(l);
    if (!options.callingPartyId.empty())
        info.caller.number = options.callingPartyId;
    if (options.callParamFlags & LINECALLPARAMFLAGS_BLOCKID)
        info.caller.flags |= LINECALLPARTYID_BLOCKED;
    info.userUserInfo.clear();
    l.uuiForCalled = options.userUserInfo;
    return l;
}

LegId Calls::startAtPhone(DWORD line, DWORD address)
{
    if (checkMakeCall(line, address, u""))
        return 0;
    core_.makeRoomForActive(line, address, 0);
    Leg &l = outgoingLeg(line, address, {});
    core_.announce(l, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
    return l.id();
}

LONG Calls::parseDestination(DWORD line, std::u16string_view text, DialString &out) const
{
    // A far line passes a SIP URI to the network as it is: printable
    // characters only, so it can never break a SIP message apart.
    const auto uri = [&](std::u16string_view scheme) {
        if (text.size() <= scheme.size())
            return false;
        for (size_t i = 0; i < scheme.size(); ++i)
            if (char16_t c = text[i]; (c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c) != scheme[i])
                return false;
        return std::ranges::all_of(text, [](char16_t c) { return c > u' ' && c != 0x7F; });
    };
    const Line *ln = core_.line(line);
    if (ln && ln->config().far && (uri(u"sip:") || uri(u"sips:"))) {
        out.digits = std::u16string(text);
        out.partial = false;
        return 0;
    }
    return parseDialString(text, out);
}

LONG Calls::checkDial(LegId id, std::u16string_view digits) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!(l->state() & (LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING)))
        return LINEERR_INVALCALLSTATE;
    DialString parsed;
    return parseDestination(l->line(), digits, parsed);
}

void Calls::dial(LegId id, std::u16string_view digits)
{
    Leg &l = *core_.leg(id);
    DialString parsed;
    parseDestination(l.line(), digits, parsed);
    l.dialed += parsed.digits;
    core_.setState(l, LINECALLSTATE_DIALING, 0);
    if (parsed.partial)
        return;
    l.changeInfo(LINECALLINFOSTATE_CALLEDID, core_.out(), [&](CallInfoData &i) { i.called = PartyId::of(l.dialed, {}); });
    route(l, l.dialed);
}

void Calls::route(Leg &caller, const std::u16string &digits)
{
    if (core_.line(caller.line())->config().far) {
        callOut(caller, digits);
        return;
    }
    core_.setState(caller, LINECALLSTATE_PROCEEDING, 0);
    for (DWORD line = 0; line < core_.lineCount(); ++line) {
        const Line &ln = *core_.line(line);
        for (DWORD a = 0; a < ln.addressCount(); ++a) {
            if (ln.address(a).number != digits)
                continue;
            // A removed extension keeps its number but nobody answers there.
            if (ln.removed())
                core_.setState(caller, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNREACHABLE);
            else
                ringExtension(caller, line, a);
            return;
        }
    }
    if (outside_.knows(digits)) {
        outside_.dialed(caller, digits);
        return;
    }
    core_.setState(caller, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BADADDRESS);
}

void Calls::ringExtension(Leg &caller, DWORD line, DWORD address, DWORD reason)
{
    const Line &target = *core_.line(line);
    const bool self = caller.line() == line && caller.address() == address;
    const bool inService = (target.devStatusFlags() & LINEDEVSTATUSFLAGS_INSERVICE) != 0;
    const bool busy = !inService || core_.full(line, address);
    if (!self && reason == LINECALLREASON_DIRECT) {
        if (const auto divert = core_.arriving(line, address, caller.info().caller, true, busy)) {
            if (divert->refuse) {
                core_.setState(caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
                return;
            }
            const PartyId forwarding = PartyId::of(target.address(address).number, target.config().ownerName);
            caller.changeInfo(LINECALLINFOSTATE_REDIRECTINGID, core_.out(),
                              [&](CallInfoData &i) { i.redirecting = forwarding; });
            if (const auto at = core_.localAddress(divert->dest)) {
                ringExtension(caller, at->first, at->second, divert->reason);
                if (Leg *callee = core_.leg(core_.connection(caller.connection())->other(caller.id())))
                    callee->changeInfo(LINECALLINFOSTATE_REDIRECTINGID, core_.out(),
                                       [&](CallInfoData &i) { i.redirecting = forwarding; });
                return;
            }
            if (outside_.knows(divert->dest)) {
                outside_.dialed(caller, divert->dest);
                return;
            }
        }
    }
    if (self || busy) {
        core_.setState(caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        return;
    }
    Connection &conn = *core_.connection(caller.connection());
    Leg &callee = core_.newLeg(line, address, conn);
    CallInfoData &info = callee.infoForSetup();
    info.origin = LINECALLORIGIN_INTERNAL;
    info.reason = reason;
    info.mediaMode = caller.info().mediaMode;
    info.bearerMode = caller.info().bearerMode;
    info.caller = core_.shownCaller(caller);
    info.called = core_.partyOf(callee);
    info.userUserInfo = std::exchange(caller.uuiForCalled, {});
    core_.offer(callee);
    core_.offered(callee.id(), true);
    caller.changeInfo(LINECALLINFOSTATE_CALLEDID, core_.out(), [&](CallInfoData &i) { i.called = info.called; });
    core_.setState(caller, LINECALLSTATE_RINGBACK, 0);
    // The caller asked for the called phone to go off-hook by itself.
    if (caller.info().callParamFlags & LINECALLPARAMFLAGS_DESTOFFHOOK)
        answer(callee.id(), {});
}

// ---- answering ----

LONG Calls::checkAccept(LegId id) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    return l->state() == LINECALLSTATE_OFFERING ? 0 : LINEERR_INVALCALLSTATE;
}

void Calls::accept(LegId id, const std::vector<uint8_t> &uui)
{
    Leg &l = *core_.leg(id);
    core_.setState(l, LINECALLSTATE_ACCEPTED, 0);
    if (Leg *other = core_.leg(core_.connection(l.connection())->other(id)); other && !uui.empty())
        other->changeInfo(LINECALLINFOSTATE_USERUSERINFO, core_.out(), [&](CallInfoData &i) { i.userUserInfo = uui; });
}

LONG Calls::checkAnswer(LegId id) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!(l->state() & kRinging))
        return LINEERR_INVALCALLSTATE;
    if (!core_.roomForActive(*l))
        return LINEERR_RESOURCEUNAVAIL;
    return 0;
}

void Calls::answer(LegId id, const std::vector<uint8_t> &uui)
{
    Leg &l = *core_.leg(id);
    core_.makeRoomForActive(l.line(), l.address(), id);
    if (core_.answering(l))
        return;
    Connection &c = *core_.connection(l.connection());
    if (Leg *caller = core_.leg(c.other(id))) {
        if (!uui.empty())
            caller->changeInfo(LINECALLINFOSTATE_USERUSERINFO, core_.out(),
                               [&](CallInfoData &i) { i.userUserInfo = uui; });
        core_.connectLegs(*caller, l);
        return;
    }
    if (c.external) {
        c.external->answered = true;
        l.changeInfo(LINECALLINFOSTATE_CONNECTEDID, core_.out(), [&](CallInfoData &i) { i.connected = i.caller; });
        if (core_.farLeg(l))
            core_.farCommand(FarCommand::Kind::Answer, l);
    }
    core_.setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- dropping and hold ----

LONG Calls::checkDrop(LegId id) const
{
    const Leg *l = core_.leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    return l->idle() ? LINEERR_INVALCALLSTATE : 0;
}

LONG Calls::checkHold(LegId id) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (l->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    return (core_.features(*l) & LINECALLFEATURE_HOLD) ? 0 : LINEERR_RESOURCEUNAVAIL;
}

void Calls::hold(LegId id)
{
    Leg &l = *core_.leg(id);
    if (deferToNetwork(l, FarCommand::Kind::Hold, [this, id] {
            if (LONG r = checkHold(id))
                return r;
            hold(id);
            return LONG(0);
        }))
        return;
    core_.setState(l, LINECALLSTATE_ONHOLD, 0);
}

bool Calls::deferToNetwork(Leg &l, FarCommand::Kind kind, std::function<LONG()> effect, std::u16string text)
{
    if (!core_.farLeg(l))
        return false;
    const uint32_t request = core_.far().deferRunning([this, id = l.id(), kind, effect] {
        // The network is there already: the state change raises no command.
        const bool holding = kind == FarCommand::Kind::Hold || kind == FarCommand::Kind::Resume;
        if (Leg *leg = core_.leg(id); leg && holding && core_.farLeg(*leg))
            core_.connection(leg->connection())->external->held = kind == FarCommand::Kind::Hold;
        return effect();
    });
    if (!request)
        return false;
    core_.farCommand(kind, l, request, std::move(text));
    return true;
}

LONG Calls::checkUnhold(LegId id) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (l->state() != LINECALLSTATE_ONHOLD && !(l->state() & kPendingHoldStates))
        return LINEERR_INVALCALLSTATE;
    // A call waiting for a consultation takes the consultation call's place.
    if (core_.waitsForConsultation(id))
        return 0;
    return core_.roomForActive(*l) ? 0 : LINEERR_RESOURCEUNAVAIL;
}

void Calls::unhold(LegId id)
{
    Leg &l = *core_.leg(id);
    if (deferToNetwork(l, FarCommand::Kind::Resume, [this, id] {
            if (LONG r = checkUnhold(id))
                return r;
            unhold(id);
            return LONG(0);
        }))
        return;
    // Taking back a call that waits for a consultation abandons the consultation.
    if (l.state() & kPendingHoldStates)
        core_.takingBack(id);
    core_.makeRoomForActive(l.line(), l.address(), id);
    core_.setState(l, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

LONG Calls::checkSwapHold(LegId active, LegId held) const
{
    const Leg *a = core_.leg(active);
    const Leg *h = core_.leg(held);
    if (!a || !h || a->idle() || h->idle())
        return LINEERR_INVALCALLHANDLE;
    if (active == held || a->line() != h->line())
        return LINEERR_INVALCALLHANDLE;
    if (a->state() != LINECALLSTATE_CONNECTED ||
        !(h->state() == LINECALLSTATE_ONHOLD || (h->state() & kPendingHoldStates)))
        return LINEERR_INVALCALLSTATE;
    return 0;
}

void Calls::swapHold(LegId active, LegId held)
{
    core_.setState(*core_.leg(active), LINECALLSTATE_ONHOLD, 0);
    core_.setState(*core_.leg(held), LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- digits ----

LONG Calls::checkGenerateDigits(LegId id, DWORD mode, const std::u16string *digits) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    const DWORD modes = core_.line(l->line())->config().caps.dwGenerateDigitModes;
    if (!std::has_single_bit(mode) || !(modes & mode))
        return LINEERR_INVALDIGITMODE;
    if (l->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    if (digits && !validGenerateDigits(*digits, mode))
        return LINEERR_INVALDIGITS;
    return 0;
}

void Calls::generateDigits(LegId id, DWORD, const std::u16string *digits, DWORD duration)
{
    Leg &l = *core_.leg(id);
    core_.cancelGeneration(l);
    if (!digits || digits->empty())
        return;
    if (core_.farLeg(l))
        core_.farCommand(FarCommand::Kind::Digits, l, 0, *digits);
    const LINEDEVCAPS &caps = core_.line(l.line())->config().caps;
    if (duration == 0)
        duration = caps.DefaultDialParams.dwDigitDuration;
    duration = std::clamp(duration, caps.MinDialParams.dwDigitDuration,
                          std::max(caps.MinDialParams.dwDigitDuration, caps.MaxDialParams.dwDigitDuration));
    // Each digit sounds for `duration` and is followed by an equal pause.
    const Millis total(int64_t(duration) * 2 * int64_t(digits->size()));
    Core *core = &core_;
    l.generateTimer = core_.scheduler().schedule(total, [core, id] {
        Leg *g = core->leg(id);
        if (!g || !g->generateTimer)
            return;
        g->generateTimer = 0;
        core->report(Event::legGenerate(id, LINEGENERATETERM_DONE, DWORD(core->clock().now().count())));
    });
}

// ---- call information ----

LONG Calls::checkLive(LegId id) const
{
    const Leg *l = core_.leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    return l->idle() ? LINEERR_INVALCALLSTATE : 0;
}

LONG Calls::checkCallData(LegId id, size_t size) const
{
    if (LONG r = checkLive(id))
        return r;
    return size > core_.addressCaps(*core_.leg(id)).dwMaxCallDataSize ? LINEERR_INVALPARAM : 0;
}

Leg *Calls::otherParty(LegId id)
{
    Connection *c = core_.connection(core_.leg(id)->connection());
    Leg *other = c ? core_.leg(c->other(id)) : nullptr;
    return other && !other->idle() ? other : nullptr;
}

void Calls::setCallData(LegId id, std::vector<uint8_t> data)
{
    // Call data travels with the call: the other party's call has it too.
    if (Leg *other = otherParty(id))
        other->changeInfo(LINECALLINFOSTATE_CALLDATA, core_.out(), [&](CallInfoData &i) { i.callData = data; });
    core_.leg(id)->changeInfo(LINECALLINFOSTATE_CALLDATA, core_.out(),
                              [&](CallInfoData &i) { i.callData = std::move(data); });
}

void Calls::setAppSpecific(LegId id, DWORD value)
{
    core_.leg(id)->changeInfo(LINECALLINFOSTATE_APPSPECIFIC, core_.out(),
                              [&](CallInfoData &i) { i.appSpecific = value; });
}

void Calls::setQualityOfService(LegId id, std::vector<uint8_t> sending, std::vector<uint8_t> receiving)
{
    // What one party sends the other receives: the other party's flow specs are the same, swapped.
    if (Leg *other = otherParty(id)) {
        other->changeInfo(LINECALLINFOSTATE_QOS, core_.out(), [&](CallInfoData &i) {
            i.sendingFlowspec = receiving;
            i.receivingFlowspec = sending;
        });
    }
    core_.leg(id)->changeInfo(LINECALLINFOSTATE_QOS, core_.out(), [&](CallInfoData &i) {
        i.sendingFlowspec = std::move(sending);
        i.receivingFlowspec = std::move(receiving);
    });
}

LONG Calls::checkSendUserUserInfo(LegId id, size_t size) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!(l->state() & (LINECALLSTATE_CONNECTED | kRinging)))
        return LINEERR_INVALCALLSTATE;
    return size > core_.line(l->line())->config().caps.dwUUISendUserUserInfoSize ? LINEERR_USERUSERINFOTOOBIG : 0;
}

void Calls::sendUserUserInfo(LegId id, std::vector<uint8_t> uui)
{
    Connection *c = core_.connection(core_.leg(id)->connection());
    if (Leg *other = c ? core_.leg(c->other(id)) : nullptr)
        other->changeInfo(LINECALLINFOSTATE_USERUSERINFO, core_.out(),
                          [&](CallInfoData &i) { i.userUserInfo = std::move(uui); });
}

void Calls::releaseUserUserInfo(LegId id)
{
    Leg &l = *core_.leg(id);
    if (!l.info().userUserInfo.empty())
        l.changeInfo(LINECALLINFOSTATE_USERUSERINFO, core_.out(), [](CallInfoData &i) { i.userUserInfo.clear(); });
}

// ---- line status ----

LONG Calls::checkLineDevStatus(DWORD line, DWORD statusToChange) const
{
    const Line *l = core_.line(line);
    return l ? l->checkDevStatus(statusToChange) : LINEERR_BADDEVICEID;
}

void Calls::setLineDevStatus(DWORD line, DWORD statusToChange, bool on)
{
    core_.line(line)->setDevStatus(statusToChange, on, core_.out());
}

// ---- passing a call on ----

LONG Calls::checkDestination(const Leg &l, std::u16string_view dest) const
{
    // The network decides where a far call can go.
    if (core_.farLeg(l))
        return dest.empty() ? LINEERR_INVALADDRESS : 0;
    if (const auto at = core_.localAddress(dest))
        return at->first == l.line() && at->second == l.address() ? LINEERR_INVALADDRESS : 0;
    if (!outside_.knows(dest))
        return LINEERR_INVALADDRESS;
    const Connection *c = core_.connection(l.connection());
    return c && c->other(l.id()) ? 0 : LINEERR_OPERATIONUNAVAIL;
}

Leg &Calls::joinConnection(Connection &c, DWORD line, DWORD address, const CallInfoData &from, DWORD reason)
{
    Leg &l = core_.newLeg(line, address, c);
    CallInfoData &info = l.infoForSetup();
    info.origin = from.origin;
    info.reason = reason;
    info.mediaMode = from.mediaMode;
    info.bearerMode = from.bearerMode;
    info.caller = from.caller;
    info.called = core_.partyOf(l);
    return l;
}

void Calls::sendElsewhere(LegId id, std::u16string_view dest, DWORD reason)
{
    Leg &l = *core_.leg(id);
    if (core_.farLeg(l)) {
        // The network passes the call on; the dialog ends with it.
        core_.connection(l.connection())->external->ended = true;
        core_.farCommand(FarCommand::Kind::Redirect, l, 0, std::u16string(dest));
        core_.cancelGeneration(l);
        core_.setState(l, LINECALLSTATE_IDLE, 0);
        return;
    }
    Connection &c = *core_.connection(l.connection());
    const PartyId redirecting = core_.partyOf(l);
    CallInfoData from = l.info();
    c.remove(id);
    core_.setState(l, LINECALLSTATE_IDLE, 0);
    Leg *caller = core_.leg(c.other(0));
    if (reason != LINECALLREASON_REDIRECT) {
        // The party passed on is whoever the leg was talking to.
        from.origin = c.external ? LINECALLORIGIN_EXTERNAL : LINECALLORIGIN_INTERNAL;
        if (caller)
            from.caller = core_.partyOf(*caller);
        else if (c.external)
            from.caller = PartyId::of(c.external->number, c.external->name);
    }

    const auto at = core_.localAddress(dest);
    if (!at) {
        caller->changeInfo(LINECALLINFOSTATE_REDIRECTINGID | LINECALLINFOSTATE_REDIRECTIONID, core_.out(),
                           [&](CallInfoData &i) {
                               i.redirecting = redirecting;
                               i.redirection = *outside_.external(dest);
                           });
        outside_.dialed(*caller, dest);
        return;
    }
    if (core_.full(at->first, at->second)) {
        // Nobody can take it there: the caller hears busy.
        if (caller)
            core_.setState(*caller, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        if (!c.alive())
            core_.eraseConnection(c);
        return;
    }
    Leg &r = joinConnection(c, at->first, at->second, from, reason);
    r.infoForSetup().redirecting = redirecting;
    r.infoForSetup().redirection = r.info().called;
    core_.offer(r);
    if (caller && caller->state() == LINECALLSTATE_CONNECTED)
        core_.setState(*caller, LINECALLSTATE_RINGBACK, 0);
    if (caller)
        caller->changeInfo(LINECALLINFOSTATE_REDIRECTINGID | LINECALLINFOSTATE_REDIRECTIONID, core_.out(),
                           [&](CallInfoData &i) {
                               i.redirecting = redirecting;
                               i.redirection = r.info().called;
                           });
}

void Calls::callOut(Leg &caller, const std::u16string &number)
{
    Connection &c = *core_.connection(caller.connection());
    c.external = ExternalParty{number, {}, ExternalBehaviour::NoAnswer, Millis(0), false};
    caller.changeInfo(LINECALLINFOSTATE_TRUNK, core_.out(), [](CallInfoData &i) { i.trunk = 1; });
    core_.farCommand(FarCommand::Kind::Invite, caller, 0, number);
}

} // namespace exchange
