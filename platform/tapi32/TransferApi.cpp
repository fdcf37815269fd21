// Transfer: blind transfer, consultation transfer and its completion.
#include "tapi32/ApiSupport.h"
#include "tapi32/CallRequest.h"

#include <exchange/features/Transfers.h>

using namespace tapi32;
using exchange::LegId;
using exchange::Switchboard;
using exchange::Transfers;

extern "C" {

LONG WINAPI lineBlindTransferW(HCALL hCall, LPCWSTR lpszDestAddressW, DWORD dwCountryCode)
{
    ApiCall call("lineBlindTransferW");
    call.num("hCall", hCall).text("lpszDestAddressW", lpszDestAddressW).num("dwCountryCode", dwCountryCode);
    std::u16string dest;
    if (LONG r = readText(lpszDestAddressW, dest, false))
        return call.done(r);
    return callRequest(
        call, hCall, [=](const Switchboard &b, LegId leg) { return b.transfers().checkBlindTransfer(leg, dest); },
        [=](Switchboard &b, LegId leg) { b.transfers().blindTransfer(leg, dest); });
}

LONG WINAPI lineSetupTransferW(HCALL hCall, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineSetupTransferW");
    call.num("hCall", hCall).ptr("lphConsultCall", lphConsultCall).structure("lpCallParams", lpCallParams);
    LegId leg = 0;
    PendingRequest pending;
    if (LONG r = ownedCall(call, hCall, leg, pending))
        return call.done(r);
    if (!lphConsultCall)
        return call.done(LINEERR_INVALPOINTER);
    pending.outCalls[0] = lphConsultCall;
    return creatingRequest(
        call, pending, lpCallParams, [=](const Switchboard &b) { return b.transfers().checkSetupTransfer(leg); },
        [=](Switchboard &b, uint32_t id, const exchange::MakeCallOptions &o) {
            b.transfers().setupTransfer(id, leg, o);
        });
}

LONG WINAPI lineCompleteTransfer(HCALL hCall, HCALL hConsultCall, LPHCALL lphConfCall, DWORD dwTransferMode)
{
    ApiCall call("lineCompleteTransfer");
    call.num("hCall", hCall).num("hConsultCall", hConsultCall).ptr("lphConfCall", lphConfCall);
    call.num("dwTransferMode", dwTransferMode);
    if (LONG f = call.immediateFault())
        return call.done(f);
    LegId held = 0, consultation = 0;
    PendingRequest pending, other;
    if (LONG r = resolveCall(hCall, true, held, pending))
        return call.done(r);
    if (LONG r = resolveCall(hConsultCall, true, consultation, other))
        return call.done(r == LONG(LINEERR_INVALCALLHANDLE) ? LONG(LINEERR_INVALCONSULTCALLHANDLE) : r);
    if (dwTransferMode != LINETRANSFERMODE_TRANSFER && dwTransferMode != LINETRANSFERMODE_CONFERENCE)
        return call.done(LINEERR_INVALTRANSFERMODE);
    if (dwTransferMode == LINETRANSFERMODE_CONFERENCE) {
        if (!lphConfCall)
            return call.done(LINEERR_INVALPOINTER);
        pending.outCalls[0] = lphConfCall;
    }
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().requestCreating(
            tag,
            [=](const Switchboard &b) {
                return b.transfers().checkCompleteTransfer(held, consultation, dwTransferMode);
            },
            [=](Switchboard &b, uint32_t id) {
                b.transfers().completeTransfer(id, held, consultation, dwTransferMode);
            });
    }));
}

} // extern "C"
