// The main window's call half, delegated to the call list and the call display:
// which calls are listed and shown, and the release of calls that leave the list.
#include <ui/main/PhoneDlg.h>

#include <ui/main/CallDisplay.h>
#include <ui/main/CallList.h>

#include <app/ResultReporting.h>
#include <resources/resource.h>

#include "CTapiCall.h"
#include "CTapiLine.h"

CTapiCall *CPhoneDlg::GetCurrentCall()
{
    return callList_->Current();
}

int CPhoneDlg::GetCurrentCallIndex() const
{
    return callList_->CurrentIndex();
}

const std::vector<CTapiCall *> &CPhoneDlg::GetCalls() const
{
    return callList_->Calls();
}

void CPhoneDlg::AddCall(CTapiCall *call)
{
    CTapiLine *line = GetSelectedLine();
    if (!line || !call || call->GetLine() != line || callList_->IndexOf(call) >= 0)
        return;
    // A call its line let go before the window saw it is on its way out: leave it be.
    CTapiCallPtr ref = line->IsListed(call) ? call->Ref() : nullptr;
    if (!ref)
        return;
    if (call->GetCallState() == LINECALLSTATE_IDLE) {
        callList_->Release(std::move(ref));
        return;
    }
    callList_->Add(std::move(ref));
    SetRange(IDC_CALL_SPIN, 0, callList_->Size());
    ShowCall(callList_->Size() - 1);
}

void CPhoneDlg::RemoveCall(CTapiCall *call)
{
    if (!call)
        return;
    CTapiCallPtr ref = callList_->Remove(call);
    const bool removed = ref != nullptr;
    SetRange(IDC_CALL_SPIN, 0, callList_->Size());
    if (removed) {
        if (callList_->Size() > 0)
            ShowCall(0);
        else
            ClearCallDisplay();
    } else {
        // An idle call of another line is released as well, but must not move the
        // display of the selected line's calls.
        ref = call->Ref();
    }
    callList_->Release(std::move(ref));
}

void CPhoneDlg::DeallocateCall(CTapiCall &call)
{
    // On success the line lets the call go; the object lives until its last reference goes.
    if (const DWORD result = call.Deallocate())
        ReportResult("lineDeallocateCall", result);
}

void CPhoneDlg::BeginDeferredRelease()
{
    callList_->BeginDeferredRelease();
}

void CPhoneDlg::EndDeferredRelease()
{
    callList_->EndDeferredRelease();
}

bool CPhoneDlg::IsReleaseDeferred() const
{
    return callList_->IsReleaseDeferred();
}

void CPhoneDlg::ShowCall(int index)
{
    if (CTapiCall *call = callList_->At(index)) {
        callList_->SetCurrentIndex(index);
        display_->Show(*call, index, callList_->Size());
    } else if (CTapiCall *current = callList_->Current()) {
        display_->Show(*current, callList_->CurrentIndex(), callList_->Size());
    } else {
        display_->ShowNone();
    }
}

void CPhoneDlg::ClearCallDisplay()
{
    display_->Clear();
}

void CPhoneDlg::UpdateCallButtons(DWORD features, DWORD features2, DWORD transferModes)
{
    display_->UpdateCallButtons(features, features2, transferModes);
}

void CPhoneDlg::UpdateDetailButtons(CTapiCall *call)
{
    display_->UpdateDetailButtons(call);
}

const tapi_string &CPhoneDlg::GetFeaturesText() const
{
    return display_->GetFeaturesText();
}

void CPhoneDlg::AttachFeaturesWindow(win::Dialog *window, std::function<void(const tapi_string &)> setText)
{
    display_->AttachFeaturesWindow(window, std::move(setText));
}

win::Dialog *CPhoneDlg::GetFeaturesWindow() const
{
    return display_->GetFeaturesWindow();
}

void CPhoneDlg::OnCallSpin(int step)
{
    ClearStatus();
    const int current = callList_->CurrentIndex();
    if (step <= 0) {
        if (current > 0)
            ShowCall(current - 1);
    } else if (current < callList_->Size() - 1) {
        ShowCall(current + 1);
    }
}
