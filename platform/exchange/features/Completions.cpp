#include "exchange/features/Completions.h"

#include <algorithm>
#include <bit>
#include <set>

namespace exchange {

namespace {

constexpr DWORD kRinging = LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED;
constexpr DWORD kModes =
    LINECALLCOMPLMODE_CAMPON | LINECALLCOMPLMODE_CALLBACK | LINECALLCOMPLMODE_INTRUDE | LINECALLCOMPLMODE_MESSAGE;

} // namespace

// ---- the request ----

std::optional<std::pair<DWORD, DWORD>> Completions::targetOf(const Leg &l) const
{
    const Connection *c = core_.connection(l.connection());
    if (!c || c->external)
        return std::nullopt;
    std::optional<std::pair<DWORD, DWORD>> target;
    if (l.state() == LINECALLSTATE_RINGBACK) {
        if (const Leg *ringing = core_.leg(c->other(l.id())); ringing && (ringing->state() & kRinging))
            target = std::pair{ringing->line(), ringing->address()};
    } else if (l.state() == LINECALLSTATE_BUSY && c->legs.size() == 1) {
        target = core_.localAddress(l.dialed);
    }
    if (target && target->first == l.line() && target->second == l.address())
        return std::nullopt;
    return target;
}

DWORD Completions::restrictFeatures(const Leg &l, DWORD f) const
{
    if ((f & LINECALLFEATURE_COMPLETECALL) && !targetOf(l))
        return f & ~DWORD(LINECALLFEATURE_COMPLETECALL);
    return f;
}

LONG Completions::check(LegId id, DWORD mode, DWORD messageId) const
{
    const Leg *l = core_.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    const LINEADDRESSCAPS &caps = core_.addressCaps(*l);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_COMPLETECALL) || !(caps.dwCallCompletionModes & kModes))
        return LINEERR_OPERATIONUNAVAIL;
    if (!std::has_single_bit(mode) || !(caps.dwCallCompletionModes & kModes & mode))
        return LINEERR_INVALCALLCOMPLMODE;
    const size_t messages = core_.line(l->line())->address(l->address()).completionMessages.size();
    if (mode == LINECALLCOMPLMODE_MESSAGE && messageId >= messages)
        return LINEERR_INVALMESSAGEID;
    const auto target = targetOf(*l);
    if (!target)
        return LINEERR_INVALCALLSTATE;
    if (mode != LINECALLCOMPLMODE_INTRUDE)
        return 0;
    if (l->state() == LINECALLSTATE_RINGBACK)
        return calls_.checkAnswer(core_.connection(l->connection())->other(id)) ? LINEERR_RESOURCEUNAVAIL : 0;
    const bool inService = core_.line(target->first)->devStatusFlags() & LINEDEVSTATUSFLAGS_INSERVICE;
    return inService ? 0 : LINEERR_OPERATIONFAILED;
}

void Completions::complete(uint32_t requestId, LegId id, DWORD mode, DWORD messageId)
{
    Leg &l = *core_.leg(id);
    const auto target = *targetOf(l);
    const DWORD completionId = nextId_++;
    Event done = Event::requestDone(requestId, 0);
    done.outValue = completionId;
    core_.report(std::move(done));
    switch (mode) {
    case LINECALLCOMPLMODE_INTRUDE:
        intrude(l, target);
        return;
    case LINECALLCOMPLMODE_MESSAGE:
        leaveMessage(l, target, completionId, messageId);
        return;
    default:
        pending_.push_back(
            {completionId, mode, l.line(), l.address(), target.first, target.second, id, l.connection(), false});
        return;
    }
}

