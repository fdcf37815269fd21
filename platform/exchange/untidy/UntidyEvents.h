// The call-state and closing options applied to a batch of events on its
// way to the runtime: repeated states, LINECALLSTATE_UNKNOWN before a state,
// a mode that changes while the state stays, and a provider close after a
// call event.
#ifndef DIALWERK_EXCHANGE_UNTIDY_UNTIDYEVENTS_H
#define DIALWERK_EXCHANGE_UNTIDY_UNTIDYEVENTS_H

#include "exchange/core/Clock.h"
#include "exchange/core/Events.h"
#include "exchange/untidy/UntidyOptions.h"

#include <string_view>
#include <vector>

namespace exchange {

class Core;

/// Rewrites the events one piece of work raised (a request of `function`,
/// or none) as an untidy provider would send them. Runs under the
/// exchange's lock right after that work: a mode change is made on the leg
/// too (when the event is the leg's latest state), so that the call status
/// agrees with it.
std::vector<Event> untidyEvents(std::vector<Event> events, std::string_view function, Core &core,
                                const Clock &clock, UntidyOptions &options);

/// Another mode of the same state, for the states that have modes.
std::optional<DWORD> otherMode(DWORD state, DWORD mode);

} // namespace exchange

#endif
