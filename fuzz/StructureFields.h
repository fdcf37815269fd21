// The variable fields (size and offset members) of the provider structures the
// structure fuzzer fills, so that every field of every structure goes through the
// checked readers, including the fields the dialer does not show yet.
#pragma once

#include "TapiPlatform.h"

#include <array>

template <class T> struct VarField {
    DWORD T::*size;
    DWORD T::*offset;
};

#define DIALWERK_FIELD(T, name)                                                                                        \
    VarField<T>                                                                                                        \
    {                                                                                                                  \
        &T::name##Size, &T::name##Offset                                                                               \
    }

inline constexpr std::array kDevCapsFields{
    DIALWERK_FIELD(LINEDEVCAPS, dwProviderInfo),  DIALWERK_FIELD(LINEDEVCAPS, dwSwitchInfo),
    DIALWERK_FIELD(LINEDEVCAPS, dwLineName),      DIALWERK_FIELD(LINEDEVCAPS, dwTerminalCaps),
    DIALWERK_FIELD(LINEDEVCAPS, dwTerminalText),  DIALWERK_FIELD(LINEDEVCAPS, dwDevSpecific),
    DIALWERK_FIELD(LINEDEVCAPS, dwDeviceClasses),
};

inline constexpr std::array kAddressCapsFields{
    DIALWERK_FIELD(LINEADDRESSCAPS, dwAddress),           DIALWERK_FIELD(LINEADDRESSCAPS, dwDevSpecific),
    DIALWERK_FIELD(LINEADDRESSCAPS, dwCompletionMsgText), DIALWERK_FIELD(LINEADDRESSCAPS, dwCallTreatmentList),
    DIALWERK_FIELD(LINEADDRESSCAPS, dwDeviceClasses),
};

inline constexpr std::array kCallInfoFields{
    DIALWERK_FIELD(LINECALLINFO, dwCallerID),        DIALWERK_FIELD(LINECALLINFO, dwCallerIDName),
    DIALWERK_FIELD(LINECALLINFO, dwCalledID),        DIALWERK_FIELD(LINECALLINFO, dwCalledIDName),
    DIALWERK_FIELD(LINECALLINFO, dwConnectedID),     DIALWERK_FIELD(LINECALLINFO, dwConnectedIDName),
    DIALWERK_FIELD(LINECALLINFO, dwRedirectionID),   DIALWERK_FIELD(LINECALLINFO, dwRedirectionIDName),
    DIALWERK_FIELD(LINECALLINFO, dwRedirectingID),   DIALWERK_FIELD(LINECALLINFO, dwRedirectingIDName),
    DIALWERK_FIELD(LINECALLINFO, dwAppName),         DIALWERK_FIELD(LINECALLINFO, dwDisplayableAddress),
    DIALWERK_FIELD(LINECALLINFO, dwCalledParty),     DIALWERK_FIELD(LINECALLINFO, dwComment),
    DIALWERK_FIELD(LINECALLINFO, dwDisplay),         DIALWERK_FIELD(LINECALLINFO, dwUserUserInfo),
    DIALWERK_FIELD(LINECALLINFO, dwHighLevelComp),   DIALWERK_FIELD(LINECALLINFO, dwLowLevelComp),
    DIALWERK_FIELD(LINECALLINFO, dwChargingInfo),    DIALWERK_FIELD(LINECALLINFO, dwTerminalModes),
    DIALWERK_FIELD(LINECALLINFO, dwDevSpecific),     DIALWERK_FIELD(LINECALLINFO, dwCallData),
    DIALWERK_FIELD(LINECALLINFO, dwSendingFlowspec), DIALWERK_FIELD(LINECALLINFO, dwReceivingFlowspec),
};

inline constexpr std::array kCallStatusFields{DIALWERK_FIELD(LINECALLSTATUS, dwDevSpecific)};

inline constexpr std::array kAddressStatusFields{
    DIALWERK_FIELD(LINEADDRESSSTATUS, dwForward),
    DIALWERK_FIELD(LINEADDRESSSTATUS, dwTerminalModes),
    DIALWERK_FIELD(LINEADDRESSSTATUS, dwDevSpecific),
};

inline constexpr std::array kPhoneCapsFields{
    DIALWERK_FIELD(PHONECAPS, dwProviderInfo),    DIALWERK_FIELD(PHONECAPS, dwPhoneInfo),
    DIALWERK_FIELD(PHONECAPS, dwPhoneName),       DIALWERK_FIELD(PHONECAPS, dwButtonModes),
    DIALWERK_FIELD(PHONECAPS, dwButtonFunctions), DIALWERK_FIELD(PHONECAPS, dwLampModes),
    DIALWERK_FIELD(PHONECAPS, dwSetData),         DIALWERK_FIELD(PHONECAPS, dwGetData),
    DIALWERK_FIELD(PHONECAPS, dwDevSpecific),     DIALWERK_FIELD(PHONECAPS, dwDeviceClasses),
};

inline constexpr std::array kPhoneStatusFields{
    DIALWERK_FIELD(PHONESTATUS, dwDisplay),
    DIALWERK_FIELD(PHONESTATUS, dwLampModes),
    DIALWERK_FIELD(PHONESTATUS, dwOwnerName),
    DIALWERK_FIELD(PHONESTATUS, dwDevSpecific),
};

inline constexpr std::array kButtonInfoFields{
    DIALWERK_FIELD(PHONEBUTTONINFO, dwButtonText),
    DIALWERK_FIELD(PHONEBUTTONINFO, dwDevSpecific),
};

inline constexpr std::array kVarStringFields{DIALWERK_FIELD(VARSTRING, dwString)};
inline constexpr std::array kCallListFields{DIALWERK_FIELD(LINECALLLIST, dwCalls)};
inline constexpr std::array kGroupListFields{DIALWERK_FIELD(LINEAGENTGROUPLIST, dwList)};
inline constexpr std::array kActivityListFields{DIALWERK_FIELD(LINEAGENTACTIVITYLIST, dwList)};

inline constexpr std::array kAgentStatusFields{
    DIALWERK_FIELD(LINEAGENTSTATUS, dwGroupList),
    DIALWERK_FIELD(LINEAGENTSTATUS, dwActivity),
};

inline constexpr std::array kAgentCapsFields{
    DIALWERK_FIELD(LINEAGENTCAPS, dwAgentHandlerInfo),
    DIALWERK_FIELD(LINEAGENTCAPS, dwAgentExtensionIDList),
};

inline constexpr std::array kTranslateOutputFields{
    DIALWERK_FIELD(LINETRANSLATEOUTPUT, dwDialableString),
    DIALWERK_FIELD(LINETRANSLATEOUTPUT, dwDisplayableString),
};

#undef DIALWERK_FIELD
