#include "exchange/Completions.h"

#include "exchange/Switchboard.h"

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

std::optional<std::pair<DWORD, DWORD>> Completions::targetOf(const Switchboard &b, const Leg &l)
{
    const auto c = b.connections_.find(l.connection());
    if (c == b.connections_.end() || c->second.external)
        return std::nullopt;
    std::optional<std::pair<DWORD, DWORD>> target;
    if (l.state() == LINECALLSTATE_RINGBACK) {
        if (const Leg *ringing = b.leg(c->second.other(l.id())); ringing && (ringing->state() & kRinging))
            target = std::pair{ringing->line(), ringing->address()};
    } else if (l.state() == LINECALLSTATE_BUSY && c->second.legs.size() == 1) {
        target = b.localAddress(l.dialed);
    }
    if (target && target->first == l.line() && target->second == l.address())
        return std::nullopt;
    return target;
}

LONG Completions::check(const Switchboard &b, LegId id, DWORD mode, DWORD messageId)
{
    const Leg *l = b.leg(id);
    if (!l || l->idle())
        return LINEERR_INVALCALLHANDLE;
    const LINEADDRESSCAPS &caps = b.addressCaps(*l);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_COMPLETECALL) || !(caps.dwCallCompletionModes & kModes))
        return LINEERR_OPERATIONUNAVAIL;
    if (!std::has_single_bit(mode) || !(caps.dwCallCompletionModes & kModes & mode))
        return LINEERR_INVALCALLCOMPLMODE;
    const size_t messages = b.lines_.at(l->line()).address(l->address()).completionMessages.size();
    if (mode == LINECALLCOMPLMODE_MESSAGE && messageId >= messages)
        return LINEERR_INVALMESSAGEID;
    const auto target = targetOf(b, *l);
    if (!target)
        return LINEERR_INVALCALLSTATE;
    if (mode != LINECALLCOMPLMODE_INTRUDE)
        return 0;
    if (l->state() == LINECALLSTATE_RINGBACK) {
        const Connection &c = b.connections_.at(l->connection());
        return b.checkAnswer(c.other(id)) ? LINEERR_RESOURCEUNAVAIL : 0;
    }
    const bool inService = b.lines_.at(target->first).devStatusFlags() & LINEDEVSTATUSFLAGS_INSERVICE;
    return inService ? 0 : LINEERR_OPERATIONFAILED;
}

void Completions::complete(uint32_t requestId, LegId id, DWORD mode, DWORD messageId)
{
    Switchboard &b = board_;
    CompletionBook &book = b.completions_;
    Leg &l = *b.leg(id);
    const auto target = *targetOf(b, l);
    const DWORD completionId = book.nextId++;
    Event done = Event::requestDone(requestId, 0);
    done.outValue = completionId;
    b.out_.push_back(std::move(done));
    switch (mode) {
    case LINECALLCOMPLMODE_INTRUDE:
        intrude(l, target);
        return;
    case LINECALLCOMPLMODE_MESSAGE:
        leaveMessage(l, target, completionId, messageId);
        return;
    default:
        book.pending.push_back(
            {completionId, mode, l.line(), l.address(), target.first, target.second, id, l.connection(), false});
        return;
    }
}

