// The TAPI functions of the scripted test double: each one is recorded and
// handed to its handler in ScriptedTapi.
#include "ScriptedTapi.h"

extern "C" {

LONG WINAPI lineAccept(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    return Scripted().Invoke("lineAccept", Scripted().lineAccept, hCall, lpsUserUserInfo, dwSize);
}

LONG WINAPI lineAddToConference(HCALL hConfCall, HCALL hConsultCall)
{
    return Scripted().Invoke("lineAddToConference", Scripted().lineAddToConference, hConfCall, hConsultCall);
}

LONG WINAPI lineAnswer(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    return Scripted().Invoke("lineAnswer", Scripted().lineAnswer, hCall, lpsUserUserInfo, dwSize);
}

LONG WINAPI lineBlindTransferW(HCALL hCall, LPCWSTR lpszDestAddressW, DWORD dwCountryCode)
{
    return Scripted().Invoke("lineBlindTransferW", Scripted().lineBlindTransferW, hCall, lpszDestAddressW,
                             dwCountryCode);
}

LONG WINAPI lineClose(HLINE hLine)
{
    return Scripted().Invoke("lineClose", Scripted().lineClose, hLine);
}

LONG WINAPI lineCompleteCall(HCALL hCall, LPDWORD lpdwCompletionID, DWORD dwCompletionMode, DWORD dwMessageID)
{
    return Scripted().Invoke("lineCompleteCall", Scripted().lineCompleteCall, hCall, lpdwCompletionID, dwCompletionMode,
                             dwMessageID);
}

LONG WINAPI lineCompleteTransfer(HCALL hCall, HCALL hConsultCall, LPHCALL lphConfCall, DWORD dwTransferMode)
{
    return Scripted().Invoke("lineCompleteTransfer", Scripted().lineCompleteTransfer, hCall, hConsultCall, lphConfCall,
                             dwTransferMode);
}

LONG WINAPI lineConfigDialogW(DWORD dwDeviceID, HWND hwndOwner, LPCWSTR lpszDeviceClass)
{
    return Scripted().Invoke("lineConfigDialogW", Scripted().lineConfigDialogW, dwDeviceID, hwndOwner, lpszDeviceClass);
}

LONG WINAPI lineDeallocateCall(HCALL hCall)
{
    return Scripted().Invoke("lineDeallocateCall", Scripted().lineDeallocateCall, hCall);
}

LONG WINAPI lineDialW(HCALL hCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode)
{
    return Scripted().Invoke("lineDialW", Scripted().lineDialW, hCall, lpszDestAddress, dwCountryCode);
}

LONG WINAPI lineDrop(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    return Scripted().Invoke("lineDrop", Scripted().lineDrop, hCall, lpsUserUserInfo, dwSize);
}

LONG WINAPI lineForwardW(HLINE hLine, DWORD bAllAddresses, DWORD dwAddressID, LPLINEFORWARDLIST const lpForwardList,
                         DWORD dwNumRingsNoAnswer, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    return Scripted().Invoke("lineForwardW", Scripted().lineForwardW, hLine, bAllAddresses, dwAddressID, lpForwardList,
                             dwNumRingsNoAnswer, lphConsultCall, lpCallParams);
}

LONG WINAPI lineGenerateDigitsW(HCALL hCall, DWORD dwDigitMode, LPCWSTR lpszDigits, DWORD dwDuration)
{
    return Scripted().Invoke("lineGenerateDigitsW", Scripted().lineGenerateDigitsW, hCall, dwDigitMode, lpszDigits,
                             dwDuration);
}

LONG WINAPI lineGetAddressCapsW(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAddressID, DWORD dwAPIVersion,
                                DWORD dwExtVersion, LPLINEADDRESSCAPS lpAddressCaps)
{
    return Scripted().Invoke("lineGetAddressCapsW", Scripted().lineGetAddressCapsW, hLineApp, dwDeviceID, dwAddressID,
                             dwAPIVersion, dwExtVersion, lpAddressCaps);
}

LONG WINAPI lineGetAddressStatusW(HLINE hLine, DWORD dwAddressID, LPLINEADDRESSSTATUS lpAddressStatus)
{
    return Scripted().Invoke("lineGetAddressStatusW", Scripted().lineGetAddressStatusW, hLine, dwAddressID,
                             lpAddressStatus);
}

LONG WINAPI lineGetAgentActivityListW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTACTIVITYLIST lpAgentActivityList)
{
    return Scripted().Invoke("lineGetAgentActivityListW", Scripted().lineGetAgentActivityListW, hLine, dwAddressID,
                             lpAgentActivityList);
}

