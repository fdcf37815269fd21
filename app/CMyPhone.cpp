#include <app/CMyPhone.h>

#include <app/AppMessages.h>

#include <window/Messages.h>

const CTapiClass<CTapiPhone> CMyPhone::classRecord{"CMyPhone", &TapiCreate<CMyPhone, CTapiPhone>};

void CMyPhone::OnStateChange(DWORD phoneState, DWORD stateDetails)
{
    CTapiPhone::OnStateChange(phoneState, stateDetails);
    const win::WindowHandle window = GetPhoneWindow();
    if (window != win::WindowHandle::Null)
        win::SendMessage(window, WM_TAPI_PHONECHANGED, phoneState, stateDetails);
}
