// Answers for functions whose feature the exchange does not carry out.
#include "tapi32/ApiSupport.h"

namespace tapi32 {

LONG unavailableOnCall(ApiCall &call, HCALL hCall, bool ownerOnly)
{
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const CallRecord *c = reg.call(hCall);
    if (!c)
        return call.done(LINEERR_INVALCALLHANDLE);
    if (ownerOnly && c->privilege != LINECALLPRIVILEGE_OWNER)
        return call.done(LINEERR_NOTOWNER);
    return call.done(LINEERR_OPERATIONUNAVAIL);
}

LONG unavailableOnLine(ApiCall &call, HLINE hLine, DWORD addressId)
{
    if (LONG f = syncFault(call))
        return call.done(f);
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const LineOpenRecord *open = reg.line(hLine);
    if (!open)
        return call.done(LINEERR_INVALLINEHANDLE);
    const bool hasAddress = exchangeOf().inspect(
        [&](const exchange::Switchboard &b) { return b.line(open->device)->hasAddress(addressId); });
    return call.done(hasAddress ? LINEERR_OPERATIONUNAVAIL : LINEERR_INVALADDRESSID);
}

} // namespace tapi32
