// The words of the call display for LINECALLINFO values: call type (reason),
// direction (origin) and media mode.
#pragma once

#include "TapiPlatform.h"

#include <QString>

/// "Direct", "FwdBusy", ... for exactly one LINECALLREASON_ bit; "Unknown" otherwise.
QString CallTypeText(DWORD reason);

/// "Conference", "Outbound", "Inbound" or "Unavail", with "/Int" or "/Ext"
/// appended for internal or external calls; "Unknown" when none applies.
QString CallDirectionText(DWORD origin);

/// "Voice", "Modem", ... for exactly one media mode (LINEMEDIAMODE_UNKNOWN
/// ignored); "Unknown" for none or several.
QString MediaModeText(DWORD mediaMode);
