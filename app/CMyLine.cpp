#include <app/CMyLine.h>

#include <app/AppMessages.h>
#include <app/CMainApp.h>

#include <window/Messages.h>

const CTapiClass<CTapiLine> CMyLine::classRecord{"CMyLine", &TapiCreate<CMyLine, CTapiLine>};

namespace {

// The event thread stands still until the main window has handled these.
void SendToMainWindow(win::UINT message, win::WPARAM wParam, win::LPARAM lParam = 0)
{
    win::SendMessage(GetMainApp().GetMainWindowHandle(), message, wParam, lParam);
}

void PostToMainWindow(win::UINT message, win::WPARAM wParam)
{
    win::PostMessage(GetMainApp().GetMainWindowHandle(), message, wParam, 0);
}

} // namespace

void CMyLine::OnAddressStateChange(DWORD addressId, DWORD addressState)
{
    CTapiLine::OnAddressStateChange(addressId, addressState);
    if (CTapiAddress *address = GetAddress(addressId))
        SendToMainWindow(WM_TAPI_ADDRESSCHANGED, ObjectParam(address), addressState);
}

void CMyLine::OnAgentStatusChange(DWORD addressId, DWORD agentStatus, DWORD agentState)
{
    CTapiLine::OnAgentStatusChange(addressId, agentStatus, agentState);
    if (CTapiAddress *address = GetAddress(addressId))
        SendToMainWindow(WM_TAPI_AGENTCHANGED, ObjectParam(address), agentStatus);
}

void CMyLine::OnLineStatusChange(DWORD lineState, DWORD param2, DWORD param3)
{
    CTapiLine::OnLineStatusChange(lineState, param2, param3);
    SendToMainWindow(WM_TAPI_LINECHANGED, ObjectParam(this));
}

void CMyLine::OnNewCall(CTapiCall *call)
{
    CTapiLine::OnNewCall(call);
    SendToMainWindow(WM_TAPI_NEWCALL, ObjectParam(call));
}

void CMyLine::OnDeviceCreated()
{
    CTapiLine::OnDeviceCreated();
    PostToMainWindow(WM_TAPI_LINECREATED, GetDeviceID());
}

void CMyLine::OnDeviceRemoved()
{
    CTapiLine::OnDeviceRemoved();
    PostToMainWindow(WM_TAPI_LINEREMOVED, GetDeviceID());
}

void CMyLine::OnClose()
{
    // The library deletes the call objects here, on the event thread when TAPI
    // closed the line; the main window holds pointers to them and must let go
    // first, so one message goes before the library's part. The window shows
    // the line closed only after the second, when the line is closed indeed.
    SendToMainWindow(WM_TAPI_LINECLOSING, ObjectParam(this));
    CTapiLine::OnClose();
    SendToMainWindow(WM_TAPI_LINECLOSED, ObjectParam(this));
}
