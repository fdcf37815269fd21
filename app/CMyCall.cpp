#include <app/CMyCall.h>

#include <app/AppMessages.h>
#include <app/CMainApp.h>

#include <resources/resource.h>
#include <window/Messages.h>

#include <vector>

const CTapiClass<CTapiCall> CMyCall::classRecord{"CMyCall", &TapiCreate<CMyCall, CTapiCall>};

namespace {

constexpr DWORD kIsdnInfoStates =
    LINECALLINFOSTATE_HIGHLEVELCOMP | LINECALLINFOSTATE_LOWLEVELCOMP | LINECALLINFOSTATE_CHARGINGINFO;

// The send is the last thing a hook does: while it waits, the main window
// may deallocate the call, which deletes this object.
void SendCallChanged(CTapiCall *call)
{
    win::SendMessage(GetMainApp().GetMainWindowHandle(), WM_TAPI_CALLCHANGED, 0,
                     static_cast<win::LPARAM>(ObjectParam(call)));
}

// The main-window buttons to draw attention to for LINECALLINFOSTATE_ bits,
// in the order they are flashed.
std::vector<int> FlashButtonsOf(DWORD infoState)
{
    std::vector<int> ids;
    if (infoState & LINECALLINFOSTATE_USERUSERINFO)
        ids.push_back(IDC_USERINFO);
    if (infoState & kIsdnInfoStates)
        ids.push_back(IDC_ISDNINFO);
    if (infoState & LINECALLINFOSTATE_QOS)
        ids.push_back(IDC_QOSINFO);
    if (infoState & LINECALLINFOSTATE_CALLDATA)
        ids.push_back(IDC_CALLDATA);
    return ids;
}

} // namespace

void CMyCall::OnInfoChange(DWORD infoState)
{
    CTapiCall::OnInfoChange(infoState);
    const win::WindowHandle mainWindow = GetMainApp().GetMainWindowHandle();
    if (!win::IsWindow(mainWindow))
        return;
    for (int id : FlashButtonsOf(infoState))
        win::PostMessage(mainWindow, WM_FLASH_CONTROL, static_cast<win::WPARAM>(id), 0);
    // Sent messages are handled before posted ones: the display is refreshed
    // first, then the buttons are flashed.
    SendCallChanged(this);
}

void CMyCall::OnStateChange(DWORD state, DWORD stateDetail, DWORD privilege)
{
    CTapiCall::OnStateChange(state, stateDetail, privilege);
    SendCallChanged(this);
}

void CMyCall::OnMediaModeChange(DWORD mediaMode)
{
    CTapiCall::OnMediaModeChange(mediaMode);
    SendCallChanged(this);
}
