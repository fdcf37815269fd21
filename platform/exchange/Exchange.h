// The simulated telephone exchange: the provider behind the TAPI runtime.
//
// Threads and locks. The exchange has one lock (mutex_) and one thread.
// mutex_ guards the switchboard (devices, legs, connections), the timer
// queue and the outbox; nothing else is locked inside it. Work reaches the
// exchange three ways:
//  - queries and synchronous changes run on the caller's thread under
//    mutex_ (inspect(), modify(), the control functions);
//  - asynchronous requests and timers run on the exchange thread under
//    mutex_ (request(), and whatever the switchboard schedules);
//  - every change reports events into the outbox, under mutex_, in the
//    order things happen.
// Only the exchange thread empties the outbox, and it hands the events to
// the sink with mutex_ released, so the sink may call back into the
// exchange, and events reach the runtime in the order they were raised.
// Callers may hold their own locks while calling the exchange; the exchange
// never calls out while holding mutex_ (the untidy options' leaf lock is the
// one lock taken inside it).
//
// Using it from a test (the process's exchange is
// tapi32::Runtime::instance().exchange()):
//
//   runtime.resetExchange(Topology::standard(), std::make_unique<ManualClock>());
//   ... lineInitializeExW, lineOpenW, lineMakeCallW(..., u"5550100", ...) ...
//   ex.waitIdle();                    // every message raised so far is queued
//   ex.advance(Millis(3000));         // the external party answers
//   ex.faults().failNext("lineAnswer", LINEERR_RESOURCEUNAVAIL);
//   ex.incomingCall(1, 0, u"5551234", u"Dora Engel");
//   ex.remoteHangUp(tapi32::Runtime::instance().legOf(hCall));
//   auto made = ex.recorder().last("lineMakeCallW"); // made->text("lpszDestAddress")
//
// Applications then read their messages with lineGetMessage and a time-out
// as a safety net; nothing needs a sleep.
#ifndef DIALWERK_EXCHANGE_EXCHANGE_H
#define DIALWERK_EXCHANGE_EXCHANGE_H

#include "exchange/CallRecorder.h"
#include "exchange/core/Clock.h"
#include "exchange/core/Events.h"
#include "exchange/far/FarPort.h"
#include "exchange/FaultTable.h"
#include "exchange/Switchboard.h"
#include "exchange/Topology.h"
#include "exchange/untidy/UntidyEvents.h"
#include "exchange/untidy/UntidyOptions.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace exchange {

/// Identifies an asynchronous request and when the exchange carries it out.
struct RequestTag {
    RequestTag() = default;
    RequestTag(uint32_t requestId, Millis after = Millis(0)) : id(requestId), delay(after) {}

    uint32_t id = 0;
    Millis delay{0};
    /// The TAPI function and the device (line, or phone for phone functions)
    /// it acts on: the untidy options apply by them.
    std::string function;
    DWORD device = 0;
    bool phone = false;
};

class Exchange final : private Scheduler {
public:
    /// Builds the devices of `topology` and starts the exchange thread.
    explicit Exchange(Topology topology = Topology::standard(),
                      std::unique_ptr<Clock> clock = std::make_unique<RealClock>());
    /// Stops the thread; undelivered events and pending timers are dropped.
    ~Exchange() override;
    Exchange(const Exchange &) = delete;
    Exchange &operator=(const Exchange &) = delete;

    /// Sets the receiver of events (null: events are dropped).
    void setSink(EventSink *sink);
    /// Sets the network side of far lines (null: their commands are
    /// dropped). To detach a port before destroying it, set null and then
    /// waitIdle(): no send() runs after that returns.
    void setFarPort(FarPort *port);

    // ---- time ----
    Clock &clock() { return *clock_; }
    /// Manual clock only: moves time forward by `by`, running every timer
    /// that falls due on the exchange thread in time order, and returns when
    /// the exchange is idle. With a real clock it only waits for idle.
    void advance(Millis by);
    /// Returns once no work is due, the outbox is empty and no delivery runs.
    void waitIdle();

    // ---- test aids ----
    FaultTable &faults() { return faults_; }
    /// The untidy-provider options (all off until turned on).
    UntidyOptions &untidy() { return untidy_; }
    CallRecorder &recorder() { return recorder_; }
    /// The topology the exchange was built from.
    const Topology &topology() const { return topology_; }

