// Compile-time check that every declared TAPI function has the published
// prototype (parameter types exactly as the platform header writes them).
#include <tapi.h>

#include <type_traits>

static_assert(std::is_same_v<decltype(&lineAccept), LONG (*)(HCALL, LPCSTR, DWORD)>);
static_assert(std::is_same_v<decltype(&lineAddToConference), LONG (*)(HCALL, HCALL)>);
static_assert(std::is_same_v<decltype(&lineAnswer), LONG (*)(HCALL, LPCSTR, DWORD)>);
static_assert(std::is_same_v<decltype(&lineBlindTransferW), LONG (*)(HCALL, LPCWSTR, DWORD)>);
static_assert(std::is_same_v<decltype(&lineClose), LONG (*)(HLINE)>);
static_assert(std::is_same_v<decltype(&lineCompleteCall), LONG (*)(HCALL, LPDWORD, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&lineCompleteTransfer), LONG (*)(HCALL, HCALL, LPHCALL, DWORD)>);
static_assert(std::is_same_v<decltype(&lineConfigDialogW), LONG (*)(DWORD, HWND, LPCWSTR)>);
static_assert(std::is_same_v<decltype(&lineDeallocateCall), LONG (*)(HCALL)>);
static_assert(std::is_same_v<decltype(&lineDialW), LONG (*)(HCALL, LPCWSTR, DWORD)>);
static_assert(std::is_same_v<decltype(&lineDrop), LONG (*)(HCALL, LPCSTR, DWORD)>);
static_assert(std::is_same_v<decltype(&lineForwardW), LONG (*)(HLINE, DWORD, DWORD, LPLINEFORWARDLIST const, DWORD,
                                                               LPHCALL, LPLINECALLPARAMS const)>);
static_assert(std::is_same_v<decltype(&lineGenerateDigitsW), LONG (*)(HCALL, DWORD, LPCWSTR, DWORD)>);
static_assert(
    std::is_same_v<decltype(&lineGetAddressCapsW), LONG (*)(HLINEAPP, DWORD, DWORD, DWORD, DWORD, LPLINEADDRESSCAPS)>);
static_assert(std::is_same_v<decltype(&lineGetAddressStatusW), LONG (*)(HLINE, DWORD, LPLINEADDRESSSTATUS)>);
static_assert(std::is_same_v<decltype(&lineGetAgentActivityListW), LONG (*)(HLINE, DWORD, LPLINEAGENTACTIVITYLIST)>);
static_assert(std::is_same_v<decltype(&lineGetAgentGroupListW), LONG (*)(HLINE, DWORD, LPLINEAGENTGROUPLIST)>);
static_assert(std::is_same_v<decltype(&lineGetAgentStatusW), LONG (*)(HLINE, DWORD, LPLINEAGENTSTATUS)>);
static_assert(std::is_same_v<decltype(&lineGetCallInfoW), LONG (*)(HCALL, LPLINECALLINFO)>);
static_assert(std::is_same_v<decltype(&lineGetCallStatus), LONG (*)(HCALL, LPLINECALLSTATUS)>);
static_assert(std::is_same_v<decltype(&lineGetConfRelatedCalls), LONG (*)(HCALL, LPLINECALLLIST)>);
static_assert(std::is_same_v<decltype(&lineGetDevCapsW), LONG (*)(HLINEAPP, DWORD, DWORD, DWORD, LPLINEDEVCAPS)>);
static_assert(std::is_same_v<decltype(&lineGetDevConfigW), LONG (*)(DWORD, LPVARSTRING, LPCWSTR)>);
static_assert(std::is_same_v<decltype(&lineGetIDW), LONG (*)(HLINE, DWORD, HCALL, DWORD, LPVARSTRING, LPCWSTR)>);
static_assert(std::is_same_v<decltype(&lineGetLineDevStatus), LONG (*)(HLINE, LPLINEDEVSTATUS)>);
static_assert(std::is_same_v<decltype(&lineGetMessage), LONG (*)(HLINEAPP, LPLINEMESSAGE, DWORD)>);
static_assert(std::is_same_v<decltype(&lineGetNewCalls), LONG (*)(HLINE, DWORD, DWORD, LPLINECALLLIST)>);
static_assert(std::is_same_v<decltype(&lineHold), LONG (*)(HCALL)>);
static_assert(std::is_same_v<decltype(&lineInitializeExW), LONG (*)(LPHLINEAPP, HINSTANCE, LINECALLBACK, LPCWSTR,
                                                                    LPDWORD, LPDWORD, LPLINEINITIALIZEEXPARAMS)>);
static_assert(
    std::is_same_v<decltype(&lineMakeCallW), LONG (*)(HLINE, LPHCALL, LPCWSTR, DWORD, LPLINECALLPARAMS const)>);
static_assert(std::is_same_v<decltype(&lineNegotiateAPIVersion),
                             LONG (*)(HLINEAPP, DWORD, DWORD, DWORD, LPDWORD, LPLINEEXTENSIONID)>);
static_assert(std::is_same_v<decltype(&lineOpenW), LONG (*)(HLINEAPP, DWORD, LPHLINE, DWORD, DWORD, DWORD_PTR, DWORD,
                                                            DWORD, LPLINECALLPARAMS const)>);
