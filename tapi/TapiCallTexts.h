// Display texts of call states, state modes, call features and the parties of a
// call, as a test engineer reads them in the call display.
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

/// The parties of a call whose number and name the call information carries.
enum class TapiCallParty { Caller, Called, Connected, Redirecting, Redirection };

/// Which text of a party: its number (address) or its name.
enum class TapiPartyItem { Number, Name };

/// The number or name of a party when the call information's flags of that party say
/// it is there (LINECALLPARTYID_ADDRESS, LINECALLPARTYID_NAME); empty otherwise, for a
/// null structure, or when the text lies outside the structure.
tapi_string TapiCallPartyText(const LINECALLINFO *info, TapiCallParty party, TapiPartyItem item);

#endif
