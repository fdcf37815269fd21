// The main window's call half: the call list of the selected line, the
// display of the current call, and the rule that enables each call command.
#include <ui/main/PhoneDlg.h>

#include <ui/main/CallDisplayTexts.h>

#include <app/CallTime.h>
#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <resources/resource.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiLine.h"
#include "TapiCallTexts.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Buttons enabled by any one of their call features.
struct FeatureButton {
    int id;
    DWORD features;
};

constexpr std::array<FeatureButton, 12> kFeatureButtons{{
    {IDC_ACCEPT, LINECALLFEATURE_ACCEPT},
    {IDC_ANSWER, LINECALLFEATURE_ANSWER},
    {IDC_HOLD, LINECALLFEATURE_HOLD | LINECALLFEATURE_UNHOLD},
    {IDC_SWAP, LINECALLFEATURE_SWAPHOLD},
    {IDC_HANGUP, LINECALLFEATURE_DROP},
    {IDC_DIALDIGITS, LINECALLFEATURE_DIAL | LINECALLFEATURE_GENERATEDIGITS},
    {IDC_COMPLETE, LINECALLFEATURE_COMPLETECALL},
    {IDC_REDIRECT, LINECALLFEATURE_REDIRECT},
    {IDC_TRANSFER, LINECALLFEATURE_BLINDTRANSFER | LINECALLFEATURE_SETUPTRANSFER},
    {IDC_PARK, LINECALLFEATURE_PARK},
    {IDC_SETUPCONF, LINECALLFEATURE_SETUPCONF},
    {IDC_ADDPARTY, LINECALLFEATURE_ADDTOCONF | LINECALLFEATURE_PREPAREADDCONF},
}};

QString Hex(DWORD value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QString NameText(const tapi_string &name)
{
    return name.empty() ? QString() : QStringLiteral("Name: ") + ToQString(name);
}

} // namespace

CTapiCall *CPhoneDlg::GetCurrentCall()
{
    if (currentCall_ < 0 || currentCall_ >= static_cast<int>(calls_.size())) {
        currentCall_ = -1;
        return nullptr;
    }
    return calls_[static_cast<std::size_t>(currentCall_)];
}

void CPhoneDlg::AddCall(CTapiCall *call)
{
    CTapiLine *line = GetSelectedLine();
    if (!line || !call || call->GetLine() != line)
        return;
    if (std::find(calls_.begin(), calls_.end(), call) != calls_.end())
        return;
    if (call->GetCallState() == LINECALLSTATE_IDLE) {
        DeallocateCall(call);
        return;
    }
    calls_.push_back(call);
    SetRange(IDC_CALL_SPIN, 0, static_cast<int>(calls_.size()));
    ShowCall(static_cast<int>(calls_.size()) - 1);
}

void CPhoneDlg::RemoveCall(CTapiCall *call)
{
    bool removed = false;
    for (int index = static_cast<int>(calls_.size()) - 1; index >= 0; --index) {
        if (calls_[static_cast<std::size_t>(index)] != call)
            continue;
        calls_.erase(calls_.begin() + index);
        removed = true;
        if (index == currentCall_)
            currentCall_ = std::max(0, currentCall_ - 1);
    }
    SetRange(IDC_CALL_SPIN, 0, static_cast<int>(calls_.size()));
    // An idle call of another line is released as well, but must not move the
    // display of the selected line's calls.
    if (removed) {
        if (!calls_.empty())
            ShowCall(0);
        else
            ClearCallDisplay();
    }
    if (!deferredRelease_) {
        DeallocateCall(call);
        return;
    }
    if (std::find(releaseWaiting_.begin(), releaseWaiting_.end(), call) == releaseWaiting_.end())
        releaseWaiting_.push_back(call);
}

void CPhoneDlg::DeallocateCall(CTapiCall *call)
{
    // On success the line deletes the call object.
    if (const DWORD result = call->Deallocate())
        ReportResult("lineDeallocateCall", result);
}

void CPhoneDlg::BeginDeferredRelease()
{
    deferredRelease_ = true;
}

void CPhoneDlg::EndDeferredRelease()
{
    deferredRelease_ = false;
    for (CTapiCall *call : std::exchange(releaseWaiting_, {}))
        DeallocateCall(call);
}

void CPhoneDlg::ResetCallTexts()
{
    texts_ = CallTexts{};
    texts_.position = QStringLiteral("0 of 0");
    texts_.time = QStringLiteral("00:00:00");
}