LONG WINAPI lineGetAgentGroupListW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTGROUPLIST lpAgentGroupList)
{
    return Scripted().Invoke("lineGetAgentGroupListW", Scripted().lineGetAgentGroupListW, hLine, dwAddressID,
                             lpAgentGroupList);
}

LONG WINAPI lineGetAgentStatusW(HLINE hLine, DWORD dwAddressID, LPLINEAGENTSTATUS lpAgentStatus)
{
    return Scripted().Invoke("lineGetAgentStatusW", Scripted().lineGetAgentStatusW, hLine, dwAddressID, lpAgentStatus);
}

LONG WINAPI lineGetCallInfoW(HCALL hCall, LPLINECALLINFO lpCallInfo)
{
    return Scripted().Invoke("lineGetCallInfoW", Scripted().lineGetCallInfoW, hCall, lpCallInfo);
}

LONG WINAPI lineGetCallStatus(HCALL hCall, LPLINECALLSTATUS lpCallStatus)
{
    return Scripted().Invoke("lineGetCallStatus", Scripted().lineGetCallStatus, hCall, lpCallStatus);
}

LONG WINAPI lineGetConfRelatedCalls(HCALL hCall, LPLINECALLLIST lpCallList)
{
    return Scripted().Invoke("lineGetConfRelatedCalls", Scripted().lineGetConfRelatedCalls, hCall, lpCallList);
}

LONG WINAPI lineGetDevCapsW(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                            LPLINEDEVCAPS lpLineDevCaps)
{
    return Scripted().Invoke("lineGetDevCapsW", Scripted().lineGetDevCapsW, hLineApp, dwDeviceID, dwAPIVersion,
                             dwExtVersion, lpLineDevCaps);
}

LONG WINAPI lineGetDevConfigW(DWORD dwDeviceID, LPVARSTRING lpDeviceConfig, LPCWSTR lpszDeviceClass)
{
    return Scripted().Invoke("lineGetDevConfigW", Scripted().lineGetDevConfigW, dwDeviceID, lpDeviceConfig,
                             lpszDeviceClass);
}

LONG WINAPI lineGetIDW(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect, LPVARSTRING lpDeviceID,
                       LPCWSTR lpszDeviceClass)
{
    return Scripted().Invoke("lineGetIDW", Scripted().lineGetIDW, hLine, dwAddressID, hCall, dwSelect, lpDeviceID,
                             lpszDeviceClass);
}

LONG WINAPI lineGetLineDevStatus(HLINE hLine, LPLINEDEVSTATUS lpLineDevStatus)
{
    return Scripted().Invoke("lineGetLineDevStatus", Scripted().lineGetLineDevStatus, hLine, lpLineDevStatus);
}

LONG WINAPI lineGetMessage(HLINEAPP hLineApp, LPLINEMESSAGE lpMessage, DWORD dwTimeout)
{
    return Scripted().Invoke("lineGetMessage", Scripted().lineGetMessage, hLineApp, lpMessage, dwTimeout);
}

LONG WINAPI lineGetNewCalls(HLINE hLine, DWORD dwAddressID, DWORD dwSelect, LPLINECALLLIST lpCallList)
{
    return Scripted().Invoke("lineGetNewCalls", Scripted().lineGetNewCalls, hLine, dwAddressID, dwSelect, lpCallList);
}

LONG WINAPI lineHold(HCALL hCall)
{
    return Scripted().Invoke("lineHold", Scripted().lineHold, hCall);
}

LONG WINAPI lineInitializeExW(LPHLINEAPP lphLineApp, HINSTANCE hInstance, LINECALLBACK lpfnCallback,
                              LPCWSTR lpszFriendlyAppName, LPDWORD lpdwNumDevs, LPDWORD lpdwAPIVersion,
                              LPLINEINITIALIZEEXPARAMS lpLineInitializeExParams)
{
    return Scripted().Invoke("lineInitializeExW", Scripted().lineInitializeExW, lphLineApp, hInstance, lpfnCallback,
                             lpszFriendlyAppName, lpdwNumDevs, lpdwAPIVersion, lpLineInitializeExParams);
}

LONG WINAPI lineMakeCallW(HLINE hLine, LPHCALL lphCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode,
                          LPLINECALLPARAMS const lpCallParams)
{
    return Scripted().Invoke("lineMakeCallW", Scripted().lineMakeCallW, hLine, lphCall, lpszDestAddress, dwCountryCode,
                             lpCallParams);
}

