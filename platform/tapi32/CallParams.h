// LINECALLPARAMS as lineMakeCallW receives it: checked against its own
// sizes and the line's capabilities, then reduced to what the exchange uses.
#ifndef DIALWERK_TAPI32_CALLPARAMS_H
#define DIALWERK_TAPI32_CALLPARAMS_H

#include <exchange/Switchboard.h>

#include <tapi.h>

namespace tapi32 {

struct CallParams {
    DWORD addressId = 0;
    exchange::MakeCallOptions options;
};

/// Reads `params` (may be null: defaults) for a line with `caps` and its
/// addresses. Answers 0 or LINEERR_STRUCTURETOOSMALL, LINEERR_INVALCALLPARAMS,
/// LINEERR_INVALBEARERMODE, LINEERR_INVALMEDIAMODE, LINEERR_INVALADDRESSMODE,
/// LINEERR_INVALADDRESSID, LINEERR_INVALADDRESS or LINEERR_USERUSERINFOTOOBIG.
LONG readCallParams(const LINECALLPARAMS *params, DWORD apiVersion, const exchange::Line &line, CallParams &out);

} // namespace tapi32

#endif
