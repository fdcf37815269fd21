#include "exchange/Exchange.h"

#include <cstring>
#include <vector>

namespace exchange {

Exchange::Exchange(Topology topology, std::unique_ptr<Clock> clock)
    : topology_(std::move(topology)), clock_(std::move(clock))
{
    board_ = std::make_unique<Switchboard>(topology_, *clock_, static_cast<Scheduler &>(*this), outbox_);
    thread_ = std::thread([this] { run(); });
}

Exchange::~Exchange()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    workCv_.notify_all();
    thread_.join();
}

void Exchange::setSink(EventSink *sink)
{
    std::lock_guard lock(mutex_);
    sink_ = sink;
}

void Exchange::setFarPort(FarPort *port)
{
    std::lock_guard lock(mutex_);
    port_ = port;
}

void Exchange::wake()
{
    workCv_.notify_all();
}

bool Exchange::dueWork() const
{
    return !outbox_.empty() || board_->core().far().hasCommands() || (!timers_.empty() && timers_.begin()->first.first <= clock_->now().count());
}

uint64_t Exchange::schedule(Millis delay, std::function<void()> work)
{
    // Called with mutex_ held (from the switchboard or request()).
    const uint64_t id = nextTimer_++;
    timers_.emplace(std::make_pair(clock_->now().count() + delay.count(), id), std::move(work));
    workCv_.notify_all();
    return id;
}

void Exchange::cancel(uint64_t timer)
{
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->first.second == timer) {
            timers_.erase(it);
            return;
        }
    }
}

void Exchange::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stop_)
            return;
        if (!dueWork()) {
            if (timers_.empty() || clock_->manual()) {
                workCv_.wait(lock);
            } else {
                const auto wait = Millis(timers_.begin()->first.first) - clock_->now();
                workCv_.wait_for(lock, wait);
            }
            continue;
        }
        // Run every timer that is due, in time order; the work may add more.
        while (!timers_.empty() && timers_.begin()->first.first <= clock_->now().count()) {
            auto node = timers_.extract(timers_.begin());
            node.mapped()();
            untidyNew({});
        }
        untidyNew({});
        std::vector<Event> events;
        events.swap(outbox_);
        untidied_ = 0;
        std::vector<FarCommand> commands = board_->core().far().take();
        EventSink *sink = sink_;
        FarPort *port = port_;
        delivering_ = true;
        lock.unlock();
        if (sink && !events.empty())
            sink->deliver(events);
        if (port && !commands.empty())
            port->send(std::move(commands));
        lock.lock();
        delivering_ = false;
        board_->core().collect(outbox_);
        idleCv_.notify_all();
    }
}

void Exchange::untidyNew(std::string_view function)
{
    if (untidied_ >= outbox_.size())
        return;
    std::vector<Event> fresh(outbox_.begin() + std::ptrdiff_t(untidied_), outbox_.end());
    outbox_.resize(untidied_);
    for (Event &e : untidyEvents(std::move(fresh), function, board_->core(), *clock_, untidy_))
        outbox_.push_back(std::move(e));
    untidied_ = outbox_.size();
}

void Exchange::waitIdle()
{
    std::unique_lock lock(mutex_);
    idleCv_.wait(lock, [this] { return stop_ || (!dueWork() && !delivering_); });
}

void Exchange::advance(Millis by)
{
    if (!clock_->manual()) {
        waitIdle();
        return;
    }
    auto &manual = static_cast<ManualClock &>(*clock_);
    const Millis target = clock_->now() + by;
    for (;;) {
        waitIdle();
        Millis next;
        {
            std::lock_guard lock(mutex_);
            if (timers_.empty() || timers_.begin()->first.first > target.count())
                break;
            next = Millis(timers_.begin()->first.first);
            manual.set(next);
        }
        wake();
    }
    {
        std::lock_guard lock(mutex_);
        manual.set(target);
    }
    wake();
    waitIdle();
}

// ---- requests ----

