#include <app/ErrorTexts.h>

#include <array>

namespace {

constexpr std::uint32_t kTimeout = 0xFFFFFFFF;
constexpr std::uint32_t kLineErrorBase = 0x80000000;
constexpr std::uint32_t kPhoneErrorBase = 0x90000000;

// The texts are the program's own and differ from TAPI's names in places
// ("Multiple instances not alloed" included); they are shown exactly so.
// Indexed by code - 0x80000000; null where TAPI defines no code.
constexpr std::array<const char *, 93> kLineErrors{
    nullptr,
    "Line is allocated already.",    // LINEERR_ALLOCATED
    "Bad Device ID",                 // LINEERR_BADDEVICEID
    "Bearer Mode Unknown",           // LINEERR_BEARERMODEUNAVAIL
    nullptr,                         // 0x80000004: no TAPI code
    "No more calls can be made",     // LINEERR_CALLUNAVAIL
    "Completion Overrun",            // LINEERR_COMPLETIONOVERRUN
    "Conference is full",            // LINEERR_CONFERENCEFULL
    "Dial billing not supported",    // LINEERR_DIALBILLING
    "No dialtone detected",          // LINEERR_DIALDIALTONE
    "Dial prompting not supported",  // LINEERR_DIALPROMPT
    "Dial cannot be suppressed",     // LINEERR_DIALQUIET
    "Incompatible API version",      // LINEERR_INCOMPATIBLEAPIVERSION
    "Incompatible EXT version",      // LINEERR_INCOMPATIBLEEXTVERSION
    "TELEPHON.INI is corrupt",       // LINEERR_INIFILECORRUPT
    "Line is in-use",                // LINEERR_INUSE
    "Invalid Address",               // LINEERR_INVALADDRESS
    "Invalid Address ID",            // LINEERR_INVALADDRESSID
    "Invalid Address Mode",          // LINEERR_INVALADDRESSMODE
    "Invalid Address State",         // LINEERR_INVALADDRESSSTATE
    "Invalid TAPI handle",           // LINEERR_INVALAPPHANDLE
    "Invalid Application Name",      // LINEERR_INVALAPPNAME
    "Invalid Bearer Mode",           // LINEERR_INVALBEARERMODE
    "Invalid Call Completion Mode",  // LINEERR_INVALCALLCOMPLMODE
    "Invalid Call handle",           // LINEERR_INVALCALLHANDLE
    "Invalid Call Parameters",       // LINEERR_INVALCALLPARAMS
    "Invalid Call Privilege",        // LINEERR_INVALCALLPRIVILEGE
    "Invalid Call Select",           // LINEERR_INVALCALLSELECT
    "Call not in proper state",      // LINEERR_INVALCALLSTATE
    "Invalid call list",             // LINEERR_INVALCALLSTATELIST
    "Invalid toll card",             // LINEERR_INVALCARD
    "Unknown completion ID",         // LINEERR_INVALCOMPLETIONID
    "Conference not valid",          // LINEERR_INVALCONFCALLHANDLE
    "Consultation call not valid",   // LINEERR_INVALCONSULTCALLHANDLE
    "Invalid Country code",          // LINEERR_INVALCOUNTRYCODE
    "Unknown device class",          // LINEERR_INVALDEVICECLASS
    "Invalid Device handle",         // LINEERR_INVALDEVICEHANDLE
    "Invalid Dialing parameters",    // LINEERR_INVALDIALPARAMS
    "Invalid Digit list",            // LINEERR_INVALDIGITLIST
    "Invalid Digit mode",            // LINEERR_INVALDIGITMODE
    "Invalid digits",                // LINEERR_INVALDIGITS
    "Invalid Extended Version",      // LINEERR_INVALEXTVERSION
    "Invalid Group ID",              // LINEERR_INVALGROUPID
    "Invalid Line Handle",           // LINEERR_INVALLINEHANDLE
    "Invalid Line State",            // LINEERR_INVALLINESTATE
    "Invalid Location",              // LINEERR_INVALLOCATION
    "Invalid Media list",            // LINEERR_INVALMEDIALIST
    "Invalid Media mode",            // LINEERR_INVALMEDIAMODE
    "Invalid Message ID",            // LINEERR_INVALMESSAGEID
    nullptr,                         // 0x80000031: no TAPI code
    "Invalid Parameter",             // LINEERR_INVALPARAM
    "Invalid Park ID",               // LINEERR_INVALPARKID
    "Invalid Park Mode",             // LINEERR_INVALPARKMODE
    "Invalid Pointer",               // LINEERR_INVALPOINTER
    "Invalid Privilege",             // LINEERR_INVALPRIVSELECT
    "Invalid Rate",                  // LINEERR_INVALRATE
    "Invalid Request Mode",          // LINEERR_INVALREQUESTMODE
    "Invalid Terminal ID",           // LINEERR_INVALTERMINALID
    "Invalid Terminal Mode",         // LINEERR_INVALTERMINALMODE
    "Invalid Timeout",               // LINEERR_INVALTIMEOUT
    "Invalid Tone",                  // LINEERR_INVALTONE
    "Invalid Tone List",             // LINEERR_INVALTONELIST
    "Invalid Tone Mode",             // LINEERR_INVALTONEMODE
    "Invalid Transfer mode",         // LINEERR_INVALTRANSFERMODE
    "Line Mapper Failed",            // LINEERR_LINEMAPPERFAILED
    "No conference available",       // LINEERR_NOCONFERENCE
    "Device not found",              // LINEERR_NODEVICE
    "Driver not found",              // LINEERR_NODRIVER
    "Out of memory",                 // LINEERR_NOMEM
    "No request",                    // LINEERR_NOREQUEST
    "Access denied",                 // LINEERR_NOTOWNER
    "Not registered",                // LINEERR_NOTREGISTERED
    "Operation Failed",              // LINEERR_OPERATIONFAILED
    "Operation Unavailable",         // LINEERR_OPERATIONUNAVAIL
    "Rate Unavailable",              // LINEERR_RATEUNAVAIL
    "Resource Unavailable",          // LINEERR_RESOURCEUNAVAIL
    "Request Overrun",               // LINEERR_REQUESTOVERRUN
    "Structure too small",           // LINEERR_STRUCTURETOOSMALL
    "Target not found",              // LINEERR_TARGETNOTFOUND
    "Target number is self!",        // LINEERR_TARGETSELF
    "Not initialized",               // LINEERR_UNINITIALIZED
    "UUI too big",                   // LINEERR_USERUSERINFOTOOBIG
    "Re-init required",              // LINEERR_REINIT
    "Address is blocked",            // LINEERR_ADDRESSBLOCKED
    "Billing code rejected",         // LINEERR_BILLINGREJECTED
    "Invalid feature",               // LINEERR_INVALFEATURE
    "Multiple instances not alloed", // LINEERR_NOMULTIPLEINSTANCE
    "Invalid Agent ID",              // LINEERR_INVALAGENTID
    "Invalid Agent group",           // LINEERR_INVALAGENTGROUP
    "Invalid Password",              // LINEERR_INVALPASSWORD
    "Invalid Agent State",           // LINEERR_INVALAGENTSTATE
    "Invalid Agent Activity",        // LINEERR_INVALAGENTACTIVITY
    "Voice detected",                // LINEERR_DIALVOICEDETECT
};

// Indexed by code - 0x90000000; null where TAPI defines no code.
constexpr std::array<const char *, 36> kPhoneErrors{
    nullptr,
    "Phone is allocated already",    // PHONEERR_ALLOCATED
    "Bad phone device id",           // PHONEERR_BADDEVICEID
    "Incompatible API version",      // PHONEERR_INCOMPATIBLEAPIVERSION
    "Incompatible EXT version",      // PHONEERR_INCOMPATIBLEEXTVERSION
    "TELEPHON.INI is corrupt",       // PHONEERR_INIFILECORRUPT
    "Phone is in-use",               // PHONEERR_INUSE
    "Invalid TAPI handle",           // PHONEERR_INVALAPPHANDLE
    "Invalid application name",      // PHONEERR_INVALAPPNAME
    "Invalid Button/Lamp ID",        // PHONEERR_INVALBUTTONLAMPID
    "Invalid Button mode",           // PHONEERR_INVALBUTTONMODE
    "Invalid Button state",          // PHONEERR_INVALBUTTONSTATE
    "Invalid phone buffer ID",       // PHONEERR_INVALDATAID
    "Invalid device class",          // PHONEERR_INVALDEVICECLASS
    "Invalid Extension version",     // PHONEERR_INVALEXTVERSION
    "Invalid Hookswitch device",     // PHONEERR_INVALHOOKSWITCHDEV
    "Invalid Hookswitch mode",       // PHONEERR_INVALHOOKSWITCHMODE
    "Invalid lamp mode",             // PHONEERR_INVALLAMPMODE
    "Invalid parameter",             // PHONEERR_INVALPARAM
    "Invalid phone handle",          // PHONEERR_INVALPHONEHANDLE
    "Invalid phone state",           // PHONEERR_INVALPHONESTATE
    "Invalid pointer",               // PHONEERR_INVALPOINTER
    "Invalid phone privilege",       // PHONEERR_INVALPRIVILEGE
    "Invalid ringer mode",           // PHONEERR_INVALRINGMODE
    "Phone device does not exist",   // PHONEERR_NODEVICE
    "TSP Driver missing components", // PHONEERR_NODRIVER
    "Out of memory",                 // PHONEERR_NOMEM
    "Access denied",                 // PHONEERR_NOTOWNER
    "Operation Failed",              // PHONEERR_OPERATIONFAILED
    "Operation Unavailable",         // PHONEERR_OPERATIONUNAVAIL
    nullptr,                         // 0x9000001E: no TAPI code
    "Resource Unavailable",          // PHONEERR_RESOURCEUNAVAIL
    "Request list overrun",          // PHONEERR_REQUESTOVERRUN
    "Structure too small",           // PHONEERR_STRUCTURETOOSMALL
    "Phone not initialized",         // PHONEERR_UNINITIALIZED
    "TAPI must be reinitialized",    // PHONEERR_REINIT
};

template <std::size_t N> const char *Lookup(const std::array<const char *, N> &texts, std::uint32_t index)
{
    return index < N ? texts[index] : nullptr;
}

} // namespace

QString GetErrorText(std::uint32_t code)
{
    if (code == kTimeout)
        return QStringLiteral("Request timeout");
    // Only the codes TAPI defines have a text; any other value (a request
    // identifier, or an undefined code whose low bits look like a defined
    // one) must not borrow another code's words.
    const char *text = nullptr;
    if (code > kPhoneErrorBase)
        text = Lookup(kPhoneErrors, code - kPhoneErrorBase);
    else if (code > kLineErrorBase)
        text = Lookup(kLineErrors, code - kLineErrorBase);
    return QString::fromLatin1(text ? text : "Unknown Error");
}
