// The main window's commands on the selected line and address (make call,
// pickup, unpark) and on the windows of the current call (application-specific
// value, call features, the call detail windows). The commands on the call
// itself are in PhoneDlgCallCommands.cpp, transfer and conference set-up in
// PhoneDlgTransfer.cpp, the feature windows in PhoneDlgFeatureWindows.cpp. The
// phone features window of the selected line's phone opens here too.
#include <ui/main/PhoneDlg.h>

#include <app/CMyPhone.h>
#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <ui/dialogs/AppspecificDlg.h>
#include <ui/dialogs/CallDataDlg.h>
#include <ui/dialogs/ConfListDlg.h>
#include <ui/dialogs/ISDNInfo.h>
#include <ui/dialogs/KCallFeatures.h>
#include <ui/dialogs/PhoneCapsDlg.h>
#include <ui/dialogs/QosInfo.h>
#include <ui/dialogs/UUIDlg.h>
#include <ui/main/CommandSteps.h>
#include <ui/main/MakeCallExtended.h>
#include <ui/main/MakeCallParams.h>
#include <ui/main/PredDialDlg.h>
#include <window/Shell.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

namespace {

// Runs a call detail window modally for the current call. The window holds the
// call while it is open; afterwards the button that opened it is re-evaluated
// from the call's data when the call is still listed and still current.
template <class Window> void RunDetailWindow(CPhoneDlg &main, bool reevaluate)
{
    ClearStatus();
    CTapiCall *call = main.GetCurrentCall();
    if (!call)
        return;
    const CTapiCallPtr keep = call->Ref();
    CTapiLine *line = call->GetLine();
    const HCALL handle = call->GetCallHandle();
    {
        Window window(&main, call);
        window.DoModal();
    }
    if (reevaluate && IsCallAlive(line, call, handle) && main.GetCurrentCall() == call)
        main.UpdateDetailButtons(call);
}

} // namespace

void CPhoneDlg::OnMakeCall()
{
    CTapiLine *line = GetSelectedLine();
    if (!line)
        return;
    UpdateData(true);
    ClearStatus();
    CTapiAddress *address = GetSelectedAddress();
    if (!address)
        address = line->GetAddress(0);

    CMakeCallParams params;
    DWORD addressFlags = 0;
    if (address) {
        const auto caps = address->GetAddressCaps();
        addressFlags = caps ? caps->dwAddrCapFlags : 0;
        if (caps && (addressFlags & LINEADDRCAPFLAGS_PREDICTIVEDIALER)) {
            CPredDialDlg predictive(this);
            predictive.SetTimeout(caps->dwMaxNoAnswerTimeout);
            predictive.SetStates(caps->dwPredictiveAutoTransferStates);
            if (predictive.DoModal() == win::IDOK) {
                params.SetPredictiveDialing(predictive.GetStates(), ToTapiString(predictive.GetTransferTo()),
                                            predictive.GetTimeout());
            }
        }
        if (address->GetAddressID() != 0)
            params.SetAddress(address->GetAddressID());
    }
    if (win::IsCtrlKeyDown()) {
        MakeCallExtended extended(number_, addressFlags);
        if (extended.DoModal() != win::IDOK)
            return;
        params.SetCallingParty(ToTapiString(extended.GetCallingPartyId()), extended.GetClir(),
                               extended.GetAutoOffHook());
    }
    // A number or id cut short would reach the wrong party: refuse the call instead.
    if (!params.Fits()) {
        ShowStatus("The transfer-to number and calling party id need %lu bytes; the call parameters hold %lu.",
                   static_cast<unsigned long>(params.TextBytes()),
                   static_cast<unsigned long>(CMakeCallParams::kTextSpace));
        return;
    }
    LPLINECALLPARAMS block = params.Get();
    if (params.HasParameters() && !block) {
        ReportResult("lineMakeCall", LINEERR_NOMEM);
        return;
    }
    const tapi_string destination = ToTapiString(number_);
    CTapiCall *call = nullptr;
    const DWORD result = line->MakeCall(&call, destination.c_str(), 0, block);
    if (result != 0)
        ReportResult("lineMakeCall", result);
}