LONG Exchange::request(RequestTag tag, std::function<LONG(const Switchboard &)> check,
                       std::function<void(Switchboard &)> action)
{
    const bool effectsFirst =
        untidy_.applies(Untidy::EffectsBeforeReply, tag.function, std::optional<DWORD>(tag.device));
    return requestCreating(tag, check, [this, action, effectsFirst](Switchboard &board, uint32_t id) {
        FarLink &far = board.core().far();
        const size_t at = outbox_.size();
        far.setRunning(id);
        action(board);
        far.setRunning(0);
        // A far line's request may wait for the network to reply.
        if (far.deferred(id))
            return;
        if (effectsFirst)
            outbox_.push_back(Event::requestDone(id, 0));
        else
            outbox_.insert(outbox_.begin() + std::ptrdiff_t(at), Event::requestDone(id, 0));
    });
}

LONG Exchange::requestCreating(RequestTag tag, std::function<LONG(const Switchboard &)> check,
                               std::function<void(Switchboard &, uint32_t)> action)
{
    std::lock_guard lock(mutex_);
    if (LONG r = check(*board_))
        return r;
    // Queued now, under the lock, so the close always precedes the reply.
    if (untidy_.applies(Untidy::ProviderClose, tag.function, std::optional<DWORD>(tag.device)))
        outbox_.push_back(Event::deviceChange(Event::Kind::DeviceClosed, tag.device, tag.phone));
    schedule(tag.delay, [this, id = tag.id, function = tag.function, check = std::move(check),
                         action = std::move(action)] {
        // The world may have changed since the call: check again.
        if (LONG r = check(*board_)) {
            outbox_.push_back(Event::requestDone(id, r));
            return;
        }
        untidyNew({});
        action(*board_, id);
        untidyNew(function);
    });
    return 0;
}

void Exchange::replyOnly(RequestTag tag, LONG result)
{
    std::lock_guard lock(mutex_);
    schedule(tag.delay, [this, id = tag.id, result] { outbox_.push_back(Event::requestDone(id, result)); });
}

// ---- control interface ----

LegId Exchange::incomingCall(DWORD line, DWORD address, std::u16string callerNumber, std::u16string callerName,
                             DWORD mediaMode)
{
    return modify([&](Switchboard &b) -> LegId {
        const Line *l = b.line(line);
        if (!l || l->removed() || !l->hasAddress(address))
            return 0;
        return b.farEnd().calls(line, address, PartyId::of(std::move(callerNumber), std::move(callerName)), mediaMode);
    });
}

LONG Exchange::remoteProgress(LegId leg, DWORD state)
{
    return modify([&](Switchboard &b) { return b.farEnd().progress(leg, state); });
}

LONG Exchange::remoteDisconnect(LegId leg, DWORD mode)
{
    return modify([&](Switchboard &b) { return b.farEnd().disconnect(leg, mode); });
}

LegId Exchange::farIncomingCall(DWORD line, PartyId caller, std::u16string *divertTo)
{
    return modify([&](Switchboard &b) -> LegId {
        const Line *l = b.line(line);
        if (!l || l->removed() || !l->config().far)
            return 0;
        return b.farEnd().callsFar(line, caller, divertTo);
    });
}

void Exchange::farEndDone(uint32_t request, LONG result)
{
    modify([&](Switchboard &b) { b.core().far().done(request, result); });
}

LONG Exchange::remoteAnswer(LegId leg)
{
    return modify([&](Switchboard &b) { return b.farEnd().answer(leg); });
}

LONG Exchange::remoteHangUp(LegId leg)
{
    return modify([&](Switchboard &b) { return b.farEnd().hangUp(leg); });
}

LONG Exchange::remoteBusy(LegId leg)
{
    return modify([&](Switchboard &b) { return b.farEnd().busy(leg); });
}

LONG Exchange::remoteReject(LegId leg)
{
    return modify([&](Switchboard &b) { return b.farEnd().reject(leg); });
}

LONG Exchange::remoteDigits(LegId leg, std::u16string digits)
{
    return modify([&](Switchboard &b) { return b.farEnd().sendDigits(leg, digits); });
}

bool Exchange::updateCallInfo(LegId leg, DWORD infoStates, const std::function<void(CallInfoData &)> &change)
{
    return modify([&](Switchboard &b) {
        Leg *l = b.core().leg(leg);
        if (!l || l->idle())
            return false;
        l->changeInfo(infoStates, outbox_, change);
        return true;
    });
}

