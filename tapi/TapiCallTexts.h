// Display texts of call states, state modes and call features, as a test
// engineer reads them in the call display.
#ifndef DIALWERK_TAPI_TAPICALLTEXTS_H
#define DIALWERK_TAPI_TAPICALLTEXTS_H

#include "TapiPlatform.h"

/// "Connected", "On Hold", ...; "Unknown" for LINECALLSTATE_UNKNOWN, 0, combinations and other values.
tapi_string TapiCallStateName(DWORD state);

/// "(Active)", "(Busy)", ... for the exact mode value of a state that has modes; otherwise empty.
tapi_string TapiStateModeText(DWORD state, DWORD mode);

/// "LCF_..." lines for every call feature bit (or "LCF_NONE"), an empty line, then
/// "LCF2_..." lines (or "LCF2_NONE"); every line ends with "\r\n".
tapi_string TapiCallFeaturesText(DWORD features, DWORD features2);

#endif
