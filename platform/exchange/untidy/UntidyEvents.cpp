#include "exchange/untidy/UntidyEvents.h"

#include "exchange/core/Core.h"

namespace exchange {

std::optional<DWORD> otherMode(DWORD state, DWORD mode)
{
    switch (state) {
    case LINECALLSTATE_OFFERING:
        return mode == LINEOFFERINGMODE_ACTIVE ? LINEOFFERINGMODE_INACTIVE : LINEOFFERINGMODE_ACTIVE;
    case LINECALLSTATE_DIALTONE:
        return mode == LINEDIALTONEMODE_NORMAL ? LINEDIALTONEMODE_INTERNAL : LINEDIALTONEMODE_NORMAL;
    case LINECALLSTATE_BUSY:
        return mode == LINEBUSYMODE_STATION ? LINEBUSYMODE_TRUNK : LINEBUSYMODE_STATION;
    case LINECALLSTATE_CONNECTED:
        return mode == LINECONNECTEDMODE_ACTIVE ? LINECONNECTEDMODE_CONFIRMED : LINECONNECTEDMODE_ACTIVE;
    case LINECALLSTATE_DISCONNECTED:
        return mode == LINEDISCONNECTMODE_UNKNOWN ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_UNKNOWN;
    default:
        return std::nullopt;
    }
}

namespace {

// Whether a later event of the batch reports another state of the same leg.
bool laterState(const std::vector<Event> &events, size_t index)
{
    for (size_t i = index + 1; i < events.size(); ++i)
        if (events[i].kind == Event::Kind::LegState && events[i].leg == events[index].leg)
            return true;
    return false;
}

} // namespace

std::vector<Event> untidyEvents(std::vector<Event> events, std::string_view function, Core &core,
                                const Clock &clock, UntidyOptions &options)
{
    std::vector<Event> out;
    out.reserve(events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        const Event &e = events[i];
        if (e.kind != Event::Kind::LegState) {
            out.push_back(e);
            const bool phoneEvent = e.kind == Event::Kind::PhoneState || e.kind == Event::Kind::PhoneButton;
            if (phoneEvent && options.applies(Untidy::ProviderClose, {}, e.device))
                out.push_back(Event::deviceChange(Event::Kind::DeviceClosed, e.device, true));
            continue;
        }
        const Leg *leg = core.leg(e.leg);
        const std::optional<DWORD> line = leg ? std::optional<DWORD>(leg->line()) : std::nullopt;
        if (options.applies(Untidy::UnknownStates, function, line))
            out.push_back(Event::legState(e.leg, LINECALLSTATE_UNKNOWN, 0));
        out.push_back(e);
        if (options.applies(Untidy::RepeatedStates, function, line))
            out.push_back(e);
        // The mode changes on the leg itself, so only where the event is the
        // leg's present state and no later one of this batch replaces it.
        // The question is asked either way: how events fall into batches
        // must not change the random mode's choices.
        const std::optional<DWORD> mode = otherMode(e.state, e.mode);
        if (mode && options.applies(Untidy::ModeChanges, function, line)) {
            Leg *live = core.leg(e.leg);
            if (live && !live->idle() && live->state() == e.state && live->mode() == e.mode && !laterState(events, i))
                live->setState(e.state, *mode, clock, out, e.conference);
        }
        // A close "at any moment" comes after call events; rules for one
        // function close while that function's request is pending instead.
        if (line && options.applies(Untidy::ProviderClose, {}, line))
            out.push_back(Event::deviceChange(Event::Kind::DeviceClosed, *line, false));
    }
    return out;
}

} // namespace exchange
