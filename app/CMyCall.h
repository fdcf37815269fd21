// The application's call: after the library's own handling, tells the main
// window that the call changed, and draws attention to the button of the
// call information that changed.
#pragma once

#include "CTapiCall.h"

class CMyCall : public CTapiCall {
public:
    static const CTapiClass<CTapiCall> classRecord;

    /// Posts WM_FLASH_CONTROL once for each changed group (user-user
    /// information, ISDN information, quality of service, call data), then
    /// sends WM_TAPI_CALLCHANGED. Nothing without a live main window.
    void OnInfoChange(DWORD infoState) override;
    /// Sends WM_TAPI_CALLCHANGED; the new state is already stored.
    void OnStateChange(DWORD state, DWORD stateDetail, DWORD privilege) override;
    /// Sends WM_TAPI_CALLCHANGED.
    void OnMediaModeChange(DWORD mediaMode) override;
};
