#include "TapiCallTexts.h"

#include "TapiFields.h"

#include <iterator>

namespace {

struct Name {
    DWORD value;
    const WCHAR *text;
};

constexpr Name kStateNames[] = {
    {LINECALLSTATE_IDLE, TAPI_TEXT("Idle")},
    {LINECALLSTATE_OFFERING, TAPI_TEXT("Offering")},
    {LINECALLSTATE_ACCEPTED, TAPI_TEXT("Accepted")},
    {LINECALLSTATE_DIALTONE, TAPI_TEXT("Dialtone")},
    {LINECALLSTATE_DIALING, TAPI_TEXT("Dialing")},
    {LINECALLSTATE_RINGBACK, TAPI_TEXT("Ringback")},
    {LINECALLSTATE_BUSY, TAPI_TEXT("Busy")},
    {LINECALLSTATE_SPECIALINFO, TAPI_TEXT("SpecialInfo")},
    {LINECALLSTATE_CONNECTED, TAPI_TEXT("Connected")},
    {LINECALLSTATE_PROCEEDING, TAPI_TEXT("Proceeding")},
    {LINECALLSTATE_ONHOLD, TAPI_TEXT("On Hold")},
    {LINECALLSTATE_CONFERENCED, TAPI_TEXT("Conferenced")},
    {LINECALLSTATE_ONHOLDPENDCONF, TAPI_TEXT("On Hold Pending Conference")},
    {LINECALLSTATE_ONHOLDPENDTRANSFER, TAPI_TEXT("On Hold Pending Transfer")},
    {LINECALLSTATE_DISCONNECTED, TAPI_TEXT("Disconnected")},
};

constexpr Name kOfferingModes[] = {
    {LINEOFFERINGMODE_ACTIVE, TAPI_TEXT("(Active)")},
    {LINEOFFERINGMODE_INACTIVE, TAPI_TEXT("(Inactive)")},
};

constexpr Name kDialtoneModes[] = {
    {LINEDIALTONEMODE_NORMAL, TAPI_TEXT("(Normal)")},
    {LINEDIALTONEMODE_SPECIAL, TAPI_TEXT("(Special)")},
    {LINEDIALTONEMODE_INTERNAL, TAPI_TEXT("(Internal)")},
    {LINEDIALTONEMODE_EXTERNAL, TAPI_TEXT("(External)")},
};

constexpr Name kBusyModes[] = {
    {LINEBUSYMODE_STATION, TAPI_TEXT("(Station)")},
    {LINEBUSYMODE_TRUNK, TAPI_TEXT("(Trunk)")},
};

constexpr Name kConnectedModes[] = {
    {LINECONNECTEDMODE_ACTIVE, TAPI_TEXT("(Active)")},
    {LINECONNECTEDMODE_INACTIVE, TAPI_TEXT("(Inactive)")},
    {LINECONNECTEDMODE_ACTIVEHELD, TAPI_TEXT("(ActiveHeld)")},
    {LINECONNECTEDMODE_INACTIVEHELD, TAPI_TEXT("(InactiveHeld)")},
    {LINECONNECTEDMODE_CONFIRMED, TAPI_TEXT("(Confirmed)")},
};

constexpr Name kDisconnectModes[] = {
    {LINEDISCONNECTMODE_NORMAL, TAPI_TEXT("(Normal)")},
    {LINEDISCONNECTMODE_REJECT, TAPI_TEXT("(Reject)")},
    {LINEDISCONNECTMODE_PICKUP, TAPI_TEXT("(Pickup)")},
    {LINEDISCONNECTMODE_FORWARDED, TAPI_TEXT("(Fwd)")},
    {LINEDISCONNECTMODE_BUSY, TAPI_TEXT("(Busy)")},
    {LINEDISCONNECTMODE_NOANSWER, TAPI_TEXT("(NoAnswer)")},
    {LINEDISCONNECTMODE_BADADDRESS, TAPI_TEXT("(BadAddress)")},
    {LINEDISCONNECTMODE_UNREACHABLE, TAPI_TEXT("(Unreachable)")},
    {LINEDISCONNECTMODE_CONGESTION, TAPI_TEXT("(Congestion)")},
    {LINEDISCONNECTMODE_INCOMPATIBLE, TAPI_TEXT("(Incompatible)")},
    {LINEDISCONNECTMODE_NODIALTONE, TAPI_TEXT("(No Dialtone)")},
    {LINEDISCONNECTMODE_NUMBERCHANGED, TAPI_TEXT("(Number Changed)")},
    {LINEDISCONNECTMODE_OUTOFORDER, TAPI_TEXT("(Out of Order)")},
    {LINEDISCONNECTMODE_TEMPFAILURE, TAPI_TEXT("(Temp Failure)")},
    {LINEDISCONNECTMODE_QOSUNAVAIL, TAPI_TEXT("(QOS Unavalable)")},
    {LINEDISCONNECTMODE_BLOCKED, TAPI_TEXT("(Blocked)")},
    {LINEDISCONNECTMODE_DONOTDISTURB, TAPI_TEXT("(Do Not Disturb)")},
    {LINEDISCONNECTMODE_CANCELLED, TAPI_TEXT("(Canceled)")},
};

// Bit 0 upwards: 0x1 .. 0x80000000.
constexpr const WCHAR *kFeatureNames[32] = {
    TAPI_TEXT("LCF_ACCEPT"),
    TAPI_TEXT("LCF_ADDTOCONF"),
    TAPI_TEXT("LCF_ANSWER"),
    TAPI_TEXT("LCF_BLINDTRANSFER"),
    TAPI_TEXT("LCF_COMPLETECALL"),
    TAPI_TEXT("LCF_COMPLETETRANSF"),
    TAPI_TEXT("LCF_DIAL"),
    TAPI_TEXT("LCF_DROP"),
    TAPI_TEXT("LCF_GATHERDIGITS"),
    TAPI_TEXT("LCF_GENERATEDIGITS"),
    TAPI_TEXT("LCF_GENERATETONE"),
    TAPI_TEXT("LCF_HOLD"),
    TAPI_TEXT("LCF_MONITORDIGITS"),
    TAPI_TEXT("LCF_MONITORMEDIA"),
    TAPI_TEXT("LCF_MONITORTONES"),
    TAPI_TEXT("LCF_PARK"),
    TAPI_TEXT("LCF_PREPAREADDCONF"),
    TAPI_TEXT("LCF_REDIRECT"),
    TAPI_TEXT("LCF_REMOVEFROMCONF"),
    TAPI_TEXT("LCF_SECURECALL"),
    TAPI_TEXT("LCF_SENDUSERUSER"),
    TAPI_TEXT("LCF_SETCALLPARAMS"),
    TAPI_TEXT("LCF_SETMEDIACONTROL"),
    TAPI_TEXT("LCF_SETTERMINAL"),
    TAPI_TEXT("LCF_SETUPCONF"),
    TAPI_TEXT("LCF_SETUPTRANSFER"),
    TAPI_TEXT("LCF_SWAPHOLD"),
    TAPI_TEXT("LCF_UNHOLD"),
    TAPI_TEXT("LCF_RELEASEUSERUSERINFO"),
    TAPI_TEXT("LCF_SETTREATMENT"),
    TAPI_TEXT("LCF_SETQOS"),
    TAPI_TEXT("LCF_SETCALLDATA"),
};

// Bit 0 upwards: 0x1 .. 0x200; higher bits have no name.
constexpr const WCHAR *kFeature2Names[] = {
    TAPI_TEXT("LCF2_NOHOLDCONFERENCE"), TAPI_TEXT("LCF2_ONESTEPTRANSFER"), TAPI_TEXT("LCF2_COMPLCAMPON"),
    TAPI_TEXT("LCF2_COMPLCALLBACK"),    TAPI_TEXT("LCF2_COMPLINTRUDE"),    TAPI_TEXT("LCF2_COMPLMESSAGE"),
    TAPI_TEXT("LCF2_TRANSFERNORM"),     TAPI_TEXT("LCF2_TRANSFERCONF"),    TAPI_TEXT("LCF2_PARKDIRECT"),
    TAPI_TEXT("LCF2_PARKNONDIRECT"),
};

template <std::size_t N> const WCHAR *Lookup(const Name (&names)[N], DWORD value)
{
    for (const Name &name : names) {
        if (name.value == value)
            return name.text;
    }
    return nullptr;
}

const WCHAR *const kLineEnd = TAPI_TEXT("\r\n");

} // namespace

