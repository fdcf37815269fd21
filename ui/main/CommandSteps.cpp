#include <ui/main/CommandSteps.h>

#include <app/ResultReporting.h>

#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "CTapiRequest.h"

bool TakeOwnership(std::initializer_list<CTapiCall *> calls)
{
    for (CTapiCall *call : calls) {
        const DWORD result = call->SetCallPrivilege(LINECALLPRIVILEGE_OWNER);
        if (result != 0) {
            ReportResult("lineSetCallPrivilege", result);
            return false;
        }
    }
    return true;
}

DWORD WaitAndReport(const char *operation, DWORD result)
{
    const DWORD outcome = GetTapiConnection()->WaitForReply(result, kTapiReplyTimeout);
    if (outcome != 0)
        ReportResult(operation, outcome);
    return outcome;
}

DWORD ReportStoredOutcome(const char *operation, DWORD result)
{
    DWORD outcome = result;
    if (IsTapiRequestId(result)) {
        // Cancelled requests leave the table; like pending ones they ended without a reply.
        const auto entry = GetTapiConnection()->FindRequest(result);
        outcome = entry && !entry->IsPending() ? entry->GetResult() : kTapiNoReply;
    }
    if (outcome != 0)
        ReportResult(operation, outcome);
    return outcome;
}

bool IsCallAlive(const CTapiLine *line, const CTapiCall *call, HCALL handle)
{
    return line && handle != 0 && line->FindCall(handle) == call;
}