void CPhoneDlg::ShowCall(int index)
{
    ResetCallTexts();
    if (index < 0 || index >= static_cast<int>(calls_.size())) {
        if (GetCurrentCall()) {
            ShowCall(currentCall_);
            return;
        }
        UpdateCallButtons(0, 0, 0);
        ShowDetailButtons(nullptr, 0);
        UpdateData(false);
        return;
    }

    currentCall_ = index;
    texts_.position = QStringLiteral("%1 of %2").arg(index + 1).arg(calls_.size());
    CTapiCall *call = calls_[static_cast<std::size_t>(index)];
    texts_.state = ToQString(call->GetCallStateText());
    const auto info = call->GetCallInfo();
    const auto status = call->GetCallStatus();
    if (status)
        texts_.features = Hex(status->dwCallFeatures);
    EnableDlgItem(IDC_FEATURES);
    SetFeaturesText(status ? TapiCallFeaturesText(status->dwCallFeatures, status->dwCallFeatures2)
                           : TapiCallFeaturesText(0, 0));
    // Without both structures the commands stay disabled; the fields show what
    // is known of this call, never what was shown of another one. Each button
    // is set once, to its final state, so that only what changes is redrawn.
    if (!info || !status) {
        UpdateCallButtons(0, 0, 0);
        ShowDetailButtons(nullptr, 0);
        UpdateData(false);
        return;
    }

    texts_.trunkId = Hex(info->dwTrunk);
    texts_.callId = Hex(info->dwCallID);
    texts_.relatedCallId = Hex(info->dwRelatedCallID);
    texts_.appSpecific = Hex(info->dwAppSpecific);
    texts_.addressId = Hex(info->dwAddressID);
    texts_.direction = CallDirectionText(info->dwOrigin);
    EnableDlgItem(IDC_CONFLIST, call->GetCallState() == LINECALLSTATE_CONFERENCED ||
                                    (info->dwOrigin & LINECALLORIGIN_CONFERENCE) != 0);
    texts_.type = CallTypeText(info->dwReason);
    texts_.media = MediaModeText(info->dwMediaMode);
    texts_.time = FormatElapsedTime(SecondsSince(status->tStateEntryTime));

    texts_.callerNumber = ToQString(call->GetCallerNumber());
    texts_.callerName = NameText(call->GetCallerName());
    texts_.calledNumber = ToQString(call->GetCalledNumber());
    texts_.calledName = NameText(call->GetCalledName());
    texts_.connectedNumber = ToQString(call->GetConnectedNumber());
    texts_.connectedName = NameText(call->GetConnectedName());
    texts_.redirectingNumber = ToQString(call->GetRedirectingNumber());
    texts_.redirectingName = NameText(call->GetRedirectingName());
    texts_.redirectionNumber = ToQString(call->GetRedirectionNumber());
    texts_.redirectionName = NameText(call->GetRedirectionName());

    CTapiAddress *address = call->GetAddress();
    const auto addressCaps = address ? address->GetAddressCaps() : nullptr;
    UpdateCallButtons(status->dwCallFeatures, status->dwCallFeatures2, addressCaps ? addressCaps->dwTransferModes : 0);
    ShowDetailButtons(info.get(), status->dwCallFeatures);
    UpdateData(false);
}

void CPhoneDlg::ClearCallDisplay()
{
    ResetCallTexts();
    UpdateData(false);
    GotoDlgCtrl(IsDlgItemEnabled(IDC_NUMBER) ? IDC_NUMBER : IDC_DEVICE);
    UpdateCallButtons(0, 0, 0);
    for (int id : {IDC_USERINFO, IDC_CALLDATA, IDC_QOSINFO, IDC_ISDNINFO, IDC_FEATURES})
        EnableDlgItem(id, false);
    SetFeaturesText({});
}

void CPhoneDlg::UpdateCallButtons(DWORD features, DWORD features2, DWORD transferModes)
{
    for (const FeatureButton &button : kFeatureButtons)
        EnableDlgItem(button.id, (features & button.features) != 0);
    SetDlgItemText(IDC_HOLD, features & LINECALLFEATURE_UNHOLD ? QStringLiteral("Unho&ld") : QStringLiteral("Ho&ld"));
    const bool completes = features & LINECALLFEATURE_COMPLETETRANSF;
    EnableDlgItem(IDC_MERGE, completes && (transferModes & LINETRANSFERMODE_TRANSFER) &&
                                 (features2 & LINECALLFEATURE2_TRANSFERNORM));
    EnableDlgItem(IDC_CONFERENCE, completes && (transferModes & LINETRANSFERMODE_CONFERENCE) &&
                                      (features2 & LINECALLFEATURE2_TRANSFERCONF));
    EnableDlgItem(IDC_DROPPARTY, features & LINECALLFEATURE_REMOVEFROMCONF);
    EnableDlgItem(IDC_APPSPECIFIC, features != 0);
}

void CPhoneDlg::ShowDetailButtons(const LINECALLINFO *info, DWORD features)
{
    if (!info) {
        for (int id : {IDC_USERINFO, IDC_CALLDATA, IDC_QOSINFO, IDC_ISDNINFO})
            EnableDlgItem(id, false);
        return;
    }
    EnableDlgItem(IDC_USERINFO, info->dwUserUserInfoSize > 0 ||
                                    (features & (LINECALLFEATURE_SENDUSERUSER | LINECALLFEATURE_RELEASEUSERUSERINFO)));
    EnableDlgItem(IDC_CALLDATA, info->dwCallDataSize > 0 || (features & LINECALLFEATURE_SETCALLDATA));
    EnableDlgItem(IDC_QOSINFO, info->dwSendingFlowspecSize > 0 || info->dwReceivingFlowspecSize > 0 ||
                                   (features & LINECALLFEATURE_SETQOS));
    EnableDlgItem(IDC_ISDNINFO,
                  info->dwHighLevelCompSize > 0 || info->dwLowLevelCompSize > 0 || info->dwChargingInfoSize > 0);
}

void CPhoneDlg::UpdateDetailButtons(CTapiCall *call)
{
    const auto info = call ? call->GetCallInfo(true) : nullptr;
    const auto status = call ? call->GetCallStatus() : nullptr;
    ShowDetailButtons(info && status ? info.get() : nullptr, status ? status->dwCallFeatures : 0);
}

void CPhoneDlg::SetFeaturesText(tapi_string text)
{
    featuresText_ = std::move(text);
    if (featuresSink_ && featuresWindow_ && featuresWindow_->IsCreated())
        featuresSink_(featuresText_);
}

void CPhoneDlg::OnCallSpin(int step)
{
    ClearStatus();
    if (step <= 0) {
        if (currentCall_ > 0)
            ShowCall(currentCall_ - 1);
    } else if (currentCall_ < static_cast<int>(calls_.size()) - 1) {
        ShowCall(currentCall_ + 1);
    }
}