LONG Exchange::setLineStatus(DWORD line, DWORD statusFlag, bool on)
{
    return modify([&](Switchboard &b) -> LONG {
        if (!b.line(line))
            return LINEERR_BADDEVICEID;
        b.calls().setLineDevStatus(line, statusFlag, on);
        return 0;
    });
}

void Exchange::raiseLineState(DWORD line, DWORD state, DWORD param2, DWORD param3)
{
    modify([&](Switchboard &) { outbox_.push_back(Event::lineState(line, state, param2, param3)); });
}

void Exchange::raiseAddressState(DWORD line, DWORD address, DWORD state)
{
    modify([&](Switchboard &) { outbox_.push_back(Event::addressState(line, address, state)); });
}

void Exchange::raisePhoneState(DWORD phone, DWORD state, DWORD details)
{
    modify([&](Switchboard &) { outbox_.push_back(Event::phoneState(phone, state, details)); });
}

void Exchange::pressButton(DWORD phone, DWORD button, DWORD state)
{
    modify([&](Switchboard &b) {
        const Phone *p = b.phone(phone);
        if (p && button < p->buttonCount())
            outbox_.push_back(Event::phoneButton(phone, button, p->config().buttons[button].mode, state));
    });
}

namespace {

constexpr DWORD kInProgress = LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING | LINECALLSTATE_PROCEEDING |
                              LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY | LINECALLSTATE_CONNECTED |
                              LINECALLSTATE_DISCONNECTED;

/// The line of a phone that is there and belongs to one that is there.
std::optional<DWORD> lineOfPhone(const Switchboard &b, DWORD phone)
{
    const Phone *p = b.phone(phone);
    if (!p || p->removed() || !p->config().line)
        return std::nullopt;
    const Line *l = b.line(*p->config().line);
    if (!l || l->removed() || !l->hasAddress(0))
        return std::nullopt;
    return l->id();
}

} // namespace

LegId Exchange::phoneOffHook(DWORD phone)
{
    return modify([&](Switchboard &b) -> LegId {
        const auto line = lineOfPhone(b, phone);
        if (!line)
            return 0;
        b.core().phone(phone)->userHookSwitch(PHONEHOOKSWITCHDEV_HANDSET, PHONEHOOKSWITCHMODE_MICSPEAKER, outbox_);
        return b.calls().startAtPhone(*line, 0);
    });
}

LONG Exchange::phoneDial(DWORD phone, std::u16string digits)
{
    return modify([&](Switchboard &b) -> LONG {
        const auto line = lineOfPhone(b, phone);
        if (!line)
            return LINEERR_INVALCALLSTATE;
        for (LegId leg : b.core().legsOn(*line, std::nullopt)) {
            if (!(b.leg(leg)->state() & (LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING)))
                continue;
            if (LONG r = b.calls().checkDial(leg, digits))
                return r;
            b.calls().dial(leg, digits);
            return 0;
        }
        return LINEERR_INVALCALLSTATE;
    });
}

void Exchange::phoneOnHook(DWORD phone)
{
    modify([&](Switchboard &b) {
        const auto line = lineOfPhone(b, phone);
        if (!line)
            return;
        b.core().phone(phone)->userHookSwitch(PHONEHOOKSWITCHDEV_HANDSET, PHONEHOOKSWITCHMODE_ONHOOK, outbox_);
        for (LegId leg : b.core().legsOn(*line, std::nullopt))
            if (const Leg *l = b.leg(leg); l && (l->state() & kInProgress))
                b.core().drop(leg, {});
    });
}

LONG Exchange::setLamp(DWORD phone, DWORD button, DWORD lampMode)
{
    return modify([&](Switchboard &b) -> LONG {
        Phone *p = b.core().phone(phone);
        return p ? p->setLamp(button, lampMode, &outbox_) : PHONEERR_BADDEVICEID;
    });
}

