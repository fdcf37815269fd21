// The application's line: after the library's own handling, hands each line
// event to the main window as a private window message (see AppMessages.h).
#pragma once

#include "CTapiLine.h"

class CMyLine : public CTapiLine {
public:
    static const CTapiClass<CTapiLine> classRecord;

    /// Sends WM_TAPI_ADDRESSCHANGED with the address of `addressId` (nothing for an unknown id).
    void OnAddressStateChange(DWORD addressId, DWORD addressState) override;
    /// Sends WM_TAPI_AGENTCHANGED with the address of `addressId` and the status bits.
    void OnAgentStatusChange(DWORD addressId, DWORD agentStatus, DWORD agentState) override;
    /// Sends WM_TAPI_LINECHANGED with this line.
    void OnLineStatusChange(DWORD lineState, DWORD param2, DWORD param3) override;
    /// Sends WM_TAPI_NEWCALL with the new call.
    void OnNewCall(CTapiCall *call) override;
    /// Posts WM_TAPI_LINECREATED with the device id (the session holds its lines lock here).
    void OnDeviceCreated() override;
    /// Posts WM_TAPI_LINEREMOVED with the device id.
    void OnDeviceRemoved() override;
    /// Sends WM_TAPI_LINECLOSING, so the windows forget the line's calls, lets
    /// the library close the line and delete them, then sends WM_TAPI_LINECLOSED.
    void OnClose() override;
};