tapi_string TapiCallStateName(DWORD state)
{
    const WCHAR *name = Lookup(kStateNames, state);
    return name ? name : TAPI_TEXT("Unknown");
}

tapi_string TapiStateModeText(DWORD state, DWORD mode)
{
    const WCHAR *text = nullptr;
    switch (state) {
    case LINECALLSTATE_OFFERING:
        text = Lookup(kOfferingModes, mode);
        break;
    case LINECALLSTATE_DIALTONE:
        text = Lookup(kDialtoneModes, mode);
        break;
    case LINECALLSTATE_BUSY:
        text = Lookup(kBusyModes, mode);
        break;
    case LINECALLSTATE_CONNECTED:
        text = Lookup(kConnectedModes, mode);
        break;
    case LINECALLSTATE_DISCONNECTED:
        text = Lookup(kDisconnectModes, mode);
        break;
    default:
        break;
    }
    return text ? text : tapi_string();
}

tapi_string TapiCallFeaturesText(DWORD features, DWORD features2)
{
    tapi_string text;
    if (features == 0)
        text.append(TAPI_TEXT("LCF_NONE")).append(kLineEnd);
    for (unsigned bit = 0; bit < 32; ++bit) {
        if ((features & (DWORD{1} << bit)) != 0)
            text.append(kFeatureNames[bit]).append(kLineEnd);
    }
    text.append(kLineEnd);
    if (features2 == 0)
        text.append(TAPI_TEXT("LCF2_NONE")).append(kLineEnd);
    for (unsigned bit = 0; bit < std::size(kFeature2Names); ++bit) {
        if ((features2 & (DWORD{1} << bit)) != 0)
            text.append(kFeature2Names[bit]).append(kLineEnd);
    }
    return text;
}

