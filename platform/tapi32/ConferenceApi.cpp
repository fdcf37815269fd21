// Conference calls: set-up, adding and removing parties, related calls.
#include "tapi32/ApiSupport.h"
#include "tapi32/CallRequest.h"
#include "tapi32/StructWriter.h"

#include <exchange/features/Conferences.h>

#include <cstddef>

using namespace tapi32;
using exchange::Conferences;
using exchange::LegId;
using exchange::Switchboard;

namespace {

/// Whether a leg is a call on a line device.
bool onDevice(LegId leg, DWORD device)
{
    return exchangeOf().inspect([&](const Switchboard &b) {
        const exchange::Leg *l = b.leg(leg);
        return l && l->line() == device;
    });
}

} // namespace

extern "C" {

LONG WINAPI lineSetupConferenceW(HCALL hCall, HLINE hLine, LPHCALL lphConfCall, LPHCALL lphConsultCall,
                                 DWORD dwNumParties, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineSetupConferenceW");
    call.num("hCall", hCall).num("hLine", hLine).ptr("lphConfCall", lphConfCall).ptr("lphConsultCall", lphConsultCall);
    call.num("dwNumParties", dwNumParties).structure("lpCallParams", lpCallParams);
    if (LONG f = call.immediateFault())
        return call.done(f);
    // With a call, the conference is set up on that call's line; without
    // one, on the line given.
    LegId leg = 0;
    PendingRequest pending;
    if (LONG r = hCall ? resolveCall(hCall, true, leg, pending) : resolveLine(hLine, pending))
        return call.done(r);
    if (!lphConfCall || !lphConsultCall)
        return call.done(LINEERR_INVALPOINTER);
    pending.outCalls[0] = lphConfCall;
    pending.outCalls[1] = lphConsultCall;
    const DWORD device = pending.device;
    return creatingRequest(
        call, pending, lpCallParams,
        [=](const Switchboard &b) { return b.conferences().checkSetup(leg, device, 0, dwNumParties); },
        [=](Switchboard &b, uint32_t id, const exchange::MakeCallOptions &o) {
            b.conferences().setup(id, leg, device, 0, o);
        });
}

LONG WINAPI linePrepareAddToConferenceW(HCALL hConfCall, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("linePrepareAddToConferenceW");
    call.num("hConfCall", hConfCall).ptr("lphConsultCall", lphConsultCall).structure("lpCallParams", lpCallParams);
    if (LONG f = call.immediateFault())
        return call.done(f);
    LegId conf = 0;
    PendingRequest pending;
    if (LONG r = resolveCall(hConfCall, true, conf, pending))
        return call.done(r == LONG(LINEERR_INVALCALLHANDLE) ? LONG(LINEERR_INVALCONFCALLHANDLE) : r);
    if (!lphConsultCall)
        return call.done(LINEERR_INVALPOINTER);
    pending.outCalls[0] = lphConsultCall;
    return creatingRequest(
        call, pending, lpCallParams, [=](const Switchboard &b) { return b.conferences().checkPrepareAdd(conf); },
        [=](Switchboard &b, uint32_t id, const exchange::MakeCallOptions &o) {
            b.conferences().prepareAdd(id, conf, o);
        });
}

LONG WINAPI lineAddToConference(HCALL hConfCall, HCALL hConsultCall)
{
    ApiCall call("lineAddToConference");
    call.num("hConfCall", hConfCall).num("hConsultCall", hConsultCall);
    if (LONG f = call.immediateFault())
        return call.done(f);
    LegId conf = 0, added = 0;
    PendingRequest pending, other;
    if (LONG r = resolveCall(hConfCall, true, conf, pending))
        return call.done(r == LONG(LINEERR_INVALCALLHANDLE) ? LONG(LINEERR_INVALCONFCALLHANDLE) : r);
    if (LONG r = resolveCall(hConsultCall, true, added, other))
        return call.done(r == LONG(LINEERR_INVALCALLHANDLE) ? LONG(LINEERR_INVALCONSULTCALLHANDLE) : r);
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(
            tag,
            [=](const Switchboard &b) {
                const LONG r = b.conferences().checkAdd(conf, added);
                return r == LONG(LINEERR_INVALCALLHANDLE) ? LINEERR_INVALCONSULTCALLHANDLE : r;
            },
            [=](Switchboard &b) { b.conferences().add(conf, added); });
    }));
}

LONG WINAPI lineRemoveFromConference(HCALL hCall)
{
    ApiCall call("lineRemoveFromConference");
    call.num("hCall", hCall);
    return callRequest(
        call, hCall, [](const Switchboard &b, LegId leg) { return b.conferences().checkRemove(leg); },
        [](Switchboard &b, LegId leg) { b.conferences().remove(leg); });
}

LONG WINAPI lineGetConfRelatedCalls(HCALL hCall, LPLINECALLLIST lpCallList)
{
    ApiCall call("lineGetConfRelatedCalls");
    call.num("hCall", hCall).ptr("lpCallList", lpCallList);
    if (LONG f = call.immediateFault())
        return call.done(f);
    std::vector<HCALL> handles;
    std::optional<DWORD> device;
    {
        Registry &reg = runtime().registry();
        std::lock_guard lock(reg.mutex);
        const CallRecord *c = reg.call(hCall);
        if (!c)
            return call.done(LINEERR_INVALCALLHANDLE);
        const std::vector<LegId> legs =
            exchangeOf().inspect([&](const Switchboard &b) { return b.conferences().conferenceOf(c->leg); });
        if (legs.empty())
            return call.done(LINEERR_NOCONFERENCE);
        // The conference call first, then its parties; the application
        // becomes a monitor of those it holds no handle for yet.
        const LineOpenRecord *open = reg.line(c->line);
        if (open)
            device = open->device;
        for (LegId leg : legs) {
            HCALL h = reg.callOf(c->line, leg);
            if (!h && open && onDevice(leg, open->device)) {
                h = reg.addCall(*open, leg, LINECALLPRIVILEGE_MONITOR);
                if (h)
                    reg.announceHolders(leg, LINECALLINFOSTATE_NUMMONITORS, h);
            }
            if (h)
                handles.push_back(h);
        }
    }
    LINECALLLIST fixed{};
    fixed.dwCallsNumEntries = DWORD(handles.size());
    exchange::VarStruct answer = exchange::VarStruct::of(fixed);
    answer.addBytes(offsetof(LINECALLLIST, dwCallsSize), handles.data(), handles.size() * sizeof(HCALL));
    return call.done(writeStruct(lpCallList, answer, sizeof(LINECALLLIST), call.structFaults(device)));
}

} // extern "C"
