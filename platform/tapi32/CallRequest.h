// The common steps of functions that act on a call: resolving the handle
// with its privilege, and issuing an asynchronous request for it.
#ifndef DIALWERK_TAPI32_CALLREQUEST_H
#define DIALWERK_TAPI32_CALLREQUEST_H

#include "tapi32/ApiCall.h"
#include "tapi32/Registry.h"

#include <exchange/Switchboard.h>

#include <functional>
#include <string>

namespace tapi32 {

using CallCheck = std::function<LONG(const exchange::Switchboard &, exchange::LegId)>;
using CallAction = std::function<void(exchange::Switchboard &, exchange::LegId)>;

/// Whether a call has ended: idle, or no longer known to the exchange.
bool callIdle(exchange::LegId leg);

/// Resolves a call handle for an operation: answers 0 with its leg and a
/// pending request for its holder, or the handle or privilege error. A handle
/// stays valid after its call went idle; operations on it then answer
/// LINEERR_INVALCALLSTATE, unless `anyState` (those that work in every state).
LONG resolveCall(HCALL hCall, bool ownerOnly, exchange::LegId &leg, PendingRequest &pending, bool anyState = false);

/// The first steps of a request on a call the application must own: an
/// injected immediate fault, then the handle and its privilege. Answers 0
/// with the leg and its pending request, or the error.
LONG ownedCall(ApiCall &call, HCALL hCall, exchange::LegId &leg, PendingRequest &pending);

/// An asynchronous operation on a call the application owns: `check` runs
/// now and again when the exchange carries it out, then `action`.
LONG callRequest(ApiCall &call, HCALL hCall, CallCheck check, CallAction action);

/// Reads the call parameters of a call to be made on an open line (a
/// consultation call) as lineMakeCall would; answers 0 or the error.
LONG readParamsForLine(HLINE hLine, const LINECALLPARAMS *params, exchange::MakeCallOptions &out);

using CreatingCheck = std::function<LONG(const exchange::Switchboard &)>;
using CreatingAction =
    std::function<void(exchange::Switchboard &, uint32_t requestId, const exchange::MakeCallOptions &)>;

/// An asynchronous request that creates calls (their out handles already in
/// `pending`) on the pending request's line, with call parameters read as
/// lineMakeCall reads them: `check` runs now and again when the exchange
/// carries it out, then `action`. Answers the request id or the error.
LONG creatingRequest(ApiCall &call, PendingRequest &pending, const LINECALLPARAMS *params, CreatingCheck check,
                     CreatingAction action);

/// Resolves an open line for a request that creates calls on it.
LONG resolveLine(HLINE hLine, PendingRequest &pending);

/// The first steps of a request on an open line: an injected immediate
/// fault, then the line handle. Answers 0 with the pending request, or the
/// error.
LONG requestLine(ApiCall &call, HLINE hLine, PendingRequest &pending);

/// Reads an application's text argument (null allowed when `allowNull`);
/// answers 0 or LINEERR_INVALPOINTER.
LONG readText(LPCWSTR text, std::u16string &out, bool allowNull);

} // namespace tapi32

#endif
