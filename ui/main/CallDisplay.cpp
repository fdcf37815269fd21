#include <ui/main/CallDisplay.h>

#include <ui/main/CallDisplayTexts.h>

#include <app/CallTime.h>
#include <app/TapiText.h>
#include <resources/resource.h>
#include <window/Dialog.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "TapiCallTexts.h"

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

constexpr std::array<int, 4> kDetailButtons{IDC_USERINFO, IDC_CALLDATA, IDC_QOSINFO, IDC_ISDNINFO};

QString Hex(DWORD value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QString NameText(const tapi_string &name)
{
    return name.empty() ? QString() : QStringLiteral("Name: ") + ToQString(name);
}

} // namespace

CCallDisplay::CCallDisplay(win::Dialog &window) : window_(window)
{
    const std::pair<int, QString *> fields[] = {
        {IDC_CALL_POSITION, &texts_.position},
        {IDC_CALLSTATE, &texts_.state},
        {IDC_CALLFEATURES, &texts_.features},
        {IDC_CALLTYPE, &texts_.type},
        {IDC_CALLDIRECTION, &texts_.direction},
        {IDC_MEDIA, &texts_.media},
        {IDC_TRUNKID, &texts_.trunkId},
        {IDC_CALLID, &texts_.callId},
        {IDC_RELATEDCALLID, &texts_.relatedCallId},
        {IDC_APPSPECIFIC_VALUE, &texts_.appSpecific},
        {IDC_ADDRESSID, &texts_.addressId},
        {IDC_CALLER_NUMBER, &texts_.callerNumber},
        {IDC_CALLER_NAME, &texts_.callerName},
        {IDC_CALLED_NUMBER, &texts_.calledNumber},
        {IDC_CALLED_NAME, &texts_.calledName},
        {IDC_CONNECTED_NUMBER, &texts_.connectedNumber},
        {IDC_CONNECTED_NAME, &texts_.connectedName},
        {IDC_REDIRECTING_NUMBER, &texts_.redirectingNumber},
        {IDC_REDIRECTING_NAME, &texts_.redirectingName},
        {IDC_REDIRECTION_NUMBER, &texts_.redirectionNumber},
        {IDC_REDIRECTION_NAME, &texts_.redirectionName},
        {IDC_CALLTIME, &texts_.time},
    };
    for (const auto &[id, text] : fields) {
        window_.BindText(id, *text);
        fields_.emplace_back(id, text);
    }
    Reset();
}

void CCallDisplay::Push()
{
    // Only the display's own fields: the rest of the window has not changed, and a
    // control given its own text again may still repaint.
    for (const auto &[id, text] : fields_)
        window_.SetDlgItemText(id, *text);
}

void CCallDisplay::Reset()
{
    texts_ = Texts{};
    texts_.position = QStringLiteral("0 of 0");
    texts_.time = QStringLiteral("00:00:00");
}

void CCallDisplay::ShowNone()
{
    Reset();
    UpdateCallButtons(0, 0, 0);
    ShowDetailButtons(nullptr, 0);
    Push();
}

void CCallDisplay::Show(CTapiCall &call, int index, int count)
{
    Reset();
    texts_.position = QStringLiteral("%1 of %2").arg(index + 1).arg(count);
    // One read of the status serves the state text, the features and the buttons.
    const auto info = call.GetCallInfo();
    const auto status = call.GetCallStatus();
    const DWORD callState = call.GetCallState();
    texts_.state = ToQString(TapiCallStateName(callState) + TAPI_TEXT(" ") +
                             (status ? TapiStateModeText(callState, status->dwCallStateMode) : tapi_string()));
    if (status)
        texts_.features = Hex(status->dwCallFeatures);
    window_.EnableDlgItem(IDC_FEATURES);
    SetFeaturesText(status ? TapiCallFeaturesText(status->dwCallFeatures, status->dwCallFeatures2)
                           : TapiCallFeaturesText(0, 0));
    // Without both structures the commands stay disabled; the fields show what
    // is known of this call, never what was shown of another one. Each button
    // is set once, to its final state, so that only what changes is redrawn.
    if (!info || !status) {
        UpdateCallButtons(0, 0, 0);
        ShowDetailButtons(nullptr, 0);
        Push();
        return;
    }

    texts_.trunkId = Hex(info->dwTrunk);
    texts_.callId = Hex(info->dwCallID);
    texts_.relatedCallId = Hex(info->dwRelatedCallID);
    texts_.appSpecific = Hex(info->dwAppSpecific);
    texts_.addressId = Hex(info->dwAddressID);
    texts_.direction = CallDirectionText(info->dwOrigin);
    window_.EnableDlgItem(IDC_CONFLIST, callState == LINECALLSTATE_CONFERENCED ||
                                            (info->dwOrigin & LINECALLORIGIN_CONFERENCE) != 0);
    texts_.type = CallTypeText(info->dwReason);
    texts_.media = MediaModeText(info->dwMediaMode);
    texts_.time = FormatElapsedTime(SecondsSince(status->tStateEntryTime));

    texts_.callerNumber = ToQString(call.GetCallerNumber());
    texts_.callerName = NameText(call.GetCallerName());
    texts_.calledNumber = ToQString(call.GetCalledNumber());
    texts_.calledName = NameText(call.GetCalledName());
    texts_.connectedNumber = ToQString(call.GetConnectedNumber());
    texts_.connectedName = NameText(call.GetConnectedName());
    texts_.redirectingNumber = ToQString(call.GetRedirectingNumber());
    texts_.redirectingName = NameText(call.GetRedirectingName());
    texts_.redirectionNumber = ToQString(call.GetRedirectionNumber());
    texts_.redirectionName = NameText(call.GetRedirectionName());

    CTapiAddress *address = call.GetAddress();
    const auto addressCaps = address ? address->GetAddressCaps() : nullptr;
    UpdateCallButtons(status->dwCallFeatures, status->dwCallFeatures2, addressCaps ? addressCaps->dwTransferModes : 0);
    ShowDetailButtons(info.get(), status->dwCallFeatures);
    Push();
}

