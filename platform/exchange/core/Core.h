// The core of the exchange: line and phone devices, legs and the
// connections that tie them together, the event queue and the one place
// where call states change. Feature modules build on it through its public
// interface and hear from it through the Feature hooks; none of them
// reaches into another's state.
//
// Not thread-aware: the Exchange calls it only with its lock held, and it
// reports into the Exchange's outbox.
#ifndef DIALWERK_EXCHANGE_CORE_CORE_H
#define DIALWERK_EXCHANGE_CORE_CORE_H

#include "exchange/Topology.h"
#include "exchange/core/Clock.h"
#include "exchange/core/Connection.h"
#include "exchange/core/Events.h"
#include "exchange/core/FarLink.h"
#include "exchange/core/Feature.h"
#include "exchange/core/Leg.h"
#include "exchange/core/Line.h"
#include "exchange/core/Phone.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace exchange {

/// Runs work later on the exchange thread.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    /// Runs `work` after `delay` on the exchange clock; answers a timer id (never 0).
    virtual uint64_t schedule(Millis delay, std::function<void()> work) = 0;
    virtual void cancel(uint64_t timer) = 0;
};

class Core {
public:
    Core(const Topology &topology, const Clock &clock, Scheduler &scheduler, std::vector<Event> &out);
    Core(const Core &) = delete;
    Core &operator=(const Core &) = delete;

    /// Registers a feature's hooks (it must outlive the core's use of it).
    void attach(Feature &feature) { features_.push_back(&feature); }

    const Clock &clock() const { return clock_; }
    Scheduler &scheduler() { return scheduler_; }
    /// Where events go, in the order things happen.
    std::vector<Event> &out() { return out_; }
    void report(Event e) { out_.push_back(std::move(e)); }

    // ---- far lines ----
    /// What the exchange owes the network (see FarLink).
    FarLink &far() { return far_; }
    /// Whether the leg is a far line's call with the network.
    bool farLeg(const Leg &leg) const;
    /// Raises a command for the network about a far leg.
    void farCommand(FarCommand::Kind kind, const Leg &leg, uint32_t request = 0, std::u16string text = {},
                    LegId other = 0);

    // ---- devices ----
    DWORD lineCount() const { return static_cast<DWORD>(lines_.size()); }
    DWORD phoneCount() const { return static_cast<DWORD>(phones_.size()); }
    Line *line(DWORD id) { return id < lines_.size() ? &lines_[id] : nullptr; }
    const Line *line(DWORD id) const { return id < lines_.size() ? &lines_[id] : nullptr; }
    Phone *phone(DWORD id) { return id < phones_.size() ? &phones_[id] : nullptr; }
    const Phone *phone(DWORD id) const { return id < phones_.size() ? &phones_[id] : nullptr; }
    /// Adds a device at the next identifier and answers it.
    DWORD addLine(LineConfig config);
    DWORD addPhone(PhoneConfig config);
    /// A line device goes away: its calls end (the far ends are
    /// disconnected) and the features forget what they kept for it.
    void removeLine(DWORD line);
    /// The line and address a local number belongs to (removed lines have none).
    std::optional<std::pair<DWORD, DWORD>> localAddress(std::u16string_view number) const;
    /// The capabilities of the address a leg is on.
    const LINEADDRESSCAPS &addressCaps(const Leg &leg) const;

    // ---- legs and connections ----
    Leg *leg(LegId id);
    const Leg *leg(LegId id) const;
    Connection *connection(ConnectionId id);
    const Connection *connection(ConnectionId id) const;
    /// Legs that are not idle on a line (optionally one address), oldest first.
    std::vector<LegId> legsOn(DWORD line, std::optional<DWORD> address) const;
    CallCounts counts(DWORD line, std::optional<DWORD> address) const;
    /// True when the address cannot take one more call of any kind.
    bool full(DWORD line, DWORD address) const;
    Connection &newConnection();
    /// A new leg of `c` at line/address, in no state yet and not announced.
    Leg &newLeg(DWORD line, DWORD address, Connection &c);
    /// Drops a connection (and its pending far-end timer).
    void eraseConnection(Connection &c);
    /// The identity of a leg's own address (number and owner name).
    PartyId partyOf(const Leg &leg) const;
    /// The caller's identity as the called side sees it.
    PartyId shownCaller(const Leg &caller) const;

