// The call model of the exchange: devices, legs and connections, and every
// call operation with its state sequences. Not thread-aware: the Exchange
// calls it only with its lock held, and it reports into the Exchange's
// outbox.
#ifndef DIALWERK_EXCHANGE_SWITCHBOARD_H
#define DIALWERK_EXCHANGE_SWITCHBOARD_H

#include "exchange/Agents.h"
#include "exchange/Clock.h"
#include "exchange/Completions.h"
#include "exchange/Connection.h"
#include "exchange/Events.h"
#include "exchange/FarEnd.h"
#include "exchange/Leg.h"
#include "exchange/Line.h"
#include "exchange/Phone.h"
#include "exchange/Predictive.h"
#include "exchange/Topology.h"

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

/// What an application asked for in lineMakeCall beyond the number.
struct MakeCallOptions {
    DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    DWORD bearerMode = LINEBEARERMODE_VOICE;
    DWORD callParamFlags = 0;
    DWORD countryCode = 0;
    std::u16string appName;
    std::u16string callingPartyId; // overrides the caller number shown to the far end
    std::vector<uint8_t> userUserInfo;
    std::vector<uint8_t> callData;
    PredictiveDial predictive; // honoured by makeCall only
};

class Switchboard {
public:
    Switchboard(const Topology &topology, const Clock &clock, Scheduler &scheduler, std::vector<Event> &out);

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
    /// Ends every live call of a line (the far ends are disconnected).
    void dropCallsOn(DWORD line);

    // ---- calls ----
    Leg *leg(LegId id);
    const Leg *leg(LegId id) const;
    /// Legs that are not idle on a line (optionally one address), oldest first.
    std::vector<LegId> legsOn(DWORD line, std::optional<DWORD> address) const;
    CallCounts counts(DWORD line, std::optional<DWORD> address) const;
    /// The line and address a local number belongs to.
    std::optional<std::pair<DWORD, DWORD>> localAddress(std::u16string_view number) const;
    /// LINECALLFEATURE_ / LINECALLFEATURE2_ bits the leg offers now.
    DWORD features(const Leg &leg) const;
    DWORD features2(const Leg &leg) const;

    // Checks answer 0 or the LINEERR_ code the request fails with; the
    // operations assume their check passed and report what follows.
    LONG checkMakeCall(DWORD line, DWORD address, std::u16string_view dest) const;
    /// Creates the call, reports RequestDone with it, then its first states.
    LegId makeCall(uint32_t requestId, DWORD line, DWORD address, std::u16string_view dest,
                   const MakeCallOptions &options);
    LONG checkDial(LegId leg, std::u16string_view digits) const;
    void dial(LegId leg, std::u16string_view digits);
    LONG checkAccept(LegId leg) const;
    void accept(LegId leg, const std::vector<uint8_t> &uui);
    LONG checkAnswer(LegId leg) const;
    void answer(LegId leg, const std::vector<uint8_t> &uui);
    LONG checkDrop(LegId leg) const;
    void drop(LegId leg, const std::vector<uint8_t> &uui);
    LONG checkHold(LegId leg) const;
    void hold(LegId leg);
    LONG checkUnhold(LegId leg) const;
    void unhold(LegId leg);
    LONG checkSwapHold(LegId active, LegId held) const;
    void swapHold(LegId active, LegId held);
    LONG checkGenerateDigits(LegId leg, DWORD mode, const std::u16string *digits) const;
    /// Starts (or, with no digits, cancels) digit generation; LINE_GENERATE follows.
    void generateDigits(LegId leg, DWORD mode, const std::u16string *digits, DWORD duration);
    LONG checkCallData(LegId leg, size_t size) const;
    void setCallData(LegId leg, std::vector<uint8_t> data);
    LONG checkLive(LegId leg) const;
    void setAppSpecific(LegId leg, DWORD value);
    void setQualityOfService(LegId leg, std::vector<uint8_t> sending, std::vector<uint8_t> receiving);
    LONG checkSendUserUserInfo(LegId leg, size_t size) const;
    void sendUserUserInfo(LegId leg, std::vector<uint8_t> uui);
    void releaseUserUserInfo(LegId leg);
    LONG checkLineDevStatus(DWORD line, DWORD statusToChange) const;
    void setLineDevStatus(DWORD line, DWORD statusToChange, bool on);

    /// Runs a phone setter that reports into the outbox (see Phone).
    void applyToPhone(DWORD phone, const std::function<LONG(Phone &, std::vector<Event> *)> &setter)
    {
        if (Phone *p = this->phone(phone))
            setter(*p, &out_);
    }

    // ---- transfer and conference (Transfers, Conferences) ----
    /// The conference a leg belongs to, as its conference call or as a
    /// party: the conference call first, then its parties; empty when none.
    std::vector<LegId> conferenceOf(LegId leg) const;
    /// The call a consultation call was set up for (0: none).
    LegId consultedFor(LegId consultation) const;

    // ---- park, pickup, redirect, completion (Parking, Completions) ----
    /// A call parked at a park address: its connection waits there.
    struct ParkedCall {
        ConnectionId connection = 0;
        DWORD line = 0; // where it was parked, for the reminder
        DWORD address = 0;
        uint64_t reminder = 0; // timer
    };
    /// The park addresses and what waits at each (empty: free).
    const std::vector<std::u16string> &parkSlots() const { return parkSlots_; }
    /// The connection parked at an address (0: none or gone).
    ConnectionId parkedAt(std::u16string_view slot) const;
    /// Pending completions, the messages they left and the offered call backs.
    const CompletionBook &completions() const { return completions_; }

