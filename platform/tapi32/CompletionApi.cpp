// Call completion: camp on, call back, intrude and message.
#include "tapi32/ApiSupport.h"
#include "tapi32/CallRequest.h"

#include <exchange/features/Completions.h>

using namespace tapi32;
using exchange::Completions;
using exchange::LegId;
using exchange::Switchboard;

extern "C" {

LONG WINAPI lineCompleteCall(HCALL hCall, LPDWORD lpdwCompletionID, DWORD dwCompletionMode, DWORD dwMessageID)
{
    ApiCall call("lineCompleteCall");
    call.num("hCall", hCall).ptr("lpdwCompletionID", lpdwCompletionID);
    call.num("dwCompletionMode", dwCompletionMode).num("dwMessageID", dwMessageID);
    LegId leg = 0;
    PendingRequest pending;
    if (LONG r = ownedCall(call, hCall, leg, pending))
        return call.done(r);
    if (!lpdwCompletionID)
        return call.done(LINEERR_INVALPOINTER);
    // The id is written when the reply is fetched, and only on success.
    pending.outValue = lpdwCompletionID;
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().requestCreating(
            tag, [=](const Switchboard &b) { return b.completions().check(leg, dwCompletionMode, dwMessageID); },
            [=](Switchboard &b, uint32_t id) { b.completions().complete(id, leg, dwCompletionMode, dwMessageID); });
    }));
}

} // extern "C"