LONG WINAPI lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion, DWORD dwAPIHighVersion,
                                    LPDWORD lpdwAPIVersion, LPLINEEXTENSIONID lpExtensionID)
{
    return Scripted().Invoke("lineNegotiateAPIVersion", Scripted().lineNegotiateAPIVersion, hLineApp, dwDeviceID,
                             dwAPILowVersion, dwAPIHighVersion, lpdwAPIVersion, lpExtensionID);
}

LONG WINAPI lineOpenW(HLINEAPP hLineApp, DWORD dwDeviceID, LPHLINE lphLine, DWORD dwAPIVersion, DWORD dwExtVersion,
                      DWORD_PTR dwCallbackInstance, DWORD dwPrivileges, DWORD dwMediaModes,
                      LPLINECALLPARAMS const lpCallParams)
{
    return Scripted().Invoke("lineOpenW", Scripted().lineOpenW, hLineApp, dwDeviceID, lphLine, dwAPIVersion,
                             dwExtVersion, dwCallbackInstance, dwPrivileges, dwMediaModes, lpCallParams);
}

LONG WINAPI lineParkW(HCALL hCall, DWORD dwParkMode, LPCWSTR lpszDirAddress, LPVARSTRING lpNonDirAddress)
{
    return Scripted().Invoke("lineParkW", Scripted().lineParkW, hCall, dwParkMode, lpszDirAddress, lpNonDirAddress);
}

LONG WINAPI linePickupW(HLINE hLine, DWORD dwAddressID, LPHCALL lphCall, LPCWSTR lpszDestAddress, LPCWSTR lpszGroupID)
{
    return Scripted().Invoke("linePickupW", Scripted().linePickupW, hLine, dwAddressID, lphCall, lpszDestAddress,
                             lpszGroupID);
}

LONG WINAPI linePrepareAddToConferenceW(HCALL hConfCall, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    return Scripted().Invoke("linePrepareAddToConferenceW", Scripted().linePrepareAddToConferenceW, hConfCall,
                             lphConsultCall, lpCallParams);
}

LONG WINAPI lineRedirectW(HCALL hCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode)
{
    return Scripted().Invoke("lineRedirectW", Scripted().lineRedirectW, hCall, lpszDestAddress, dwCountryCode);
}

LONG WINAPI lineReleaseUserUserInfo(HCALL hCall)
{
    return Scripted().Invoke("lineReleaseUserUserInfo", Scripted().lineReleaseUserUserInfo, hCall);
}

LONG WINAPI lineRemoveFromConference(HCALL hCall)
{
    return Scripted().Invoke("lineRemoveFromConference", Scripted().lineRemoveFromConference, hCall);
}

LONG WINAPI lineSendUserUserInfo(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    return Scripted().Invoke("lineSendUserUserInfo", Scripted().lineSendUserUserInfo, hCall, lpsUserUserInfo, dwSize);
}

LONG WINAPI lineSetAgentActivity(HLINE hLine, DWORD dwAddressID, DWORD dwActivityID)
{
    return Scripted().Invoke("lineSetAgentActivity", Scripted().lineSetAgentActivity, hLine, dwAddressID, dwActivityID);
}

LONG WINAPI lineSetAgentGroup(HLINE hLine, DWORD dwAddressID, LPLINEAGENTGROUPLIST lpAgentGroupList)
{
    return Scripted().Invoke("lineSetAgentGroup", Scripted().lineSetAgentGroup, hLine, dwAddressID, lpAgentGroupList);
}

LONG WINAPI lineSetAgentState(HLINE hLine, DWORD dwAddressID, DWORD dwAgentState, DWORD dwNextAgentState)
{
    return Scripted().Invoke("lineSetAgentState", Scripted().lineSetAgentState, hLine, dwAddressID, dwAgentState,
                             dwNextAgentState);
}

LONG WINAPI lineSetAppSpecific(HCALL hCall, DWORD dwAppSpecific)
{
    return Scripted().Invoke("lineSetAppSpecific", Scripted().lineSetAppSpecific, hCall, dwAppSpecific);
}

LONG WINAPI lineSetCallData(HCALL hCall, LPVOID lpCallData, DWORD dwSize)
{
    return Scripted().Invoke("lineSetCallData", Scripted().lineSetCallData, hCall, lpCallData, dwSize);
}