namespace {

// Where the call information keeps one text of one party.
struct PartyField {
    DWORD LINECALLINFO::*flags;
    DWORD LINECALLINFO::*size;
    DWORD LINECALLINFO::*offset;
};

PartyField NumberField(TapiCallParty party)
{
    switch (party) {
    case TapiCallParty::Caller:
        return {&LINECALLINFO::dwCallerIDFlags, &LINECALLINFO::dwCallerIDSize, &LINECALLINFO::dwCallerIDOffset};
    case TapiCallParty::Called:
        return {&LINECALLINFO::dwCalledIDFlags, &LINECALLINFO::dwCalledIDSize, &LINECALLINFO::dwCalledIDOffset};
    case TapiCallParty::Connected:
        return {&LINECALLINFO::dwConnectedIDFlags, &LINECALLINFO::dwConnectedIDSize,
                &LINECALLINFO::dwConnectedIDOffset};
    case TapiCallParty::Redirecting:
        return {&LINECALLINFO::dwRedirectingIDFlags, &LINECALLINFO::dwRedirectingIDSize,
                &LINECALLINFO::dwRedirectingIDOffset};
    case TapiCallParty::Redirection:
        return {&LINECALLINFO::dwRedirectionIDFlags, &LINECALLINFO::dwRedirectionIDSize,
                &LINECALLINFO::dwRedirectionIDOffset};
    }
    return {nullptr, nullptr, nullptr};
}

PartyField NameField(TapiCallParty party)
{
    switch (party) {
    case TapiCallParty::Caller:
        return {&LINECALLINFO::dwCallerIDFlags, &LINECALLINFO::dwCallerIDNameSize, &LINECALLINFO::dwCallerIDNameOffset};
    case TapiCallParty::Called:
        return {&LINECALLINFO::dwCalledIDFlags, &LINECALLINFO::dwCalledIDNameSize, &LINECALLINFO::dwCalledIDNameOffset};
    case TapiCallParty::Connected:
        return {&LINECALLINFO::dwConnectedIDFlags, &LINECALLINFO::dwConnectedIDNameSize,
                &LINECALLINFO::dwConnectedIDNameOffset};
    case TapiCallParty::Redirecting:
        return {&LINECALLINFO::dwRedirectingIDFlags, &LINECALLINFO::dwRedirectingIDNameSize,
                &LINECALLINFO::dwRedirectingIDNameOffset};
    case TapiCallParty::Redirection:
        return {&LINECALLINFO::dwRedirectionIDFlags, &LINECALLINFO::dwRedirectionIDNameSize,
                &LINECALLINFO::dwRedirectionIDNameOffset};
    }
    return {nullptr, nullptr, nullptr};
}

} // namespace

tapi_string TapiCallPartyText(const LINECALLINFO *info, TapiCallParty party, TapiPartyItem item)
{
    const bool name = item == TapiPartyItem::Name;
    const PartyField field = name ? NameField(party) : NumberField(party);
    const DWORD required = name ? LINECALLPARTYID_NAME : LINECALLPARTYID_ADDRESS;
    if (!info || !field.flags || (info->*field.flags & required) == 0)
        return {};
    return ReadTapiString(info, info->*field.offset, info->*field.size);
}