    // ---- states ----
    /// Moves a leg to a state and reports it; the features hear of it and
    /// the line's phone shows it on its call lamp.
    void setState(Leg &leg, DWORD state, DWORD mode, LegId conference = 0);
    /// LINECALLFEATURE_ / LINECALLFEATURE2_ bits the leg offers now.
    DWORD features(const Leg &leg) const;
    DWORD features2(const Leg &leg) const;
    /// Whether an address can take one more active call (besides
    /// `except`), if need be by holding a connected one.
    bool roomForActive(DWORD line, DWORD address, LegId except) const;
    bool roomForActive(const Leg &leg) const { return roomForActive(leg.line(), leg.address(), leg.id()); }
    /// Makes that room: holds the connected call that must make way, if any.
    void makeRoomForActive(DWORD line, DWORD address, LegId except);
    /// Whether a held leg waits for a consultation call.
    bool waitsForConsultation(LegId leg) const;
    /// LINEADDRFEATURE_ bits an address offers now: those that start a new
    /// active call only while there is room for one.
    DWORD addressFeatures(DWORD line, DWORD address) const;

    // ---- steps every kind of call shares ----
    /// Announces a leg no request created (incoming, started at the phone,
    /// intruding) in its first state: the applications learn of it as a new call.
    void announce(Leg &leg, DWORD state, DWORD mode);
    /// Announces a new leg offered at its address: OFFERING, the new call
    /// for the applications, and the ring cycles.
    void offer(Leg &leg);
    /// Where a call arriving at line/address goes instead, if anywhere.
    std::optional<Divert> arriving(DWORD line, DWORD address, const PartyId &caller, bool internal, bool busy) const;
    /// Tells the features that an offered leg waits for an answer.
    void offered(LegId leg, bool internal);
    /// Lets a feature carry out an answer; true when one did.
    bool answering(Leg &leg);
    /// Both legs learn who they talk to and become CONNECTED.
    void connectLegs(Leg &a, Leg &b);
    /// The leg leaves its connection; the other parties are DISCONNECTED
    /// with `mode` (and get `uui`).
    void disconnectOthers(Leg &from, DWORD mode, const std::vector<uint8_t> &uui);
    /// Ends digit generation on a leg (LINE_GENERATE, CANCEL).
    void cancelGeneration(Leg &leg);
    /// Drops a live leg: it goes IDLE, its far ends DISCONNECTED.
    void drop(LegId leg, const std::vector<uint8_t> &uui);
    /// A held leg that waits for a consultation call is taken back.
    void takingBack(LegId leg);

    // ---- lifetime ----
    /// An application took or gave up a handle to the leg.
    void retain(LegId leg);
    /// Gives up a handle; a sole owner giving up drops a live call. Idle,
    /// unreferenced legs are forgotten.
    void release(LegId leg, bool dropIfLive);
    /// Forgets idle legs that nobody references; disconnected ones nobody
    /// references go idle first. Legs named by an event that has not been
    /// delivered yet are kept until it was, so that no leg goes before the
    /// runtime heard of it. Only for the exchange thread, after a delivery.
    void collect(const std::vector<Event> &undelivered);

private:
    /// The connected call that must go on hold for one more active call
    /// (0: none needs to); nothing when there is no room at all.
    std::optional<LegId> makingWay(DWORD line, DWORD address, LegId except) const;
    /// Reports ring `count` (LINEDEVSTATE_RINGING) of an offered call in due
    /// time, and the rings after it while the call stays offered.
    void ringFor(LegId leg, DWORD count);
    /// Sets the call-appearance lamp of the line's phone from its calls.
    void showOnPhone(DWORD line);
    /// Keeps the network in step with a far leg's new state: hold and
    /// resume follow the hold states, and a leg that goes idle while its
    /// dialog lives ends it.
    void followOnNetwork(Leg &leg);
    /// Ends a far leg's dialog on the network, unless it ended already.
    void endOnNetwork(const Leg &leg);
    void forget(Leg &leg);

    const Clock &clock_;
    Scheduler &scheduler_;
    std::vector<Event> &out_;
    FarLink far_;
    std::vector<Feature *> features_;
    std::deque<Line> lines_; // a deque: adding a device keeps references valid
    std::deque<Phone> phones_;
    std::map<LegId, std::unique_ptr<Leg>> legs_;
    std::map<LegId, int> refs_;
    std::map<ConnectionId, Connection> connections_;
    LegId nextLeg_ = 1;
    ConnectionId nextConnection_ = 1;
    DWORD nextCallId_ = 0x5000;
};

} // namespace exchange

#endif