LONG WINAPI lineSetCallPrivilege(HCALL hCall, DWORD dwCallPrivilege)
{
    return Scripted().Invoke("lineSetCallPrivilege", Scripted().lineSetCallPrivilege, hCall, dwCallPrivilege);
}

LONG WINAPI lineSetCallQualityOfService(HCALL hCall, LPVOID lpSendingFlowspec, DWORD dwSendingFlowspecSize,
                                        LPVOID lpReceivingFlowspec, DWORD dwReceivingFlowspecSize)
{
    return Scripted().Invoke("lineSetCallQualityOfService", Scripted().lineSetCallQualityOfService, hCall,
                             lpSendingFlowspec, dwSendingFlowspecSize, lpReceivingFlowspec, dwReceivingFlowspecSize);
}

LONG WINAPI lineSetLineDevStatus(HLINE hLine, DWORD dwStatusToChange, DWORD fStatus)
{
    return Scripted().Invoke("lineSetLineDevStatus", Scripted().lineSetLineDevStatus, hLine, dwStatusToChange, fStatus);
}

LONG WINAPI lineSetStatusMessages(HLINE hLine, DWORD dwLineStates, DWORD dwAddressStates)
{
    return Scripted().Invoke("lineSetStatusMessages", Scripted().lineSetStatusMessages, hLine, dwLineStates,
                             dwAddressStates);
}

LONG WINAPI lineSetupConferenceW(HCALL hCall, HLINE hLine, LPHCALL lphConfCall, LPHCALL lphConsultCall,
                                 DWORD dwNumParties, LPLINECALLPARAMS const lpCallParams)
{
    return Scripted().Invoke("lineSetupConferenceW", Scripted().lineSetupConferenceW, hCall, hLine, lphConfCall,
                             lphConsultCall, dwNumParties, lpCallParams);
}

LONG WINAPI lineSetupTransferW(HCALL hCall, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    return Scripted().Invoke("lineSetupTransferW", Scripted().lineSetupTransferW, hCall, lphConsultCall, lpCallParams);
}

LONG WINAPI lineShutdown(HLINEAPP hLineApp)
{
    return Scripted().Invoke("lineShutdown", Scripted().lineShutdown, hLineApp);
}

LONG WINAPI lineSwapHold(HCALL hActiveCall, HCALL hHeldCall)
{
    return Scripted().Invoke("lineSwapHold", Scripted().lineSwapHold, hActiveCall, hHeldCall);
}

LONG WINAPI lineTranslateAddressW(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, LPCWSTR lpszAddressIn,
                                  DWORD dwCard, DWORD dwTranslateOptions, LPLINETRANSLATEOUTPUT lpTranslateOutput)
{
    return Scripted().Invoke("lineTranslateAddressW", Scripted().lineTranslateAddressW, hLineApp, dwDeviceID,
                             dwAPIVersion, lpszAddressIn, dwCard, dwTranslateOptions, lpTranslateOutput);
}

LONG WINAPI lineUnhold(HCALL hCall)
{
    return Scripted().Invoke("lineUnhold", Scripted().lineUnhold, hCall);
}

LONG WINAPI lineUnparkW(HLINE hLine, DWORD dwAddressID, LPHCALL lphCall, LPCWSTR lpszDestAddress)
{
    return Scripted().Invoke("lineUnparkW", Scripted().lineUnparkW, hLine, dwAddressID, lphCall, lpszDestAddress);
}

LONG WINAPI phoneClose(HPHONE hPhone)
{
    return Scripted().Invoke("phoneClose", Scripted().phoneClose, hPhone);
}

LONG WINAPI phoneConfigDialogW(DWORD dwDeviceID, HWND hwndOwner, LPCWSTR lpszDeviceClass)
{
    return Scripted().Invoke("phoneConfigDialogW", Scripted().phoneConfigDialogW, dwDeviceID, hwndOwner,
                             lpszDeviceClass);
}

LONG WINAPI phoneGetButtonInfoW(HPHONE hPhone, DWORD dwButtonLampID, LPPHONEBUTTONINFO lpButtonInfo)
{
    return Scripted().Invoke("phoneGetButtonInfoW", Scripted().phoneGetButtonInfoW, hPhone, dwButtonLampID,
                             lpButtonInfo);
}

LONG WINAPI phoneGetDevCapsW(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                             LPPHONECAPS lpPhoneCaps)
{
    return Scripted().Invoke("phoneGetDevCapsW", Scripted().phoneGetDevCapsW, hPhoneApp, dwDeviceID, dwAPIVersion,
                             dwExtVersion, lpPhoneCaps);
}