static_assert(std::is_same_v<decltype(&lineParkW), LONG (*)(HCALL, DWORD, LPCWSTR, LPVARSTRING)>);
static_assert(std::is_same_v<decltype(&linePickupW), LONG (*)(HLINE, DWORD, LPHCALL, LPCWSTR, LPCWSTR)>);
static_assert(std::is_same_v<decltype(&linePrepareAddToConferenceW), LONG (*)(HCALL, LPHCALL, LPLINECALLPARAMS const)>);
static_assert(std::is_same_v<decltype(&lineRedirectW), LONG (*)(HCALL, LPCWSTR, DWORD)>);
static_assert(std::is_same_v<decltype(&lineReleaseUserUserInfo), LONG (*)(HCALL)>);
static_assert(std::is_same_v<decltype(&lineRemoveFromConference), LONG (*)(HCALL)>);
static_assert(std::is_same_v<decltype(&lineSendUserUserInfo), LONG (*)(HCALL, LPCSTR, DWORD)>);
static_assert(std::is_same_v<decltype(&lineSetAgentActivity), LONG (*)(HLINE, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&lineSetAgentGroup), LONG (*)(HLINE, DWORD, LPLINEAGENTGROUPLIST)>);
static_assert(std::is_same_v<decltype(&lineSetAgentState), LONG (*)(HLINE, DWORD, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&lineSetAppSpecific), LONG (*)(HCALL, DWORD)>);
static_assert(std::is_same_v<decltype(&lineSetCallData), LONG (*)(HCALL, LPVOID, DWORD)>);
static_assert(std::is_same_v<decltype(&lineSetCallPrivilege), LONG (*)(HCALL, DWORD)>);
static_assert(std::is_same_v<decltype(&lineSetCallQualityOfService), LONG (*)(HCALL, LPVOID, DWORD, LPVOID, DWORD)>);
static_assert(std::is_same_v<decltype(&lineSetLineDevStatus), LONG (*)(HLINE, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&lineSetStatusMessages), LONG (*)(HLINE, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&lineSetupConferenceW),
                             LONG (*)(HCALL, HLINE, LPHCALL, LPHCALL, DWORD, LPLINECALLPARAMS const)>);
static_assert(std::is_same_v<decltype(&lineSetupTransferW), LONG (*)(HCALL, LPHCALL, LPLINECALLPARAMS const)>);
static_assert(std::is_same_v<decltype(&lineShutdown), LONG (*)(HLINEAPP)>);
static_assert(std::is_same_v<decltype(&lineSwapHold), LONG (*)(HCALL, HCALL)>);
static_assert(std::is_same_v<decltype(&lineTranslateAddressW),
                             LONG (*)(HLINEAPP, DWORD, DWORD, LPCWSTR, DWORD, DWORD, LPLINETRANSLATEOUTPUT)>);
static_assert(std::is_same_v<decltype(&lineUnhold), LONG (*)(HCALL)>);
static_assert(std::is_same_v<decltype(&lineUnparkW), LONG (*)(HLINE, DWORD, LPHCALL, LPCWSTR)>);
static_assert(std::is_same_v<decltype(&phoneClose), LONG (*)(HPHONE)>);
static_assert(std::is_same_v<decltype(&phoneConfigDialogW), LONG (*)(DWORD, HWND, LPCWSTR)>);
static_assert(std::is_same_v<decltype(&phoneGetButtonInfoW), LONG (*)(HPHONE, DWORD, LPPHONEBUTTONINFO)>);
static_assert(std::is_same_v<decltype(&phoneGetDevCapsW), LONG (*)(HPHONEAPP, DWORD, DWORD, DWORD, LPPHONECAPS)>);
static_assert(std::is_same_v<decltype(&phoneGetMessage), LONG (*)(HPHONEAPP, LPPHONEMESSAGE, DWORD)>);
static_assert(std::is_same_v<decltype(&phoneGetStatusW), LONG (*)(HPHONE, LPPHONESTATUS)>);
static_assert(std::is_same_v<decltype(&phoneInitializeExW), LONG (*)(LPHPHONEAPP, HINSTANCE, PHONECALLBACK, LPCWSTR,
                                                                     LPDWORD, LPDWORD, LPPHONEINITIALIZEEXPARAMS)>);
static_assert(std::is_same_v<decltype(&phoneNegotiateAPIVersion),
                             LONG (*)(HPHONEAPP, DWORD, DWORD, DWORD, LPDWORD, LPPHONEEXTENSIONID)>);
static_assert(
    std::is_same_v<decltype(&phoneOpen), LONG (*)(HPHONEAPP, DWORD, LPHPHONE, DWORD, DWORD, DWORD_PTR, DWORD)>);
static_assert(std::is_same_v<decltype(&phoneSetDisplay), LONG (*)(HPHONE, DWORD, DWORD, LPCSTR, DWORD)>);
static_assert(std::is_same_v<decltype(&phoneSetGain), LONG (*)(HPHONE, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&phoneSetHookSwitch), LONG (*)(HPHONE, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&phoneSetRing), LONG (*)(HPHONE, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&phoneSetStatusMessages), LONG (*)(HPHONE, DWORD, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&phoneSetVolume), LONG (*)(HPHONE, DWORD, DWORD)>);
static_assert(std::is_same_v<decltype(&phoneShutdown), LONG (*)(HPHONEAPP)>);
