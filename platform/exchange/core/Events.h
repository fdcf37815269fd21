// What the exchange reports to the TAPI runtime. Events are produced under the
// exchange's lock in the order things happen and delivered, in that order,
// by the exchange thread alone, with no exchange lock held.
#ifndef DIALWERK_EXCHANGE_CORE_EVENTS_H
#define DIALWERK_EXCHANGE_CORE_EVENTS_H

#include <tapi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace exchange {

/// Identifies one call on one line (one leg of a connection): what TAPI
/// calls a call. Never reused within one exchange.
using LegId = uint32_t;

/// One thing the exchange reports. Which members carry meaning depends on
/// the kind; the factory functions name them.
struct Event {
    enum class Kind {
        RequestDone,   // requestId, result, newLegs, outValue, outText
        LegAppeared,   // leg, device (line), address, mediaMode, state, mode
        LegState,      // leg, state, mode, conference
        LegInfo,       // leg, infoStates
        LegGenerate,   // leg, termination, tick
        LegDigit,      // leg, digit, mode (LINEDIGITMODE_), tick: a digit the far party sent
        LineState,     // device (line), state, param2, param3
        AddressState,  // device (line), address, state
        AgentStatus,   // device (line), address, state (LINEAGENTSTATUS_ bits)
        PhoneState,    // device (phone), state, details
        PhoneButton,   // device (phone), button, mode, buttonState
        DeviceAdded,   // device; phone says which kind
        DeviceRemoved, // device; phone says which kind
        DeviceClosed,  // device; phone says which kind: every open is closed
    };
    Kind kind = Kind::RequestDone;
    uint32_t requestId = 0;
    LONG result = 0;
    /// Calls a request created, in the order of the function's call-handle
    /// out-parameters; nothing is reported about them before RequestDone.
    std::vector<LegId> newLegs;
    std::optional<DWORD> outValue;         // completion id and the like
    std::optional<std::u16string> outText; // a non-directed park address
    LegId leg = 0;
    LegId conference = 0; // the conference leg of a CONFERENCED state
    DWORD device = 0;
    DWORD address = 0;
    DWORD mediaMode = 0;
    DWORD state = 0;      // call, line, address or phone state
    DWORD mode = 0;       // call state mode, button mode
    DWORD infoStates = 0; // LINECALLINFOSTATE_ bits
    DWORD param2 = 0;     // LINE_LINEDEVSTATE dwParam2, phone state details, generate termination, button
    DWORD param3 = 0;     // LINE_LINEDEVSTATE dwParam3, generate tick, button state
    bool phone = false;   // device events: a phone device (else a line device)

    static Event requestDone(uint32_t id, LONG result, std::vector<LegId> newLegs = {})
    {
        Event e;
        e.kind = Kind::RequestDone;
        e.requestId = id;
        e.result = result;
        e.newLegs = std::move(newLegs);
        return e;
    }
    /// A call the applications did not create appeared on a line (incoming,
    /// or the far end of an internal call), with its first state.
    static Event legAppeared(LegId leg, DWORD line, DWORD address, DWORD mediaMode, DWORD state, DWORD mode)
    {
        Event e = ofLeg(Kind::LegAppeared, leg);
        e.device = line;
        e.address = address;
        e.mediaMode = mediaMode;
        e.state = state;
        e.mode = mode;
        return e;
    }
    static Event legState(LegId leg, DWORD state, DWORD mode, LegId conference = 0)
    {
        Event e = ofLeg(Kind::LegState, leg);
        e.state = state;
        e.mode = mode;
        e.conference = conference;
        return e;
    }
    static Event legInfo(LegId leg, DWORD infoStates)
    {
        Event e = ofLeg(Kind::LegInfo, leg);
        e.infoStates = infoStates;
        return e;
    }
    /// Digit generation on a call ended (LINEGENERATETERM_) at `tick` ms.
    static Event legGenerate(LegId leg, DWORD termination, DWORD tick)
    {
        Event e = ofLeg(Kind::LegGenerate, leg);
        e.param2 = termination;
        e.param3 = tick;
        return e;
    }
    /// The far party of a call sent a digit (a character, in `mode`) at `tick` ms.
    static Event legDigit(LegId leg, char16_t digit, DWORD mode, DWORD tick)
    {
        Event e = ofLeg(Kind::LegDigit, leg);
        e.param2 = digit;
        e.mode = mode;
        e.param3 = tick;
        return e;
    }
    static Event lineState(DWORD line, DWORD state, DWORD param2 = 0, DWORD param3 = 0)
    {
        Event e;
        e.kind = Kind::LineState;
        e.device = line;
        e.state = state;
        e.param2 = param2;
        e.param3 = param3;
        return e;
    }
    static Event addressState(DWORD line, DWORD address, DWORD state)
    {
        Event e;
        e.kind = Kind::AddressState;
        e.device = line;
        e.address = address;
        e.state = state;
        return e;
    }
    static Event agentStatus(DWORD line, DWORD address, DWORD changes)
    {
        Event e = addressState(line, address, changes);
        e.kind = Kind::AgentStatus;
        return e;
    }
    static Event phoneState(DWORD phone, DWORD state, DWORD details = 0)
    {
        Event e;
        e.kind = Kind::PhoneState;
        e.device = phone;
        e.state = state;
        e.param2 = details;
        return e;
    }
    static Event phoneButton(DWORD phone, DWORD button, DWORD mode, DWORD buttonState)
    {
        Event e;
        e.kind = Kind::PhoneButton;
        e.device = phone;
        e.param2 = button;
        e.mode = mode;
        e.param3 = buttonState;
        return e;
    }

    /// A line or phone device was added, removed or closed by the exchange.
    static Event deviceChange(Kind kind, DWORD device, bool phone)
    {
        Event e;
        e.kind = kind;
        e.device = device;
        e.phone = phone;
        return e;
    }

private:
    static Event ofLeg(Kind kind, LegId leg)
    {
        Event e;
        e.kind = kind;
        e.leg = leg;
        return e;
    }
};

/// Receiver of the exchange's events (the TAPI runtime). deliver() is called
/// on the exchange thread only, never with the exchange's lock held.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void deliver(const std::vector<Event> &events) = 0;
};

} // namespace exchange

#endif