LONG WINAPI phoneGetMessage(HPHONEAPP hPhoneApp, LPPHONEMESSAGE lpMessage, DWORD dwTimeout)
{
    return Scripted().Invoke("phoneGetMessage", Scripted().phoneGetMessage, hPhoneApp, lpMessage, dwTimeout);
}

LONG WINAPI phoneGetStatusW(HPHONE hPhone, LPPHONESTATUS lpPhoneStatus)
{
    return Scripted().Invoke("phoneGetStatusW", Scripted().phoneGetStatusW, hPhone, lpPhoneStatus);
}

LONG WINAPI phoneInitializeExW(LPHPHONEAPP lphPhoneApp, HINSTANCE hInstance, PHONECALLBACK lpfnCallback,
                               LPCWSTR lpszFriendlyAppName, LPDWORD lpdwNumDevs, LPDWORD lpdwAPIVersion,
                               LPPHONEINITIALIZEEXPARAMS lpPhoneInitializeExParams)
{
    return Scripted().Invoke("phoneInitializeExW", Scripted().phoneInitializeExW, lphPhoneApp, hInstance, lpfnCallback,
                             lpszFriendlyAppName, lpdwNumDevs, lpdwAPIVersion, lpPhoneInitializeExParams);
}

LONG WINAPI phoneNegotiateAPIVersion(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPILowVersion,
                                     DWORD dwAPIHighVersion, LPDWORD lpdwAPIVersion, LPPHONEEXTENSIONID lpExtensionID)
{
    return Scripted().Invoke("phoneNegotiateAPIVersion", Scripted().phoneNegotiateAPIVersion, hPhoneApp, dwDeviceID,
                             dwAPILowVersion, dwAPIHighVersion, lpdwAPIVersion, lpExtensionID);
}

LONG WINAPI phoneOpen(HPHONEAPP hPhoneApp, DWORD dwDeviceID, LPHPHONE lphPhone, DWORD dwAPIVersion, DWORD dwExtVersion,
                      DWORD_PTR dwCallbackInstance, DWORD dwPrivilege)
{
    return Scripted().Invoke("phoneOpen", Scripted().phoneOpen, hPhoneApp, dwDeviceID, lphPhone, dwAPIVersion,
                             dwExtVersion, dwCallbackInstance, dwPrivilege);
}

LONG WINAPI phoneSetDisplay(HPHONE hPhone, DWORD dwRow, DWORD dwColumn, LPCSTR lpsDisplay, DWORD dwSize)
{
    return Scripted().Invoke("phoneSetDisplay", Scripted().phoneSetDisplay, hPhone, dwRow, dwColumn, lpsDisplay,
                             dwSize);
}

LONG WINAPI phoneSetGain(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD dwGain)
{
    return Scripted().Invoke("phoneSetGain", Scripted().phoneSetGain, hPhone, dwHookSwitchDev, dwGain);
}

LONG WINAPI phoneSetHookSwitch(HPHONE hPhone, DWORD dwHookSwitchDevs, DWORD dwHookSwitchMode)
{
    return Scripted().Invoke("phoneSetHookSwitch", Scripted().phoneSetHookSwitch, hPhone, dwHookSwitchDevs,
                             dwHookSwitchMode);
}

LONG WINAPI phoneSetRing(HPHONE hPhone, DWORD dwRingMode, DWORD dwVolume)
{
    return Scripted().Invoke("phoneSetRing", Scripted().phoneSetRing, hPhone, dwRingMode, dwVolume);
}

LONG WINAPI phoneSetStatusMessages(HPHONE hPhone, DWORD dwPhoneStates, DWORD dwButtonModes, DWORD dwButtonStates)
{
    return Scripted().Invoke("phoneSetStatusMessages", Scripted().phoneSetStatusMessages, hPhone, dwPhoneStates,
                             dwButtonModes, dwButtonStates);
}

LONG WINAPI phoneSetVolume(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD dwVolume)
{
    return Scripted().Invoke("phoneSetVolume", Scripted().phoneSetVolume, hPhone, dwHookSwitchDev, dwVolume);
}

LONG WINAPI phoneShutdown(HPHONEAPP hPhoneApp)
{
    return Scripted().Invoke("phoneShutdown", Scripted().phoneShutdown, hPhoneApp);
}

} // extern "C"
