// The steps the call commands of the main window share: making the program the
// owner of the calls a request touches, waiting for the request's reply, and
// reporting a failure in the status line under the TAPI function's name.
// User-interface thread only.
#pragma once

#include "TapiPlatform.h"

#include <initializer_list>

class CTapiCall;
class CTapiLine;

/// Call states in which a call waits on hold (0x3400).
inline constexpr DWORD kHeldCallStates =
    LINECALLSTATE_ONHOLD | LINECALLSTATE_ONHOLDPENDCONF | LINECALLSTATE_ONHOLDPENDTRANSFER;
/// Call states in which a call is the active one of its address (0x338).
inline constexpr DWORD kActiveCallStates = LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING | LINECALLSTATE_RINGBACK |
                                           LINECALLSTATE_CONNECTED | LINECALLSTATE_PROCEEDING;

/// Makes the program the owner of each call in turn (lineSetCallPrivilege). The
/// first failure is reported as "lineSetCallPrivilege" and ends the step: false.
bool TakeOwnership(std::initializer_list<CTapiCall *> calls);

/// Waits up to 60000 ms, pumping messages, for the reply of the request that
/// `result` names (a final result is taken as it is) and reports a non-zero
/// outcome under `operation`. Returns the outcome (0xFFFFFFFF: no reply in time).
DWORD WaitAndReport(const char *operation, DWORD result);

/// As WaitAndReport, for the operations that wait for their reply themselves and
/// return TAPI's own result (park, pickup, unpark, the ones that create calls):
/// their reply is already in the request table. A request still without reply
/// has had its 60000 ms and counts as timed out; it is not waited for again.
DWORD ReportStoredOutcome(const char *operation, DWORD result);

/// Whether `call`, taken from `line` with `handle` before a dialog or a wait,
/// still exists with that handle. A call that went idle and was released, or
/// whose line was closed, meanwhile has been deleted and must not be touched.
bool IsCallAlive(const CTapiLine *line, const CTapiCall *call, HCALL handle);