    // ---- the world outside (control interface; any thread) ----
    /// A call from outside (caller number and name) rings at a line's
    /// address: LINE_APPNEWCALL and OFFERING follow for the applications.
    /// Answers the new call's leg, or 0 for an unknown line or address.
    LegId incomingCall(DWORD line, DWORD address, std::u16string callerNumber, std::u16string callerName,
                       DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE);
    /// The external party of a call answers (RINGBACK/PROCEEDING → CONNECTED).
    LONG remoteAnswer(LegId leg);
    /// The external party hangs up: the leg becomes DISCONNECTED (NORMAL).
    LONG remoteHangUp(LegId leg);
    /// The external party is busy: the ringing leg becomes BUSY.
    LONG remoteBusy(LegId leg);
    /// The external party rejects: the ringing leg becomes DISCONNECTED (REJECT).
    LONG remoteReject(LegId leg);
    /// The party a connected call talks to sends DTMF digits; each reaches
    /// the applications that monitor the call's digits (LINE_MONITORDIGITS).
    /// 0, LINEERR_INVALCALLSTATE or LINEERR_INVALDIGITS.
    LONG remoteDigits(LegId leg, std::u16string digits);
    /// Call information arrives from the far end (charging, UUI, display,
    /// compatibility information...): `change` edits the leg's information,
    /// LINE_CALLINFO with `infoStates` follows. False for an unknown leg.
    bool updateCallInfo(LegId leg, DWORD infoStates, const std::function<void(CallInfoData &)> &change);
    // ---- far lines (any thread; see far/FarPort.h) ----
    /// The network reports progress of a call a far line placed:
    /// PROCEEDING or RINGBACK (mode 0). 0 or LINEERR_INVALCALLSTATE.
    LONG remoteProgress(LegId leg, DWORD state);
    /// The network ends a far call: DISCONNECTED with a LINEDISCONNECTMODE_
    /// (or BUSY with LINEBUSYMODE_STATION for mode LINEDISCONNECTMODE_BUSY).
    LONG remoteDisconnect(LegId leg, DWORD mode);
    /// A call from the network rings at a far line: as incomingCall(), with
    /// the caller's party id flags (LINECALLPARTYID_BLOCKED for a withheld
    /// number). When the line's forwarding sends the call elsewhere, `divertTo`
    /// gets the destination and 0 is answered; 0 with it empty: refused.
    LegId farIncomingCall(DWORD line, PartyId caller, std::u16string *divertTo);
    /// The network answered a request the exchange passed on with a
    /// FarCommand's `request`: 0 carries the request out and replies 0; an
    /// error replies with it and leaves the call as it was. Late answers
    /// (after the guard replied) are ignored.
    void farEndDone(uint32_t request, LONG result);
    /// The line's status flags change (LINEDEVSTATUSFLAGS_ bit on or off);
    /// LINE_LINEDEVSTATE follows when it changed.
    LONG setLineStatus(DWORD line, DWORD statusFlag, bool on);
    /// Raises LINE_LINEDEVSTATE / LINE_ADDRESSSTATE / PHONE_STATE /
    /// PHONE_BUTTON as a provider would.
    void raiseLineState(DWORD line, DWORD state, DWORD param2 = 0, DWORD param3 = 0);
    void raiseAddressState(DWORD line, DWORD address, DWORD state);
    void raisePhoneState(DWORD phone, DWORD state, DWORD details = 0);
    void pressButton(DWORD phone, DWORD button, DWORD state = PHONEBUTTONSTATE_DOWN);
    /// The user lifts the handset of a phone that belongs to a line: the
    /// line's owner gets a new call in DIALTONE on address 0 (LINE_APPNEWCALL),
    /// holding a connected call where the address would for lineMakeCall.
    /// Answers the call's leg, or 0 when the address cannot make a call now.
    LegId phoneOffHook(DWORD phone);
    /// The user dials on the phone: its call in DIALTONE or DIALING moves
    /// on. Answers 0, LINEERR_INVALCALLSTATE when there is none, or the
    /// dial string's error.
    LONG phoneDial(DWORD phone, std::u16string digits);
    /// The user hangs up: the handset goes on hook and the phone's calls in
    /// progress (not those on hold) are dropped.
    void phoneOnHook(DWORD phone);
    /// Sets a phone lamp; PHONE_STATE (LAMP) follows when it changed.
    LONG setLamp(DWORD phone, DWORD button, DWORD lampMode);
    /// Changes a line's configuration (capabilities, names, addresses);
    /// LINE_LINEDEVSTATE (CAPSCHANGE) follows. False for an unknown line.
    bool changeLine(DWORD line, const std::function<void(LineConfig &)> &change);
    /// Changes a phone's configuration; PHONE_STATE (CAPSCHANGE) follows.
    bool changePhone(DWORD phone, const std::function<void(PhoneConfig &)> &change);
    /// Adds a line (or phone) device at the next identifier; LINE_CREATE
    /// (PHONE_CREATE) reaches every application. Answers the identifier.
    DWORD addLine(LineConfig config);
    DWORD addPhone(PhoneConfig config);
    /// Removes a device: its calls end, every open is closed (LINE_CLOSE),
    /// then LINE_REMOVE reaches every application. The identifier stays
    /// taken; the device answers LINEERR_NODEVICE from then on. False for an
    /// unknown or already removed device.
    bool removeLine(DWORD line);
    bool removePhone(DWORD phone);
    /// Closes every open of a device as the provider would (LINE_CLOSE /
    /// PHONE_CLOSE); the device stays and can be opened again.
    bool forceCloseLine(DWORD line);
    bool forceClosePhone(DWORD phone);
    /// Legs that are not idle on a line (optionally one address), oldest first.
    std::vector<LegId> legsOn(DWORD line, std::optional<DWORD> address = std::nullopt) const;
    /// State of a leg (0 when unknown).
    DWORD legState(LegId leg) const;
    /// Call completions (camp on, call back) waiting for their target, oldest first.
    std::vector<PendingCompletion> pendingCompletions() const;
    /// The messages completion requests left at a line, oldest first.
    std::vector<LeftMessage> completionMessages(DWORD line) const;

