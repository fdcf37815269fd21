// Initialisation, message fetch and shutdown, shared by line and phone
// applications (they differ only in their error codes and device counts).
#ifndef DIALWERK_TAPI32_APPLICATIONS_H
#define DIALWERK_TAPI32_APPLICATIONS_H

#include "tapi32/ApiCall.h"

#include <tapi.h>

namespace tapi32 {

/// The error codes of one side of TAPI.
struct SideErrors {
    bool phone;
    LONG invalAppHandle;
    LONG invalPointer;
    LONG incompatibleApiVersion;
    LONG invalParam;
    LONG structureTooSmall;
    LONG operationFailed;
};

extern const SideErrors kLineErrors;
extern const SideErrors kPhoneErrors;

/// lineInitializeExW / phoneInitializeExW in event-handle mode. `params`
/// points to a LINEINITIALIZEEXPARAMS or PHONEINITIALIZEEXPARAMS (same layout).
LONG initializeApp(ApiCall &call, const SideErrors &e, LPDWORD handle, LPCWSTR name, LPDWORD numDevs,
                   LPDWORD apiVersion, LINEINITIALIZEEXPARAMS *params, DWORD useEventOption);

/// lineShutdown / phoneShutdown.
LONG shutdownApp(ApiCall &call, const SideErrors &e, DWORD handle);

/// lineGetMessage / phoneGetMessage (PHONEMESSAGE has LINEMESSAGE's layout).
LONG fetchMessage(const SideErrors &e, DWORD handle, LINEMESSAGE *message, DWORD timeoutMs);

/// True when `handle` is an initialised application of that side.
bool validApp(const SideErrors &e, DWORD handle);

} // namespace tapi32

#endif
