#include "tapi32/CallParams.h"

#include "tapi32/InputStruct.h"
#include "tapi32/StructWriter.h"

#include <bit>
#include <cstddef>

namespace tapi32 {

LONG readCallParams(const LINECALLPARAMS *params, DWORD apiVersion, const exchange::Line &line, CallParams &out)
{
    out = {};
    if (!params)
        return 0;
    InputStruct s;
    if (LONG r =
            s.read(params, fixedSize(Struct::LineCallParams, apiVersion),
                   {offsetof(LINECALLPARAMS, dwOrigAddressSize), offsetof(LINECALLPARAMS, dwDisplayableAddressSize),
                    offsetof(LINECALLPARAMS, dwCalledPartySize), offsetof(LINECALLPARAMS, dwCommentSize),
                    offsetof(LINECALLPARAMS, dwUserUserInfoSize), offsetof(LINECALLPARAMS, dwHighLevelCompSize),
                    offsetof(LINECALLPARAMS, dwLowLevelCompSize), offsetof(LINECALLPARAMS, dwDevSpecificSize),
                    offsetof(LINECALLPARAMS, dwTargetAddressSize), offsetof(LINECALLPARAMS, dwSendingFlowspecSize),
                    offsetof(LINECALLPARAMS, dwReceivingFlowspecSize), offsetof(LINECALLPARAMS, dwDeviceClassSize),
                    offsetof(LINECALLPARAMS, dwDeviceConfigSize), offsetof(LINECALLPARAMS, dwCallDataSize),
                    offsetof(LINECALLPARAMS, dwCallingPartyIDSize)},
                   LINEERR_STRUCTURETOOSMALL, LINEERR_INVALCALLPARAMS))
        return r;
    const LINEDEVCAPS &caps = line.config().caps;
    exchange::MakeCallOptions &o = out.options;

    const DWORD bearer = s.dword(offsetof(LINECALLPARAMS, dwBearerMode));
    if (bearer != 0) {
        if (!std::has_single_bit(bearer) || !(caps.dwBearerModes & bearer))
            return LINEERR_INVALBEARERMODE;
        o.bearerMode = bearer;
    }
    const DWORD media = s.dword(offsetof(LINECALLPARAMS, dwMediaMode));
    if (media != 0) {
        if ((media & ~caps.dwMediaModes) != 0)
            return LINEERR_INVALMEDIAMODE;
        o.mediaMode = media;
    }
    constexpr DWORD knownFlags = 0xFF; // LINECALLPARAMFLAGS_SECURE .. ONESTEPTRANSFER
    o.callParamFlags = s.dword(offsetof(LINECALLPARAMS, dwCallParamFlags));
    if (o.callParamFlags & ~knownFlags)
        return LINEERR_INVALCALLPARAMS;

    switch (s.dword(offsetof(LINECALLPARAMS, dwAddressMode))) {
    case 0:
    case LINEADDRESSMODE_ADDRESSID:
        out.addressId = s.dword(offsetof(LINECALLPARAMS, dwAddressID));
        if (!line.hasAddress(out.addressId))
            return LINEERR_INVALADDRESSID;
        break;
    case LINEADDRESSMODE_DIALABLEADDR: {
        const std::u16string orig = s.text(offsetof(LINECALLPARAMS, dwOrigAddressSize));
        bool found = false;
        for (DWORD a = 0; a < line.addressCount() && !found; ++a) {
            if (line.address(a).number == orig) {
                out.addressId = a;
                found = true;
            }
        }
        if (!found)
            return LINEERR_INVALADDRESS;
        break;
    }
    default:
        return LINEERR_INVALADDRESSMODE;
    }

    // Predictive dialing: only where the address offers it, and only with
    // states and a time-out the address advertises.
    const LINEADDRESSCAPS &addressCaps = line.address(out.addressId).caps;
    if ((o.callParamFlags & LINECALLPARAMFLAGS_PREDICTIVEDIAL) &&
        !(addressCaps.dwAddrCapFlags & LINEADDRCAPFLAGS_PREDICTIVEDIALER))
        return LINEERR_INVALCALLPARAMS;
    if (fixedSize(Struct::LineCallParams, apiVersion) > offsetof(LINECALLPARAMS, dwNoAnswerTimeout)) {
        exchange::PredictiveDial &p = o.predictive;
        p.autoTransferStates = s.dword(offsetof(LINECALLPARAMS, dwPredictiveAutoTransferStates));
        p.target = s.text(offsetof(LINECALLPARAMS, dwTargetAddressSize));
        p.noAnswerTimeout = s.dword(offsetof(LINECALLPARAMS, dwNoAnswerTimeout));
        if ((p.autoTransferStates & ~addressCaps.dwPredictiveAutoTransferStates) != 0 ||
            p.noAnswerTimeout > addressCaps.dwMaxNoAnswerTimeout)
            return LINEERR_INVALCALLPARAMS;
    }

    o.userUserInfo = s.bytes(offsetof(LINECALLPARAMS, dwUserUserInfoSize));
    if (o.userUserInfo.size() > caps.dwUUIMakeCallSize)
        return LINEERR_USERUSERINFOTOOBIG;
    o.callData = s.bytes(offsetof(LINECALLPARAMS, dwCallDataSize));
    o.callingPartyId = s.text(offsetof(LINECALLPARAMS, dwCallingPartyIDSize));
    return 0;
}

} // namespace tapi32