bool Exchange::changeLine(DWORD line, const std::function<void(LineConfig &)> &change)
{
    return modify([&](Switchboard &b) {
        Line *l = b.core().line(line);
        if (!l)
            return false;
        const std::vector<AddressConfig> before = l->config().addresses;
        change(l->editConfig());
        outbox_.push_back(Event::lineState(line, LINEDEVSTATE_CAPSCHANGE));
        // Each address whose number or capabilities changed says so too; an
        // address added by the change is new capabilities as well.
        const std::vector<AddressConfig> &after = l->config().addresses;
        for (DWORD a = 0; a < after.size(); ++a) {
            const bool same = a < before.size() && before[a].number == after[a].number &&
                              std::memcmp(&before[a].caps, &after[a].caps, sizeof after[a].caps) == 0;
            if (!same)
                outbox_.push_back(Event::addressState(line, a, LINEADDRESSSTATE_CAPSCHANGE));
        }
        return true;
    });
}

bool Exchange::changePhone(DWORD phone, const std::function<void(PhoneConfig &)> &change)
{
    return modify([&](Switchboard &b) {
        Phone *p = b.core().phone(phone);
        if (!p)
            return false;
        PhoneConfig config = p->config();
        change(config);
        p->reconfigure(std::move(config));
        outbox_.push_back(Event::phoneState(phone, PHONESTATE_CAPSCHANGE));
        return true;
    });
}

DWORD Exchange::addLine(LineConfig config)
{
    return modify([&](Switchboard &b) {
        const DWORD id = b.core().addLine(std::move(config));
        outbox_.push_back(Event::deviceChange(Event::Kind::DeviceAdded, id, false));
        return id;
    });
}

DWORD Exchange::addPhone(PhoneConfig config)
{
    return modify([&](Switchboard &b) {
        const DWORD id = b.core().addPhone(std::move(config));
        outbox_.push_back(Event::deviceChange(Event::Kind::DeviceAdded, id, true));
        return id;
    });
}

bool Exchange::removeLine(DWORD line)
{
    return modify([&](Switchboard &b) {
        const Line *l = b.line(line);
        if (!l || l->removed())
            return false;
        b.core().removeLine(line);
        outbox_.push_back(Event::deviceChange(Event::Kind::DeviceClosed, line, false));
        outbox_.push_back(Event::deviceChange(Event::Kind::DeviceRemoved, line, false));
        return true;
    });
}

bool Exchange::removePhone(DWORD phone)
{
    return modify([&](Switchboard &b) {
        Phone *p = b.core().phone(phone);
        if (!p || p->removed())
            return false;
        p->markRemoved();
        outbox_.push_back(Event::deviceChange(Event::Kind::DeviceClosed, phone, true));
        outbox_.push_back(Event::deviceChange(Event::Kind::DeviceRemoved, phone, true));
        return true;
    });
}

bool Exchange::forceCloseLine(DWORD line)
{
    return modify([&](Switchboard &b) {
        const Line *l = b.line(line);
        if (!l || l->removed())
            return false;
        outbox_.push_back(Event::deviceChange(Event::Kind::DeviceClosed, line, false));
        return true;
    });
}

bool Exchange::forceClosePhone(DWORD phone)
{
    return modify([&](Switchboard &b) {
        const Phone *p = b.phone(phone);
        if (!p || p->removed())
            return false;
        outbox_.push_back(Event::deviceChange(Event::Kind::DeviceClosed, phone, true));
        return true;
    });
}

std::vector<LegId> Exchange::legsOn(DWORD line, std::optional<DWORD> address) const
{
    return inspect([&](const Switchboard &b) { return b.core().legsOn(line, address); });
}

std::vector<PendingCompletion> Exchange::pendingCompletions() const
{
    return inspect([](const Switchboard &b) { return b.completions().pending(); });
}

std::vector<LeftMessage> Exchange::completionMessages(DWORD line) const
{
    return inspect([&](const Switchboard &b) { return b.completions().messages(line); });
}

DWORD Exchange::legState(LegId leg) const
{
    return inspect([&](const Switchboard &b) -> DWORD {
        const Leg *l = b.leg(leg);
        return l ? l->state() : 0;
    });
}

} // namespace exchange
