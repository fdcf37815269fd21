// The program's words for TAPI result codes: every LINEERR_ and PHONEERR_
// code of TAPI 3.0, the time-out of a wait, and a fall-back for the rest.
#pragma once

#include <QString>

#include <cstdint>

/// The text of a TAPI result: "Request timeout" for 0xFFFFFFFF (a wait that
/// ended without a reply), the LINEERR_ or PHONEERR_ text for a known error
/// code, and "Unknown Error" for everything else (success, request
/// identifiers, codes TAPI does not define).
QString GetErrorText(std::uint32_t code);
