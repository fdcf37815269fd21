#include "tapi32/CallRequest.h"

#include "tapi32/ApiSupport.h"
#include "tapi32/CallParams.h"
#include "tapi32/InputStruct.h"

namespace tapi32 {

using exchange::LegId;
using exchange::Switchboard;

bool callIdle(LegId leg)
{
    const DWORD state = exchangeOf().legState(leg);
    return state == 0 || state == LINECALLSTATE_IDLE;
}

LONG resolveCall(HCALL hCall, bool ownerOnly, LegId &leg, PendingRequest &pending, bool anyState)
{
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const CallRecord *c = reg.call(hCall);
    if (!c)
        return LINEERR_INVALCALLHANDLE;
    if (ownerOnly && c->privilege != LINECALLPRIVILEGE_OWNER)
        return LINEERR_NOTOWNER;
    leg = c->leg;
    pending.app = c->app;
    pending.line = c->line;
    if (const LineOpenRecord *open = reg.line(c->line))
        pending.device = open->device;
    if (!anyState && callIdle(leg))
        return LINEERR_INVALCALLSTATE;
    return 0;
}

LONG ownedCall(ApiCall &call, HCALL hCall, LegId &leg, PendingRequest &pending)
{
    if (LONG f = call.immediateFault())
        return f;
    return resolveCall(hCall, true, leg, pending);
}

LONG callRequest(ApiCall &call, HCALL hCall, CallCheck check, CallAction action)
{
    LegId leg = 0;
    PendingRequest pending;
    if (LONG r = ownedCall(call, hCall, leg, pending))
        return call.done(r);
    // The handle was valid when the request was made: a call the exchange no
    // longer acts on has gone idle, which is a matter of state.
    auto checkState = [=](const Switchboard &b) {
        const LONG r = check(b, leg);
        return r == LONG(LINEERR_INVALCALLHANDLE) ? LONG(LINEERR_INVALCALLSTATE) : r;
    };
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(tag, checkState, [=](Switchboard &b) { action(b, leg); });
    }));
}

LONG creatingRequest(ApiCall &call, PendingRequest &pending, const LINECALLPARAMS *params, CreatingCheck check,
                     CreatingAction action)
{
    exchange::MakeCallOptions options;
    if (LONG r = readParamsForLine(pending.line, params, options))
        return call.done(r);
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().requestCreating(tag, std::move(check),
                                            [=](Switchboard &b, uint32_t id) { action(b, id, options); });
    }));
}

LONG readText(LPCWSTR text, std::u16string &out, bool allowNull)
{
    if (!text)
        return allowNull ? 0 : LINEERR_INVALPOINTER;
    return readWide(text, out) ? 0 : LINEERR_INVALPOINTER;
}

LONG readParamsForLine(HLINE hLine, const LINECALLPARAMS *params, exchange::MakeCallOptions &out)
{
    DWORD version = 0;
    DWORD device = 0;
    std::u16string appName;
    {
        Registry &reg = runtime().registry();
        std::lock_guard lock(reg.mutex);
        const LineOpenRecord *open = reg.line(hLine);
        if (!open)
            return LINEERR_INVALLINEHANDLE;
        version = open->version;
        device = open->device;
        appName = reg.apps.at(open->app).name;
    }
    CallParams read;
    if (LONG r = exchangeOf().inspect(
            [&](const Switchboard &b) { return readCallParams(params, version, *b.line(device), read); }))
        return r;
    out = read.options;
    out.appName = appName;
    return 0;
}

LONG resolveLine(HLINE hLine, PendingRequest &pending)
{
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    const LineOpenRecord *open = reg.line(hLine);
    if (!open)
        return LINEERR_INVALLINEHANDLE;
    pending.app = open->app;
    pending.line = hLine;
    pending.device = open->device;
    return 0;
}

LONG requestLine(ApiCall &call, HLINE hLine, PendingRequest &pending)
{
    if (LONG f = call.immediateFault())
        return f;
    return resolveLine(hLine, pending);
}

} // namespace tapi32