void CCallDisplay::Clear()
{
    Reset();
    Push();
    window_.GotoDlgCtrl(window_.IsDlgItemEnabled(IDC_NUMBER) ? IDC_NUMBER : IDC_DEVICE);
    UpdateCallButtons(0, 0, 0);
    for (int id : kDetailButtons)
        window_.EnableDlgItem(id, false);
    window_.EnableDlgItem(IDC_FEATURES, false);
    SetFeaturesText({});
}

void CCallDisplay::ShowTime(CTapiCall &call)
{
    const auto status = call.GetCallStatus();
    texts_.time = status ? FormatElapsedTime(SecondsSince(status->tStateEntryTime)) : QStringLiteral("00:00:00");
    window_.SetDlgItemText(IDC_CALLTIME, texts_.time);
}

void CCallDisplay::UpdateCallButtons(DWORD features, DWORD features2, DWORD transferModes)
{
    for (const FeatureButton &button : kFeatureButtons)
        window_.EnableDlgItem(button.id, (features & button.features) != 0);
    window_.SetDlgItemText(IDC_HOLD,
                           features & LINECALLFEATURE_UNHOLD ? QStringLiteral("Unho&ld") : QStringLiteral("Ho&ld"));
    const bool completes = features & LINECALLFEATURE_COMPLETETRANSF;
    window_.EnableDlgItem(IDC_MERGE, completes && (transferModes & LINETRANSFERMODE_TRANSFER) &&
                                         (features2 & LINECALLFEATURE2_TRANSFERNORM));
    window_.EnableDlgItem(IDC_CONFERENCE, completes && (transferModes & LINETRANSFERMODE_CONFERENCE) &&
                                              (features2 & LINECALLFEATURE2_TRANSFERCONF));
    window_.EnableDlgItem(IDC_DROPPARTY, features & LINECALLFEATURE_REMOVEFROMCONF);
    window_.EnableDlgItem(IDC_APPSPECIFIC, features != 0);
}

void CCallDisplay::ShowDetailButtons(const LINECALLINFO *info, DWORD features)
{
    if (!info) {
        for (int id : kDetailButtons)
            window_.EnableDlgItem(id, false);
        return;
    }
    window_.EnableDlgItem(IDC_USERINFO,
                          info->dwUserUserInfoSize > 0 ||
                              (features & (LINECALLFEATURE_SENDUSERUSER | LINECALLFEATURE_RELEASEUSERUSERINFO)));
    window_.EnableDlgItem(IDC_CALLDATA, info->dwCallDataSize > 0 || (features & LINECALLFEATURE_SETCALLDATA));
    window_.EnableDlgItem(IDC_QOSINFO, info->dwSendingFlowspecSize > 0 || info->dwReceivingFlowspecSize > 0 ||
                                           (features & LINECALLFEATURE_SETQOS));
    window_.EnableDlgItem(IDC_ISDNINFO, info->dwHighLevelCompSize > 0 || info->dwLowLevelCompSize > 0 ||
                                            info->dwChargingInfoSize > 0);
}

void CCallDisplay::UpdateDetailButtons(CTapiCall *call)
{
    const auto info = call ? call->GetCallInfo(true) : nullptr;
    const auto status = call ? call->GetCallStatus() : nullptr;
    ShowDetailButtons(info && status ? info.get() : nullptr, status ? status->dwCallFeatures : 0);
}

void CCallDisplay::SetFeaturesText(tapi_string text)
{
    featuresText_ = std::move(text);
    if (featuresSink_ && featuresWindow_ && featuresWindow_->IsCreated())
        featuresSink_(featuresText_);
}

void CCallDisplay::AttachFeaturesWindow(win::Dialog *window, std::function<void(const tapi_string &)> setText)
{
    featuresWindow_ = window;
    featuresSink_ = std::move(setText);
}

void CCallDisplay::DestroyFeaturesWindow()
{
    if (featuresWindow_) {
        featuresWindow_->DestroyWindow();
        delete featuresWindow_.data();
    }
    featuresSink_ = nullptr;
}