    // ---- forwarding and agents (Forwarding, Agents) ----
    /// The external numbers the exchange knows.
    const std::vector<ExternalNumber> &externals() const { return externals_; }
    void setAgentState(DWORD line, DWORD address, DWORD state, DWORD next)
    {
        Agents(*this).setState(line, address, state, next);
    }
    void setAgentActivity(DWORD line, DWORD address, DWORD activity)
    {
        Agents(*this).setActivity(line, address, activity);
    }
    void setAgentGroups(DWORD line, DWORD address, const std::vector<AgentGroupId> &groups)
    {
        Agents(*this).setGroups(line, address, groups);
    }

    // ---- the world outside (control interface) ----
    LegId incomingCall(DWORD line, DWORD address, const PartyId &caller, DWORD mediaMode)
    {
        return FarEnd(*this).calls(line, address, caller, mediaMode);
    }
    LONG remoteAnswer(LegId leg) { return FarEnd(*this).answer(leg); }
    LONG remoteHangUp(LegId leg) { return FarEnd(*this).hangUp(leg); }
    LONG remoteBusy(LegId leg) { return FarEnd(*this).busy(leg); }
    LONG remoteReject(LegId leg) { return FarEnd(*this).reject(leg); }

    // ---- lifetime ----
    /// An application took or gave up a handle to the leg.
    void retain(LegId leg);
    /// Gives up a handle; a sole owner giving up drops a live call. Idle,
    /// unreferenced legs are forgotten.
    void release(LegId leg, bool dropIfLive);
    /// Forgets idle legs that nobody references; disconnected ones nobody
    /// references go idle first. Only for the exchange thread, after it
    /// delivered every event raised so far, so that no leg goes before the
    /// runtime could take a handle to it.
    void collect();

private:
    // The outside world and each group of call features work on the same
    // legs and connections, each in its own class.
    friend class FarEnd;
    friend class Transfers;   // blind and consultation transfer
    friend class Conferences; // conference calls and their parties
    friend class Parking;     // park, unpark, pickup, redirect
    friend class Completions; // call completion
    friend class Forwarding;  // forwarding and do-not-disturb
    friend class Agents;      // agent state, activity and groups
    friend class Predictive;  // predictive calls: hand-over and no-answer time-out

    Leg &newLeg(DWORD line, DWORD address, Connection &c);
    /// The caller's identity as the called side sees it.
    PartyId shownCaller(const Leg &caller) const;
    /// A new outgoing call (not yet announced) with what the caller asked for.
    Leg &outgoingLeg(DWORD line, DWORD address, const MakeCallOptions &options);
    void eraseConnection(Connection &c);
    Connection &newConnection();
    void route(Leg &caller, const std::u16string &digits);
    /// Offers the caller's call at a local address (following its
    /// forwarding, unless the call was forwarded already).
    void ringExtension(Leg &caller, DWORD line, DWORD address, DWORD reason = LINECALLREASON_DIRECT);
    /// Reports ring `count` (LINEDEVSTATE_RINGING) of an offered call in due
    /// time, and the rings after it while the call stays offered.
    void ringFor(LegId leg, DWORD count);
    void connectLegs(Leg &a, Leg &b);
    void disconnectOthers(Leg &from, DWORD mode, const std::vector<uint8_t> &uui);
    void cancelGeneration(Leg &leg);
    /// Removes a leg from its connection and from the exchange.
    void forget(Leg &leg);
    /// Makes room for one more active call at an address by holding a
    /// connected one; false when that is not possible.
    bool roomForActive(DWORD line, DWORD address, LegId except, bool apply);
    bool roomForActiveConst(const Leg &leg) const;
    const LINEADDRESSCAPS &addressCaps(const Leg &leg) const;
    Connection *connection(ConnectionId id);
    PartyId partyOf(const Leg &leg) const;
    /// Moves a leg to a state; the line's phone shows it on its call lamp.
    void setState(Leg &leg, DWORD state, DWORD mode, LegId conference = 0);
    /// Sets the call-appearance lamp of the line's phone from its calls.
    void showOnPhone(DWORD line);

    const Clock &clock_;
    Scheduler &scheduler_;
    std::vector<Event> &out_;
    std::deque<Line> lines_; // a deque: adding a device keeps references valid
    std::deque<Phone> phones_;
    std::vector<ExternalNumber> externals_;
    std::map<LegId, std::unique_ptr<Leg>> legs_;
    std::map<LegId, int> refs_;
    std::map<LegId, std::vector<uint8_t>> pendingUui_; // make-call UUI for the called party
    std::map<ConnectionId, Connection> connections_;
    LegId nextLeg_ = 1;
    ConnectionId nextConnection_ = 1;
    DWORD nextCallId_ = 0x5000;
    std::map<LegId, std::vector<LegId>> conferences_; // conference call → its parties
    std::map<LegId, LegId> consultations_;            // consultation call → the call waiting for it
    std::vector<std::u16string> parkSlots_;
    Millis parkReminder_;
    std::map<std::u16string, ParkedCall, std::less<>> parked_; // park address → call waiting there
    std::map<LegId, PredictiveCall> predictive_;               // predictive calls until they go idle
    CompletionBook completions_;
};

} // namespace exchange

#endif