    // ---- provider side (the runtime) ----
    /// Reads the switchboard under the lock.
    template <class F> auto inspect(F &&f) const
    {
        std::lock_guard lock(mutex_);
        return f(static_cast<const Switchboard &>(*board_));
    }
    /// Changes the switchboard under the lock on the caller's thread; the
    /// events it raises are delivered by the exchange thread.
    template <class F> auto modify(F &&f)
    {
        std::unique_lock lock(mutex_);
        struct Wake {
            Exchange &x;
            ~Wake()
            {
                x.untidyNew({});
                x.wake();
            }
        } wake{*this};
        return f(*board_);
    }
    /// An asynchronous request: `check` runs now (a non-zero code is returned
    /// and nothing else happens) and again on the exchange thread after the
    /// tag's delay; then RequestDone is reported, and `action` carries the
    /// request out if the second check passed (with effects before reply on,
    /// the action's events come first). With provider close on, the device
    /// is closed as soon as the request is accepted, so the close reaches the
    /// runtime while the request is pending.
    LONG request(RequestTag tag, std::function<LONG(const Switchboard &)> check,
                 std::function<void(Switchboard &)> action);
    /// As request(), for actions that report RequestDone themselves because
    /// they create calls (the action gets the request id).
    LONG requestCreating(RequestTag tag, std::function<LONG(const Switchboard &)> check,
                         std::function<void(Switchboard &, uint32_t)> action);
    /// A request that is only answered: RequestDone with `result` after the delay.
    void replyOnly(RequestTag tag, LONG result);

private:
    uint64_t schedule(Millis delay, std::function<void()> work) override;
    void cancel(uint64_t timer) override;
    void run();
    void wake();
    /// Passes the events raised since the last call through the untidy
    /// options, as caused by `function` (empty: no request). Called with
    /// mutex_ held after each piece of work, so a mode change sees the leg
    /// as that work left it, whenever the batch is delivered.
    void untidyNew(std::string_view function);
    bool dueWork() const;

    Topology topology_;
    std::unique_ptr<Clock> clock_;
    FaultTable faults_;
    UntidyOptions untidy_;
    CallRecorder recorder_;

    // The exchange's one lock; see the header comment. Nothing is locked inside it.
    mutable std::mutex mutex_;
    std::condition_variable workCv_; // the exchange thread waits here
    std::condition_variable idleCv_; // waitIdle() waits here
    std::vector<Event> outbox_;
    size_t untidied_ = 0; // outbox_ events before this index went through the untidy options
    std::unique_ptr<Switchboard> board_;
    std::map<std::pair<int64_t, uint64_t>, std::function<void()>> timers_; // (due ms, id) → work
    uint64_t nextTimer_ = 1;
    EventSink *sink_ = nullptr;
    FarPort *port_ = nullptr;
    bool delivering_ = false;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace exchange

#endif