void Completions::intrude(Leg &caller, std::pair<DWORD, DWORD> target)
{
    Switchboard &b = board_;
    Connection &c = *b.connection(caller.connection());
    if (caller.state() == LINECALLSTATE_RINGBACK) {
        // As if the ringing phone went off-hook.
        b.answer(c.other(caller.id()), {});
        return;
    }
    for (LegId id : b.legsOn(target.first, target.second))
        if (b.leg(id)->state() == LINECALLSTATE_CONNECTED)
            b.setState(*b.leg(id), LINECALLSTATE_ONHOLD, 0);
    Leg &t = b.newLeg(target.first, target.second, c);
    CallInfoData &info = t.infoForSetup();
    info.origin = LINECALLORIGIN_INTERNAL;
    info.reason = LINECALLREASON_CALLCOMPLETION;
    info.mediaMode = caller.info().mediaMode;
    info.bearerMode = caller.info().bearerMode;
    info.caller = b.shownCaller(caller);
    info.called = b.partyOf(t);
    info.connected = info.caller;
    b.setState(t, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    t.markAnnounced();
    b.out_.push_back(Event::legAppeared(t.id(), target.first, target.second, info.mediaMode, LINECALLSTATE_CONNECTED,
                                        LINECONNECTEDMODE_ACTIVE));
    caller.changeInfo(LINECALLINFOSTATE_CONNECTEDID, b.out_, [&](CallInfoData &i) { i.connected = b.partyOf(t); });
    b.setState(caller, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

void Completions::leaveMessage(const Leg &caller, std::pair<DWORD, DWORD> target, DWORD id, DWORD messageId)
{
    Switchboard &b = board_;
    b.completions_.messages[target.first].push_back({id, messageId, b.partyOf(caller).number});
    b.lines_[target.first].setDevStatus(LINEDEVSTATUSFLAGS_MSGWAIT, true, b.out_);
}

// ---- waiting for the target ----

bool Completions::freeExcept(DWORD line, DWORD address, ConnectionId except) const
{
    const Switchboard &b = board_;
    const auto calls = b.legsOn(line, address);
    return std::ranges::all_of(calls, [&](LegId id) { return b.leg(id)->connection() == except; });
}

void Completions::legEnded(const Leg &l)
{
    CompletionBook &book = board_.completions_;
    book.callbacks.erase(l.id());
    bool any = false;
    for (PendingCompletion &p : book.pending) {
        if (p.targetLine == l.line() && p.targetAddress == l.address() && l.connection() != p.originalConnection) {
            p.triggered = true;
            any = true;
        }
    }
    // Looked at once the operation that ended the call is over, so that the
    // completion acts on a settled exchange.
    if (!any || book.lookScheduled)
        return;
    book.lookScheduled = true;
    Switchboard *board = &board_;
    board_.scheduler_.schedule(Millis(0), [board] { Completions(*board).look(); });
}

void Completions::look()
{
    CompletionBook &book = board_.completions_;
    book.lookScheduled = false;
    std::set<std::pair<DWORD, DWORD>> served;
    // fire() may add and end calls, but it never adds completions.
    std::vector<PendingCompletion> due;
    for (PendingCompletion &p : book.pending) {
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
        std::erase_if(book.pending, [&](const PendingCompletion &q) { return q.id == p.id; });
    }
}

bool Completions::fire(const PendingCompletion &p)
{
    Switchboard &b = board_;
    Leg *original = b.leg(p.original);
    const bool up = original && (original->state() & (LINECALLSTATE_BUSY | LINECALLSTATE_RINGBACK));
    if (p.mode != LINECALLCOMPLMODE_CAMPON || !up)
        return offerCallBack(p);
    if (original->state() == LINECALLSTATE_RINGBACK)
        return true; // it still rings at the target
    b.ringExtension(*original, p.targetLine, p.targetAddress, LINECALLREASON_CALLCOMPLETION);
    return true;
}

bool Completions::offerCallBack(const PendingCompletion &p)
{
    Switchboard &b = board_;
    const Line &caller = b.lines_.at(p.callerLine);
    const LINEADDRESSCAPS &caps = caller.address(p.callerAddress).caps;
    if (b.counts(p.callerLine, p.callerAddress).inUse >= caps.dwMaxNumActiveCalls + caps.dwMaxNumOnHoldCalls)
        return false;
    const Line &target = b.lines_.at(p.targetLine);
    Connection &c = b.newConnection();
    Leg &l = b.newLeg(p.callerLine, p.callerAddress, c);
    CallInfoData &info = l.infoForSetup();
    info.origin = LINECALLORIGIN_INTERNAL;
    info.reason = LINECALLREASON_CALLCOMPLETION;
    info.completionId = p.id;
    info.caller = PartyId::of(target.address(p.targetAddress).number, target.config().ownerName);
    info.called = b.partyOf(l);
    b.setState(l, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE);
    l.markAnnounced();
    b.out_.push_back(Event::legAppeared(l.id(), p.callerLine, p.callerAddress, info.mediaMode, LINECALLSTATE_OFFERING,
                                        LINEOFFERINGMODE_ACTIVE));
    b.ringFor(l.id(), 1);
    b.completions_.callbacks[l.id()] = {p.targetLine, p.targetAddress};
    return true;
}

bool Completions::answered(Leg &l)
{
    Switchboard &b = board_;
    CompletionBook &book = b.completions_;
    const auto it = book.callbacks.find(l.id());
    if (it == book.callbacks.end())
        return false;
    const auto [line, address] = it->second;
    book.callbacks.erase(it);
    const Line &target = b.lines_.at(line);
    if (target.removed()) {
        b.setState(l, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNREACHABLE);
        return true;
    }
    // From here on it is the caller's own call to the target.
    const PartyId called = PartyId::of(target.address(address).number, target.config().ownerName);
    l.dialed = called.number;
    l.changeInfo(LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID, b.out_, [&](CallInfoData &i) {
        i.caller = b.partyOf(l);
        i.called = called;
    });
    b.ringExtension(l, line, address, LINECALLREASON_CALLCOMPLETION);
    return true;
}

void Completions::lineRemoved(DWORD line)
{
    // Offered call backs end with their calls; one whose target went away
    // finds that out when it is answered.
    std::erase_if(board_.completions_.pending,
                  [&](const PendingCompletion &p) { return p.callerLine == line || p.targetLine == line; });
}

} // namespace exchange