void Completions::intrude(Leg &caller, std::pair<DWORD, DWORD> target)
{
    Connection &c = *core_.connection(caller.connection());
    if (caller.state() == LINECALLSTATE_RINGBACK) {
        // As if the ringing phone went off-hook.
        calls_.answer(c.other(caller.id()), {});
        return;
    }
    for (LegId id : core_.legsOn(target.first, target.second))
        if (core_.leg(id)->state() == LINECALLSTATE_CONNECTED)
            core_.setState(*core_.leg(id), LINECALLSTATE_ONHOLD, 0);
    Leg &t = core_.newLeg(target.first, target.second, c);
    CallInfoData &info = t.infoForSetup();
    info.origin = LINECALLORIGIN_INTERNAL;
    info.reason = LINECALLREASON_CALLCOMPLETION;
    info.mediaMode = caller.info().mediaMode;
    info.bearerMode = caller.info().bearerMode;
    info.caller = core_.shownCaller(caller);
    info.called = core_.partyOf(t);
    info.connected = info.caller;
    core_.announce(t, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    caller.changeInfo(LINECALLINFOSTATE_CONNECTEDID, core_.out(),
                      [&](CallInfoData &i) { i.connected = core_.partyOf(t); });
    core_.setState(caller, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

void Completions::leaveMessage(const Leg &caller, std::pair<DWORD, DWORD> target, DWORD id, DWORD messageId)
{
    messages_[target.first].push_back({id, messageId, core_.partyOf(caller).number});
    core_.line(target.first)->setDevStatus(LINEDEVSTATUSFLAGS_MSGWAIT, true, core_.out());
}

std::vector<LeftMessage> Completions::messages(DWORD line) const
{
    const auto it = messages_.find(line);
    return it == messages_.end() ? std::vector<LeftMessage>{} : it->second;
}

// ---- waiting for the target ----

bool Completions::freeExcept(DWORD line, DWORD address, ConnectionId except) const
{
    const auto calls = core_.legsOn(line, address);
    return std::ranges::all_of(calls, [&](LegId id) { return core_.leg(id)->connection() == except; });
}

void Completions::stateChanged(Leg &l, DWORD before)
{
    if (l.state() != LINECALLSTATE_IDLE || before == 0)
        return;
    callbacks_.erase(l.id());
    bool any = false;
    for (PendingCompletion &p : pending_) {
        if (p.targetLine == l.line() && p.targetAddress == l.address() && l.connection() != p.originalConnection) {
            p.triggered = true;
            any = true;
        }
    }
    // Looked at once the operation that ended the call is over, so that the
    // completion acts on a settled exchange.
    if (!any || lookScheduled_)
        return;
    lookScheduled_ = true;
    core_.scheduler().schedule(Millis(0), [this] { look(); });
}

void Completions::look()
{
    lookScheduled_ = false;
    std::set<std::pair<DWORD, DWORD>> served;
    // fire() may add and end calls, but it never adds completions.
    std::vector<PendingCompletion> due;
    for (PendingCompletion &p : pending_) {
        const std::pair target{p.targetLine, p.targetAddress};
        if (p.triggered && !served.count(target) && freeExcept(p.targetLine, p.targetAddress, p.originalConnection)) {
            served.insert(target);
            due.push_back(p);
        }
        p.triggered = false;
    }
    for (const PendingCompletion &p : due) {
        if (!fire(p))
            continue;
        std::erase_if(pending_, [&](const PendingCompletion &q) { return q.id == p.id; });
    }
}

bool Completions::fire(const PendingCompletion &p)
{
    Leg *original = core_.leg(p.original);
    const bool up = original && (original->state() & (LINECALLSTATE_BUSY | LINECALLSTATE_RINGBACK));
    if (p.mode != LINECALLCOMPLMODE_CAMPON || !up)
        return offerCallBack(p);
    if (original->state() == LINECALLSTATE_RINGBACK)
        return true; // it still rings at the target
    calls_.ringExtension(*original, p.targetLine, p.targetAddress, LINECALLREASON_CALLCOMPLETION);
    return true;
}

bool Completions::offerCallBack(const PendingCompletion &p)
{
    if (core_.full(p.callerLine, p.callerAddress))
        return false;
    const Line &target = *core_.line(p.targetLine);
    Connection &c = core_.newConnection();
    Leg &l = core_.newLeg(p.callerLine, p.callerAddress, c);
    CallInfoData &info = l.infoForSetup();
    info.origin = LINECALLORIGIN_INTERNAL;
    info.reason = LINECALLREASON_CALLCOMPLETION;
    info.completionId = p.id;
    info.caller = PartyId::of(target.address(p.targetAddress).number, target.config().ownerName);
    info.called = core_.partyOf(l);
    core_.offer(l);
    callbacks_[l.id()] = {p.targetLine, p.targetAddress};
    return true;
}

bool Completions::answering(Leg &l)
{
    const auto it = callbacks_.find(l.id());
    if (it == callbacks_.end())
        return false;
    const auto [line, address] = it->second;
    callbacks_.erase(it);
    const Line &target = *core_.line(line);
    if (target.removed()) {
        core_.setState(l, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNREACHABLE);
        return true;
    }
    // From here on it is the caller's own call to the target.
    const PartyId called = PartyId::of(target.address(address).number, target.config().ownerName);
    l.dialed = called.number;
    l.changeInfo(LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID, core_.out(), [&](CallInfoData &i) {
        i.caller = core_.partyOf(l);
        i.called = called;
    });
    calls_.ringExtension(l, line, address, LINECALLREASON_CALLCOMPLETION);
    return true;
}

void Completions::lineRemoved(DWORD line)
{
    // Offered call backs end with their calls; one whose target went away
    // finds that out when it is answered.
    std::erase_if(pending_, [&](const PendingCompletion &p) { return p.callerLine == line || p.targetLine == line; });
}

} // namespace exchange
