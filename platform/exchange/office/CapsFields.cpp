#include "exchange/office/CapsFields.h"

namespace exchange::office {

namespace {

constexpr FieldKind N = FieldKind::Number;
constexpr FieldKind F = FieldKind::Flags;
constexpr FieldKind E = FieldKind::Enum;

using D = LINEDEVCAPS;
constexpr CapsField<D> kLineFields[] = {
    {"stringFormat", &D::dwStringFormat, E, "STRINGFORMAT"},
    {"addressModes", &D::dwAddressModes, F, "LINEADDRESSMODE"},
    {"bearerModes", &D::dwBearerModes, F, "LINEBEARERMODE"},
    {"maxRate", &D::dwMaxRate, N, ""},
    {"mediaModes", &D::dwMediaModes, F, "LINEMEDIAMODE"},
    {"generateToneModes", &D::dwGenerateToneModes, F, "LINETONEMODE"},
    {"generateToneMaxNumFreq", &D::dwGenerateToneMaxNumFreq, N, ""},
    {"generateDigitModes", &D::dwGenerateDigitModes, F, "LINEDIGITMODE"},
    {"monitorToneMaxNumFreq", &D::dwMonitorToneMaxNumFreq, N, ""},
    {"monitorToneMaxNumEntries", &D::dwMonitorToneMaxNumEntries, N, ""},
    {"monitorDigitModes", &D::dwMonitorDigitModes, F, "LINEDIGITMODE"},
    {"gatherDigitsMinTimeout", &D::dwGatherDigitsMinTimeout, N, ""},
    {"gatherDigitsMaxTimeout", &D::dwGatherDigitsMaxTimeout, N, ""},
    {"medCtlDigitMaxListSize", &D::dwMedCtlDigitMaxListSize, N, ""},
    {"medCtlMediaMaxListSize", &D::dwMedCtlMediaMaxListSize, N, ""},
    {"medCtlToneMaxListSize", &D::dwMedCtlToneMaxListSize, N, ""},
    {"medCtlCallStateMaxListSize", &D::dwMedCtlCallStateMaxListSize, N, ""},
    {"devCapFlags", &D::dwDevCapFlags, F, "LINEDEVCAPFLAGS"},
    {"maxNumActiveCalls", &D::dwMaxNumActiveCalls, N, ""},
    {"answerMode", &D::dwAnswerMode, F, "LINEANSWERMODE"},
    {"ringModes", &D::dwRingModes, N, ""},
    {"lineStates", &D::dwLineStates, F, "LINEDEVSTATE"},
    {"uuiAcceptSize", &D::dwUUIAcceptSize, N, ""},
    {"uuiAnswerSize", &D::dwUUIAnswerSize, N, ""},
    {"uuiMakeCallSize", &D::dwUUIMakeCallSize, N, ""},
    {"uuiDropSize", &D::dwUUIDropSize, N, ""},
    {"uuiSendUserUserInfoSize", &D::dwUUISendUserUserInfoSize, N, ""},
    {"uuiCallInfoSize", &D::dwUUICallInfoSize, N, ""},
    {"lineFeatures", &D::dwLineFeatures, F, "LINEFEATURE"},
    {"settableDevStatus", &D::dwSettableDevStatus, F, "LINEDEVSTATUSFLAGS"},
    {"addressTypes", &D::dwAddressTypes, F, "LINEADDRESSTYPE"},
    {"availableTracking", &D::dwAvailableTracking, F, "LINECALLHUBTRACKING"},
};

using A = LINEADDRESSCAPS;
constexpr CapsField<A> kAddressFields[] = {
    {"addressSharing", &A::dwAddressSharing, E, "LINEADDRESSSHARING"},
    {"addressStates", &A::dwAddressStates, F, "LINEADDRESSSTATE"},
    {"callInfoStates", &A::dwCallInfoStates, F, "LINECALLINFOSTATE"},
    {"callerIDFlags", &A::dwCallerIDFlags, F, "LINECALLPARTYID"},
    {"calledIDFlags", &A::dwCalledIDFlags, F, "LINECALLPARTYID"},
    {"connectedIDFlags", &A::dwConnectedIDFlags, F, "LINECALLPARTYID"},
    {"redirectionIDFlags", &A::dwRedirectionIDFlags, F, "LINECALLPARTYID"},
    {"redirectingIDFlags", &A::dwRedirectingIDFlags, F, "LINECALLPARTYID"},
    {"callStates", &A::dwCallStates, F, "LINECALLSTATE"},
    {"dialToneModes", &A::dwDialToneModes, F, "LINEDIALTONEMODE"},
    {"busyModes", &A::dwBusyModes, F, "LINEBUSYMODE"},
    {"specialInfo", &A::dwSpecialInfo, F, "LINESPECIALINFO"},
    {"disconnectModes", &A::dwDisconnectModes, F, "LINEDISCONNECTMODE"},
    {"maxNumActiveCalls", &A::dwMaxNumActiveCalls, N, ""},
    {"maxNumOnHoldCalls", &A::dwMaxNumOnHoldCalls, N, ""},
    {"maxNumOnHoldPendingCalls", &A::dwMaxNumOnHoldPendingCalls, N, ""},
    {"maxNumConference", &A::dwMaxNumConference, N, ""},
    {"maxNumTransConf", &A::dwMaxNumTransConf, N, ""},
    {"addrCapFlags", &A::dwAddrCapFlags, F, "LINEADDRCAPFLAGS"},
    {"callFeatures", &A::dwCallFeatures, F, "LINECALLFEATURE"},
    {"removeFromConfCaps", &A::dwRemoveFromConfCaps, E, "LINEREMOVEFROMCONF"},
    {"removeFromConfState", &A::dwRemoveFromConfState, F, "LINECALLSTATE"},
    {"transferModes", &A::dwTransferModes, F, "LINETRANSFERMODE"},
    {"parkModes", &A::dwParkModes, F, "LINEPARKMODE"},
    {"forwardModes", &A::dwForwardModes, F, "LINEFORWARDMODE"},
    {"maxForwardEntries", &A::dwMaxForwardEntries, N, ""},
    {"maxSpecificEntries", &A::dwMaxSpecificEntries, N, ""},
    {"minFwdNumRings", &A::dwMinFwdNumRings, N, ""},
    {"maxFwdNumRings", &A::dwMaxFwdNumRings, N, ""},
    {"maxCallCompletions", &A::dwMaxCallCompletions, N, ""},
    {"callCompletionConds", &A::dwCallCompletionConds, F, "LINECALLCOMPLCOND"},
    {"callCompletionModes", &A::dwCallCompletionModes, F, "LINECALLCOMPLMODE"},
    {"addressFeatures", &A::dwAddressFeatures, F, "LINEADDRFEATURE"},
    {"predictiveAutoTransferStates", &A::dwPredictiveAutoTransferStates, F, "LINECALLSTATE"},
    {"maxCallDataSize", &A::dwMaxCallDataSize, N, ""},
    {"callFeatures2", &A::dwCallFeatures2, F, "LINECALLFEATURE2"},
    {"maxNoAnswerTimeout", &A::dwMaxNoAnswerTimeout, N, ""},
    {"connectedModes", &A::dwConnectedModes, F, "LINECONNECTEDMODE"},
    {"offeringModes", &A::dwOfferingModes, F, "LINEOFFERINGMODE"},
    {"availableMediaModes", &A::dwAvailableMediaModes, F, "LINEMEDIAMODE"},
};

using P = PHONECAPS;
constexpr CapsField<P> kPhoneFields[] = {
    {"stringFormat", &P::dwStringFormat, E, "STRINGFORMAT"},
    {"phoneStates", &P::dwPhoneStates, F, "PHONESTATE"},
    {"hookSwitchDevs", &P::dwHookSwitchDevs, F, "PHONEHOOKSWITCHDEV"},
    {"handsetHookSwitchModes", &P::dwHandsetHookSwitchModes, F, "PHONEHOOKSWITCHMODE"},
    {"speakerHookSwitchModes", &P::dwSpeakerHookSwitchModes, F, "PHONEHOOKSWITCHMODE"},
    {"headsetHookSwitchModes", &P::dwHeadsetHookSwitchModes, F, "PHONEHOOKSWITCHMODE"},
    {"volumeFlags", &P::dwVolumeFlags, F, "PHONEHOOKSWITCHDEV"},
    {"gainFlags", &P::dwGainFlags, F, "PHONEHOOKSWITCHDEV"},
    {"displayNumRows", &P::dwDisplayNumRows, N, ""},
    {"displayNumColumns", &P::dwDisplayNumColumns, N, ""},
    {"numRingModes", &P::dwNumRingModes, N, ""},
    {"phoneFeatures", &P::dwPhoneFeatures, F, "PHONEFEATURE"},
    {"settableHandsetHookSwitchModes", &P::dwSettableHandsetHookSwitchModes, F, "PHONEHOOKSWITCHMODE"},
    {"settableSpeakerHookSwitchModes", &P::dwSettableSpeakerHookSwitchModes, F, "PHONEHOOKSWITCHMODE"},
    {"settableHeadsetHookSwitchModes", &P::dwSettableHeadsetHookSwitchModes, F, "PHONEHOOKSWITCHMODE"},
    {"monitoredHandsetHookSwitchModes", &P::dwMonitoredHandsetHookSwitchModes, F, "PHONEHOOKSWITCHMODE"},
    {"monitoredSpeakerHookSwitchModes", &P::dwMonitoredSpeakerHookSwitchModes, F, "PHONEHOOKSWITCHMODE"},
    {"monitoredHeadsetHookSwitchModes", &P::dwMonitoredHeadsetHookSwitchModes, F, "PHONEHOOKSWITCHMODE"},
};

} // namespace

std::span<const CapsField<LINEDEVCAPS>> LineCapsFields()
{
    return kLineFields;
}

std::span<const CapsField<LINEADDRESSCAPS>> AddressCapsFields()
{
    return kAddressFields;
}

std::span<const CapsField<PHONECAPS>> PhoneCapsFields()
{
    return kPhoneFields;
}

} // namespace exchange::office