void CPhoneDlg::OnPickup()
{
    CTapiAddress *address = GetSelectedAddress();
    if (!address)
        return;
    UpdateData(true);
    ClearStatus();
    const tapi_string destination = ToTapiString(number_);
    CTapiCall *call = nullptr;
    ReportStoredOutcome("linePickup", address->Pickup(&call, destination.c_str(), nullptr));
}

void CPhoneDlg::OnUnpark()
{
    CTapiAddress *address = GetSelectedAddress();
    if (!address)
        return;
    UpdateData(true);
    ClearStatus();
    const tapi_string parkedAt = ToTapiString(number_);
    CTapiCall *call = nullptr;
    ReportStoredOutcome("lineUnpark", address->Unpark(&call, parkedAt.c_str()));
}

void CPhoneDlg::OnAppSpecific()
{
    ClearStatus();
    CTapiCall *call = GetCurrentCall();
    if (!call)
        return;
    CTapiLine *callLine = call->GetLine();
    const HCALL handle = call->GetCallHandle();
    CAppspecificDlg dialog(this);
    if (const auto info = call->GetCallInfo())
        dialog.SetValue(info->dwAppSpecific);
    if (dialog.DoModal() != win::IDOK)
        return;
    if (!IsCallAlive(callLine, call, handle)) {
        ReportResult("lineSetAppSpecific", LINEERR_INVALCALLHANDLE);
        return;
    }
    if (!TakeOwnership({call}))
        return;
    // lineSetAppSpecific is synchronous: there is no reply to wait for.
    const DWORD result = call->SetAppSpecific(dialog.GetValue());
    if (result != 0)
        ReportResult("lineSetAppSpecific", result);
}

void CPhoneDlg::OnFeatures()
{
    auto *window = dynamic_cast<KCallFeatures *>(GetFeaturesWindow());
    if (!window) {
        window = new KCallFeatures(this);
        AttachFeaturesWindow(window, [window](const tapi_string &text) { window->SetFeaturesText(ToQString(text)); });
    }
    if (!window->IsCreated())
        window->Create();
    else
        window->setVisible(!window->isVisible());
    window->SetFeaturesText(ToQString(GetFeaturesText()));
}

void CPhoneDlg::OnUserInfo()
{
    RunDetailWindow<CUUIDlg>(*this, true);
}

void CPhoneDlg::OnCallData()
{
    RunDetailWindow<CCallDataDlg>(*this, true);
}

void CPhoneDlg::OnQosInfo()
{
    RunDetailWindow<CQosInfo>(*this, true);
}

void CPhoneDlg::OnIsdnInfo()
{
    RunDetailWindow<CISDNInfo>(*this, true);
}

void CPhoneDlg::OnConfList()
{
    RunDetailWindow<CConfListDlg>(*this, false);
}

void CPhoneDlg::OnPhone()
{
    ClearStatus();
    CTapiLine *line = GetSelectedLine();
    if (!line)
        return;
    const DWORD phoneId = line->GetPhoneID();
    if (phoneId == CTapiLine::kNoDevice) {
        ShowStatus("There is no phone related to this line.");
        return;
    }
    auto *phone = dynamic_cast<CMyPhone *>(GetTapiConnection()->GetPhone(phoneId));
    if (!phone) {
        ShowStatus("Invalid phoneID (%ld) from tapi/phone", static_cast<long>(phoneId));
        return;
    }
    // One window per phone: an open one comes to the front as it is.
    if (win::Dialog *window = win::Dialog::FromHandle(phone->GetPhoneWindow())) {
        window->show();
        window->raise();
        window->activateWindow();
        return;
    }
    if (const DWORD result = phone->Open(PHONEPRIVILEGE_OWNER)) {
        ReportResult("phoneOpen", result);
        return;
    }
    if (const DWORD result = phone->SetStatusMessages(0x00FFFFFF, 0, 0))
        ReportResult("phoneSetStatusMessages", result);
    // The window deletes itself when it closes; as this window's child it also
    // goes when this window is deleted.
    new CPhoneCapsDlg(this, phone);
}
