// Names and texts of devices as the dialer shows them, read from the structures
// a provider fills. A null structure stands for one that could not be read.
#ifndef DIALWERK_TAPI_TAPIDEVICETEXTS_H
#define DIALWERK_TAPI_TAPIDEVICETEXTS_H

#include "TapiPlatform.h"

/// The line's name; "Line unavailable" without capabilities, "Line unnamed" when the
/// name is absent or lies outside the structure.
tapi_string TapiLineNameOf(const LINEDEVCAPS *caps);

/// The address string; "Address unknown" without one.
tapi_string TapiAddressNameOf(const LINEADDRESSCAPS *caps);

/// The phone's name; "Phone unavailable" without capabilities, "Phone unnamed" without a name.
tapi_string TapiPhoneNameOf(const PHONECAPS *caps);

/// The phone's display: UTF-16 up to its first zero when the first character is followed
/// by a zero byte, otherwise 8-bit text in the program's code page (TapiCodePage.h) with
/// every byte of the field kept (trailing zeros dropped, inner ones shown as blanks);
/// empty without a display.
tapi_string TapiPhoneDisplayOf(const PHONESTATUS *status);

/// The mode of lamp `lampId` (an index into the status's array of lamp modes);
/// PHONELAMPMODE_UNKNOWN when the lamp lies outside the array or the structure.
DWORD TapiLampModeOf(const PHONESTATUS *status, DWORD lampId);

#endif
