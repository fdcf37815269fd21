// The call-state and closing options applied to a batch of events on its
// way to the runtime: repeated states, LINECALLSTATE_UNKNOWN before a state,
// a mode that changes while the state stays, and a provider close after a
// call event.
#ifndef DIALWERK_EXCHANGE_UNTIDY_UNTIDYEVENTS_H
#define DIALWERK_EXCHANGE_UNTIDY_UNTIDYEVENTS_H

#include "exchange/core/Clock.h"
#include "exchange/core/Events.h"
#include "exchange/untidy/UntidyOptions.h"

#include <string>
#include <vector>

namespace exchange {

class Core;

/// Events [from, to) of a batch that a request of `function` caused.
struct EventCause {
    size_t from = 0;
    size_t to = 0;
    std::string function;
};

/// Rewrites one batch as an untidy provider would send it. Runs under the
/// exchange's lock: a mode change is made on the leg too (when the event is
/// the leg's latest state), so that the call status agrees with it.
std::vector<Event> untidyEvents(std::vector<Event> events, const std::vector<EventCause> &causes, Core &core,
                                const Clock &clock, UntidyOptions &options);

/// Another mode of the same state, for the states that have modes.
std::optional<DWORD> otherMode(DWORD state, DWORD mode);

} // namespace exchange

#endif
