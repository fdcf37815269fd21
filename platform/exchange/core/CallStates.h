// The call states a leg may move between. Every state change of the
// exchange goes through Core::setState, which checks it against this table
// (an assertion in debug builds), so a feature module cannot invent a
// sequence that no provider reports.
#ifndef DIALWERK_EXCHANGE_CORE_CALLSTATES_H
#define DIALWERK_EXCHANGE_CORE_CALLSTATES_H

#include <tapi.h>

namespace exchange {

/// The states a leg in `from` may move to next (LINECALLSTATE_ bits); a leg
/// not yet in any state is `from` 0. IDLE is final.
DWORD nextCallStates(DWORD from);

/// Whether a leg may move from `from` to `to`.
inline bool allowedTransition(DWORD from, DWORD to)
{
    return (nextCallStates(from) & to) != 0;
}

} // namespace exchange

#endif
