#include "exchange/Topology.h"

namespace exchange {

namespace {

// Call features this exchange carries out today; an address advertises no
// more than these unless a test widens its caps.
constexpr DWORD kBasicCallFeatures =
    LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP |
    LINECALLFEATURE_GENERATEDIGITS | LINECALLFEATURE_HOLD | LINECALLFEATURE_UNHOLD | LINECALLFEATURE_SWAPHOLD |
    LINECALLFEATURE_SENDUSERUSER | LINECALLFEATURE_RELEASEUSERUSERINFO | LINECALLFEATURE_SETQOS |
    LINECALLFEATURE_SETCALLDATA | LINECALLFEATURE_PARK | LINECALLFEATURE_REDIRECT | LINECALLFEATURE_BLINDTRANSFER |
    LINECALLFEATURE_SETUPTRANSFER | LINECALLFEATURE_COMPLETETRANSF | LINECALLFEATURE_SETUPCONF |
    LINECALLFEATURE_PREPAREADDCONF | LINECALLFEATURE_ADDTOCONF | LINECALLFEATURE_REMOVEFROMCONF |
    LINECALLFEATURE_COMPLETECALL;

constexpr DWORD kCompletionModes =
    LINECALLCOMPLMODE_CAMPON | LINECALLCOMPLMODE_CALLBACK | LINECALLCOMPLMODE_INTRUDE | LINECALLCOMPLMODE_MESSAGE;

constexpr DWORD kCallStates = LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED |
                              LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING | LINECALLSTATE_RINGBACK |
                              LINECALLSTATE_BUSY | LINECALLSTATE_CONNECTED | LINECALLSTATE_PROCEEDING |
                              LINECALLSTATE_ONHOLD | LINECALLSTATE_CONFERENCED | LINECALLSTATE_ONHOLDPENDCONF |
                              LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_DISCONNECTED | LINECALLSTATE_UNKNOWN;

// Every forward mode but the four that name a specific caller.
constexpr DWORD kNonSpecificForwardModes =
    0xFFFF & ~DWORD(LINEFORWARDMODE_UNCONDSPECIFIC | LINEFORWARDMODE_BUSYSPECIFIC | LINEFORWARDMODE_NOANSWSPECIFIC |
                    LINEFORWARDMODE_BUSYNASPECIFIC);

constexpr DWORD kPartyIdFlags =
    LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS | LINECALLPARTYID_UNKNOWN | LINECALLPARTYID_BLOCKED;

LINEADDRESSCAPS extensionAddressCaps()
{
    LINEADDRESSCAPS c{};
    c.dwAddressSharing = LINEADDRESSSHARING_PRIVATE;
    c.dwAddressStates = LINEADDRESSSTATE_OTHER | LINEADDRESSSTATE_INUSEZERO | LINEADDRESSSTATE_INUSEONE |
                        LINEADDRESSSTATE_INUSEMANY | LINEADDRESSSTATE_NUMCALLS | LINEADDRESSSTATE_CAPSCHANGE;
    c.dwCallInfoStates = LINECALLINFOSTATE_OTHER | LINECALLINFOSTATE_MEDIAMODE | LINECALLINFOSTATE_APPSPECIFIC |
                         LINECALLINFOSTATE_CALLID | LINECALLINFOSTATE_RELATEDCALLID | LINECALLINFOSTATE_ORIGIN |
                         LINECALLINFOSTATE_REASON | LINECALLINFOSTATE_NUMOWNERINCR | LINECALLINFOSTATE_NUMOWNERDECR |
                         LINECALLINFOSTATE_NUMMONITORS | LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID |
                         LINECALLINFOSTATE_CONNECTEDID | LINECALLINFOSTATE_USERUSERINFO |
                         LINECALLINFOSTATE_HIGHLEVELCOMP | LINECALLINFOSTATE_LOWLEVELCOMP |
                         LINECALLINFOSTATE_CHARGINGINFO | LINECALLINFOSTATE_QOS | LINECALLINFOSTATE_CALLDATA |
                         LINECALLINFOSTATE_TRUNK;
    c.dwCallerIDFlags = kPartyIdFlags;
    c.dwCalledIDFlags = kPartyIdFlags;
    c.dwConnectedIDFlags = kPartyIdFlags;
    c.dwRedirectionIDFlags = kPartyIdFlags;
    c.dwRedirectingIDFlags = kPartyIdFlags;
    c.dwCallStates = kCallStates;
    c.dwDialToneModes = LINEDIALTONEMODE_NORMAL;
    c.dwBusyModes = LINEBUSYMODE_STATION;
    c.dwSpecialInfo = 0;
    c.dwDisconnectModes = LINEDISCONNECTMODE_NORMAL | LINEDISCONNECTMODE_REJECT | LINEDISCONNECTMODE_BUSY |
                          LINEDISCONNECTMODE_BADADDRESS | LINEDISCONNECTMODE_UNREACHABLE | LINEDISCONNECTMODE_NOANSWER;
    c.dwMaxNumActiveCalls = 1;
    c.dwMaxNumOnHoldCalls = 3;
    c.dwAddrCapFlags = LINEADDRCAPFLAGS_DIALED | LINEADDRCAPFLAGS_PARTIALDIAL;
    c.dwCallFeatures = kBasicCallFeatures;
    c.dwRemoveFromConfState = LINECALLSTATE_IDLE;
    c.dwRemoveFromConfCaps = LINEREMOVEFROMCONF_ANY;
    c.dwTransferModes = LINETRANSFERMODE_TRANSFER | LINETRANSFERMODE_CONFERENCE;
    c.dwMaxNumConference = 3;
    c.dwMaxNumTransConf = 3;
    c.dwAddressFeatures = LINEADDRFEATURE_MAKECALL | LINEADDRFEATURE_PICKUP | LINEADDRFEATURE_PICKUPDIRECT |
                          LINEADDRFEATURE_PICKUPGROUP | LINEADDRFEATURE_UNPARK;
    c.dwParkModes = LINEPARKMODE_DIRECTED | LINEPARKMODE_NONDIRECTED;
    c.dwAddressFeatures |= LINEADDRFEATURE_FORWARD | LINEADDRFEATURE_FORWARDFWD | LINEADDRFEATURE_FORWARDDND;
    c.dwForwardModes = 0xFFFF; // every mode from UNCOND to BUSYNASPECIFIC
    c.dwMaxForwardEntries = 4;
    c.dwMaxSpecificEntries = 2;
    c.dwMinFwdNumRings = 1;
    c.dwMaxFwdNumRings = 10;
    c.dwAddrCapFlags |= LINEADDRCAPFLAGS_FWDNUMRINGS | LINEADDRCAPFLAGS_FWDSTATUSVALID |
                        LINEADDRCAPFLAGS_FWDINTEXTADDR | LINEADDRCAPFLAGS_FWDBUSYNAADDR;
    c.dwAddressStates |= LINEADDRESSSTATE_FORWARD;
    c.dwMaxCallDataSize = 4096;
    c.dwCallFeatures2 = LINECALLFEATURE2_PARKDIRECT | LINECALLFEATURE2_PARKNONDIRECT | LINECALLFEATURE2_TRANSFERNORM |
                        LINECALLFEATURE2_TRANSFERCONF | LINECALLFEATURE2_COMPLCAMPON | LINECALLFEATURE2_COMPLCALLBACK |
                        LINECALLFEATURE2_COMPLINTRUDE | LINECALLFEATURE2_COMPLMESSAGE;
    c.dwCallCompletionModes = kCompletionModes;
    c.dwConnectedModes = LINECONNECTEDMODE_ACTIVE;
    c.dwOfferingModes = LINEOFFERINGMODE_ACTIVE;
    c.dwAvailableMediaModes = LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE;
    return c;
}

} // namespace

LineConfig LineConfig::extension(std::u16string number, std::u16string ownerName)
{
    LineConfig l;
    l.name = u"Extension " + number;
    l.providerInfo = u"Dialwerk Simulated Exchange";
    l.switchInfo = u"Dialwerk PBX";
    l.ownerName = std::move(ownerName);
    LINEDEVCAPS &c = l.caps;
    c.dwStringFormat = STRINGFORMAT_UNICODE;
    c.dwAddressModes = LINEADDRESSMODE_ADDRESSID | LINEADDRESSMODE_DIALABLEADDR;
    c.dwBearerModes = LINEBEARERMODE_VOICE | LINEBEARERMODE_SPEECH;
    c.dwMaxRate = 64000;
    c.dwMediaModes = LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE | LINEMEDIAMODE_UNKNOWN;
    c.dwGenerateDigitModes = LINEDIGITMODE_DTMF | LINEDIGITMODE_PULSE;
    c.dwMonitorDigitModes = LINEDIGITMODE_DTMF; // the far party's tones (Exchange::remoteDigits)
    c.dwDevCapFlags = LINEDEVCAPFLAGS_CLOSEDROP | LINEDEVCAPFLAGS_DIALBILLING | LINEDEVCAPFLAGS_DIALQUIET |
                      LINEDEVCAPFLAGS_DIALDIALTONE | LINEDEVCAPFLAGS_LOCAL;
    c.dwMaxNumActiveCalls = 1;
    c.dwAnswerMode = LINEANSWERMODE_HOLD;
    c.dwRingModes = 1;
    c.dwLineStates = LINEDEVSTATE_OTHER | LINEDEVSTATE_RINGING | LINEDEVSTATE_CONNECTED | LINEDEVSTATE_DISCONNECTED |
                     LINEDEVSTATE_INSERVICE | LINEDEVSTATE_OUTOFSERVICE | LINEDEVSTATE_MAINTENANCE | LINEDEVSTATE_OPEN |
                     LINEDEVSTATE_CLOSE | LINEDEVSTATE_NUMCALLS | LINEDEVSTATE_REINIT | LINEDEVSTATE_LOCK |
                     LINEDEVSTATE_CAPSCHANGE | LINEDEVSTATE_CONFIGCHANGE | LINEDEVSTATE_MSGWAITON |
                     LINEDEVSTATE_MSGWAITOFF | LINEDEVSTATE_REMOVED;
    c.dwUUIAcceptSize = 256;
    c.dwUUIAnswerSize = 256;
    c.dwUUIMakeCallSize = 256;
    c.dwUUIDropSize = 256;
    c.dwUUISendUserUserInfoSize = 256;
    c.dwUUICallInfoSize = 256;
    c.MinDialParams = {50, 50, 50, 0};
    c.MaxDialParams = {2000, 2000, 1000, 10000};
    c.DefaultDialParams = {500, 100, 100, 3000};
    // Forwarding is set per address or for all at once; do-not-disturb is an
    // address feature (LINEADDRFEATURE_FORWARDDND), not one of the device.
    c.dwLineFeatures = LINEFEATURE_MAKECALL | LINEFEATURE_SETDEVSTATUS | LINEFEATURE_FORWARD | LINEFEATURE_FORWARDFWD;
    c.dwSettableDevStatus = LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_MSGWAIT | LINEDEVSTATUSFLAGS_INSERVICE |
                            LINEDEVSTATUSFLAGS_LOCKED;
    c.dwAddressTypes = LINEADDRESSTYPE_PHONENUMBER;
    l.addresses.push_back({std::move(number), extensionAddressCaps()});
    l.addresses[0].completionMessages = {"Please call back", "Urgent: call me", "I will call again"};
    return l;
}

PhoneConfig PhoneConfig::deskPhone(std::u16string name, DWORD line)
{
    PhoneConfig p;
    p.name = std::move(name);
    p.providerInfo = u"Dialwerk Simulated Exchange";
    p.phoneInfo = u"Desk phone";
    p.line = line;
    PHONECAPS &c = p.caps;
    c.dwStringFormat = STRINGFORMAT_UNICODE;
    c.dwPhoneStates = PHONESTATE_OTHER | PHONESTATE_CONNECTED | PHONESTATE_DISCONNECTED | PHONESTATE_OWNER |
                      PHONESTATE_MONITORS | PHONESTATE_DISPLAY | PHONESTATE_LAMP | PHONESTATE_RINGMODE |
                      PHONESTATE_RINGVOLUME | PHONESTATE_HANDSETHOOKSWITCH | PHONESTATE_HANDSETVOLUME |
                      PHONESTATE_HANDSETGAIN | PHONESTATE_SPEAKERHOOKSWITCH | PHONESTATE_SPEAKERVOLUME |
                      PHONESTATE_SPEAKERGAIN | PHONESTATE_HEADSETHOOKSWITCH | PHONESTATE_HEADSETVOLUME |
                      PHONESTATE_HEADSETGAIN | PHONESTATE_SUSPEND | PHONESTATE_RESUME | PHONESTATE_REINIT |
                      PHONESTATE_CAPSCHANGE | PHONESTATE_REMOVED;
    c.dwHookSwitchDevs = PHONEHOOKSWITCHDEV_HANDSET | PHONEHOOKSWITCHDEV_SPEAKER | PHONEHOOKSWITCHDEV_HEADSET;
    constexpr DWORD allModes = PHONEHOOKSWITCHMODE_ONHOOK | PHONEHOOKSWITCHMODE_MIC | PHONEHOOKSWITCHMODE_SPEAKER |
                               PHONEHOOKSWITCHMODE_MICSPEAKER;
    c.dwHandsetHookSwitchModes = PHONEHOOKSWITCHMODE_ONHOOK | PHONEHOOKSWITCHMODE_MICSPEAKER;
    c.dwSpeakerHookSwitchModes = allModes;
    c.dwHeadsetHookSwitchModes = allModes;
    c.dwVolumeFlags = c.dwHookSwitchDevs;
    c.dwGainFlags = c.dwHookSwitchDevs;
    c.dwDisplayNumRows = 2;
    c.dwDisplayNumColumns = 40;
    c.dwNumRingModes = 3;
    c.dwPhoneFeatures = PHONEFEATURE_GETBUTTONINFO | PHONEFEATURE_GETDISPLAY | PHONEFEATURE_GETGAINHANDSET |
                        PHONEFEATURE_GETGAINSPEAKER | PHONEFEATURE_GETGAINHEADSET | PHONEFEATURE_GETHOOKSWITCHHANDSET |
                        PHONEFEATURE_GETHOOKSWITCHSPEAKER | PHONEFEATURE_GETHOOKSWITCHHEADSET | PHONEFEATURE_GETLAMP |
                        PHONEFEATURE_GETRING | PHONEFEATURE_GETVOLUMEHANDSET | PHONEFEATURE_GETVOLUMESPEAKER |
                        PHONEFEATURE_GETVOLUMEHEADSET | PHONEFEATURE_SETDISPLAY | PHONEFEATURE_SETGAINHANDSET |
                        PHONEFEATURE_SETGAINSPEAKER | PHONEFEATURE_SETGAINHEADSET | PHONEFEATURE_SETHOOKSWITCHHANDSET |
                        PHONEFEATURE_SETHOOKSWITCHSPEAKER | PHONEFEATURE_SETHOOKSWITCHHEADSET | PHONEFEATURE_SETRING |
                        PHONEFEATURE_SETVOLUMEHANDSET | PHONEFEATURE_SETVOLUMESPEAKER | PHONEFEATURE_SETVOLUMEHEADSET;
    c.dwSettableHandsetHookSwitchModes = c.dwHandsetHookSwitchModes;
    c.dwSettableSpeakerHookSwitchModes = allModes;
    c.dwSettableHeadsetHookSwitchModes = allModes;
    c.dwMonitoredHandsetHookSwitchModes = c.dwHandsetHookSwitchModes;
    c.dwMonitoredSpeakerHookSwitchModes = allModes;
    c.dwMonitoredHeadsetHookSwitchModes = allModes;
    p.buttons = {
        {PHONEBUTTONMODE_CALL, PHONEBUTTONFUNCTION_CALLAPP, u"Line 1", PHONELAMPMODE_OFF},
        {PHONEBUTTONMODE_FEATURE, PHONEBUTTONFUNCTION_HOLD, u"Hold", PHONELAMPMODE_OFF},
        {PHONEBUTTONMODE_FEATURE, PHONEBUTTONFUNCTION_TRANSFER, u"Transfer", PHONELAMPMODE_OFF},
        {PHONEBUTTONMODE_FEATURE, PHONEBUTTONFUNCTION_CONFERENCE, u"Conference", PHONELAMPMODE_OFF},
        {PHONEBUTTONMODE_FEATURE, PHONEBUTTONFUNCTION_FORWARD, u"Forward", PHONELAMPMODE_OFF},
        {PHONEBUTTONMODE_FEATURE, PHONEBUTTONFUNCTION_MSGINDICATOR, u"Message", PHONELAMPMODE_STEADY},
        {PHONEBUTTONMODE_KEYPAD, PHONEBUTTONFUNCTION_NONE, u"1", PHONELAMPMODE_DUMMY},
        {PHONEBUTTONMODE_DISPLAY, PHONEBUTTONFUNCTION_NONE, u"", PHONELAMPMODE_DUMMY},
    };
    return p;
}

void PhoneConfig::readOnlyDisplay(PhoneConfig &phone)
{
    phone.caps.dwPhoneFeatures &= ~DWORD{PHONEFEATURE_SETDISPLAY};
}

void PhoneConfig::speakerWithoutMicSpeaker(PhoneConfig &phone)
{
    PHONECAPS &c = phone.caps;
    constexpr DWORD modes = PHONEHOOKSWITCHMODE_ONHOOK | PHONEHOOKSWITCHMODE_MIC | PHONEHOOKSWITCHMODE_SPEAKER;
    c.dwSpeakerHookSwitchModes = modes;
    c.dwSettableSpeakerHookSwitchModes = modes;
    c.dwMonitoredSpeakerHookSwitchModes = modes;
}

void PhoneConfig::agentKeys(PhoneConfig &phone)
{
    // 0x2F lies past the published functions: a provider's own.
    constexpr DWORD providerFunction = 0x2F;
    phone.buttons.push_back({PHONEBUTTONMODE_FEATURE, PHONEBUTTONFUNCTION_STATIONSPEED, u"Supervisor", PHONELAMPMODE_OFF});
    phone.buttons.push_back({PHONEBUTTONMODE_FEATURE, PHONEBUTTONFUNCTION_CAMPON, u"Camp On",
                             PHONELAMPMODE_STEADY | PHONELAMPMODE_BROKENFLUTTER});
    phone.buttons.push_back({PHONEBUTTONMODE_FEATURE, PHONEBUTTONFUNCTION_NONE, u"", PHONELAMPMODE_OFF});
    phone.buttons.push_back({PHONEBUTTONMODE_FEATURE | PHONEBUTTONMODE_LOCAL, providerFunction, u"Wrap Up",
                             PHONELAMPMODE_OFF});
}

void PhoneConfig::noDisplay(PhoneConfig &phone)
{
    PHONECAPS &c = phone.caps;
    c.dwDisplayNumRows = 0;
    c.dwDisplayNumColumns = 0;
    c.dwPhoneFeatures &= ~DWORD{PHONEFEATURE_SETDISPLAY | PHONEFEATURE_GETDISPLAY};
    c.dwPhoneStates &= ~DWORD{PHONESTATE_DISPLAY};
    phone.display.clear();
}

LineConfig LineConfig::fewFeatures(std::u16string number, std::u16string ownerName)
{
    LineConfig l = extension(std::move(number), std::move(ownerName));
    l.name = u"Lobby " + l.addresses[0].number;
    l.caps.dwLineFeatures = LINEFEATURE_MAKECALL;
    LINEADDRESSCAPS &a = l.addresses[0].caps;
    a.dwCallFeatures = LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP;
    a.dwCallFeatures2 = 0;
    a.dwAddressFeatures = LINEADDRFEATURE_MAKECALL;
    a.dwAddrCapFlags = LINEADDRCAPFLAGS_DIALED;
    a.dwTransferModes = 0;
    a.dwParkModes = 0;
    a.dwCallCompletionModes = 0;
    l.addresses[0].completionMessages.clear();
    a.dwForwardModes = 0;
    a.dwMaxNumConference = 0;
    a.dwMaxNumTransConf = 0;
    a.dwRemoveFromConfCaps = LINEREMOVEFROMCONF_NONE;
    a.dwMaxNumOnHoldCalls = 0;
    return l;
}

LineConfig LineConfig::farLine(std::u16string name, std::u16string number, std::u16string ownerName)
{
    LineConfig l = extension(std::move(number), std::move(ownerName));
    l.name = std::move(name);
    l.providerInfo = u"Dialwerk SIP (libre 1.1.0)";
    l.switchInfo = u"SIP";
    l.far = true;
    LINEDEVCAPS &c = l.caps;
    c.dwGenerateDigitModes = LINEDIGITMODE_DTMF;
    c.dwLineFeatures = LINEFEATURE_MAKECALL | LINEFEATURE_FORWARD | LINEFEATURE_FORWARDFWD;
    // The network owns the line's status: registration is in service,
    // message waiting comes from the mailbox.
    c.dwSettableDevStatus = 0;
    c.dwUUIAcceptSize = c.dwUUIAnswerSize = c.dwUUIMakeCallSize = c.dwUUIDropSize = 0;
    c.dwUUISendUserUserInfoSize = c.dwUUICallInfoSize = 0;
    c.dwDevCapFlags &= ~DWORD(LINEDEVCAPFLAGS_DIALBILLING | LINEDEVCAPFLAGS_DIALQUIET);
    LINEADDRESSCAPS &a = l.addresses[0].caps;
    a.dwCallFeatures = LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP |
                       LINECALLFEATURE_GENERATEDIGITS | LINECALLFEATURE_HOLD | LINECALLFEATURE_UNHOLD |
                       LINECALLFEATURE_SWAPHOLD | LINECALLFEATURE_SETCALLDATA | LINECALLFEATURE_REDIRECT |
                       LINECALLFEATURE_BLINDTRANSFER | LINECALLFEATURE_SETUPTRANSFER |
                       LINECALLFEATURE_COMPLETETRANSF;
    a.dwCallFeatures2 = LINECALLFEATURE2_TRANSFERNORM;
    a.dwAddressFeatures = LINEADDRFEATURE_MAKECALL | LINEADDRFEATURE_FORWARD | LINEADDRFEATURE_FORWARDFWD |
                          LINEADDRFEATURE_FORWARDDND;
    a.dwTransferModes = LINETRANSFERMODE_TRANSFER;
    a.dwParkModes = 0;
    a.dwCallCompletionModes = 0;
    a.dwMaxNumConference = 0;
    a.dwMaxNumTransConf = 0;
    a.dwRemoveFromConfCaps = LINEREMOVEFROMCONF_NONE;
    a.dwMaxNumOnHoldCalls = 1;
    a.dwDisconnectModes |= LINEDISCONNECTMODE_BLOCKED | LINEDISCONNECTMODE_INCOMPATIBLE |
                           LINEDISCONNECTMODE_TEMPFAILURE | LINEDISCONNECTMODE_CONGESTION |
                           LINEDISCONNECTMODE_UNAVAIL;
    l.addresses[0].completionMessages.clear();
    return l;
}

LineConfig LineConfig::singleMedia(std::u16string number, std::u16string ownerName, DWORD mediaModes)
{
    LineConfig l = extension(std::move(number), std::move(ownerName));
    l.caps.dwMediaModes = mediaModes;
    l.caps.dwBearerModes = LINEBEARERMODE_VOICE;
    l.addresses[0].caps.dwAvailableMediaModes = mediaModes;
    return l;
}

LineConfig LineConfig::trunk(std::u16string name, std::u16string number)
{
    LineConfig l = extension(std::move(number), u"");
    l.name = std::move(name);
    l.isdn = true;
    l.caps.dwLineFeatures = LINEFEATURE_MAKECALL;
    l.caps.dwMaxNumActiveCalls = 2;
    constexpr DWORD trunkCallFeatures = LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_DIAL |
                                        LINECALLFEATURE_DROP | LINECALLFEATURE_GENERATEDIGITS | LINECALLFEATURE_HOLD |
                                        LINECALLFEATURE_UNHOLD;
    LINEADDRESSCAPS &dialer = l.addresses[0].caps;
    dialer.dwCallFeatures = trunkCallFeatures;
    dialer.dwCallFeatures2 = 0;
    dialer.dwAddressFeatures = LINEADDRFEATURE_MAKECALL;
    dialer.dwTransferModes = 0;
    dialer.dwParkModes = 0;
    dialer.dwCallCompletionModes = 0;
    l.addresses[0].completionMessages.clear();
    dialer.dwForwardModes = 0;
    dialer.dwMaxNumConference = 0;
    dialer.dwMaxNumTransConf = 0;
    dialer.dwRemoveFromConfCaps = LINEREMOVEFROMCONF_NONE;
    dialer.dwAddrCapFlags = LINEADDRCAPFLAGS_DIALED | LINEADDRCAPFLAGS_PREDICTIVEDIALER;
    // Only a connected call has a far party to pass on, so that is the one
    // state the trunk offers for it.
    dialer.dwPredictiveAutoTransferStates = LINECALLSTATE_CONNECTED;
    dialer.dwNumCallTreatments = 0;
    dialer.dwMaxNoAnswerTimeout = 120;
    AddressConfig plain{u"", dialer};
    plain.caps.dwAddrCapFlags = LINEADDRCAPFLAGS_DIALED;
    plain.caps.dwPredictiveAutoTransferStates = 0;
    plain.caps.dwMaxNoAnswerTimeout = 0;
    l.addresses.push_back(std::move(plain));
    return l;
}

Topology Topology::standard()
{
    Topology t;
    t.lines.push_back(LineConfig::extension(u"201", u"Anna Berg"));
    t.lines.push_back(LineConfig::extension(u"202", u"Ben Carter"));
    t.lines.push_back(LineConfig::extension(u"203", u"Carl Dahl"));
    t.lines.push_back(LineConfig::extension(u"204", u"Dana Ek"));
    // Carl's desk forwards every caller alike: no caller-specific modes.
    t.lines[2].addresses[0].caps.dwForwardModes = kNonSpecificForwardModes;
    t.lines[3].name = u"Agent 204";
    t.lines[3].agents[0] = AgentConfig{
        LINEAGENTSTATE_LOGGEDOFF | LINEAGENTSTATE_NOTREADY | LINEAGENTSTATE_READY | LINEAGENTSTATE_BUSYACD |
            LINEAGENTSTATE_BUSYINCOMING | LINEAGENTSTATE_BUSYOUTBOUND | LINEAGENTSTATE_WORKINGAFTERCALL,
        LINEAGENTSTATE_LOGGEDOFF | LINEAGENTSTATE_NOTREADY | LINEAGENTSTATE_READY | LINEAGENTSTATE_WORKINGAFTERCALL,
        {{1, u"Sales"}, {2, u"Support"}, {3, u"Break"}},
        {{{0x5A1E5, 0, 0, 1}, u"Sales"}, {{0x5A1E5, 0, 0, 2}, u"Support"}, {{0x5A1E5, 0, 1, 0}, u"Key Accounts"}}};
    t.lines.push_back(LineConfig::trunk(u"Trunk 1", u"5550200"));
    t.lines.push_back(LineConfig::singleMedia(u"205", u"Fax 205", LINEMEDIAMODE_G3FAX));
    t.lines[5].name = u"Fax 205";
    t.lines.push_back(LineConfig::fewFeatures(u"206", u"Lobby"));
    // Extensions 201 to 204 have desk phones 0 to 3 and form pickup group 1;
    // the lobby's phone comes last (phone 4). Trunk and fax have no phone.
    const char *displays[] = {"201 Anna Berg", "202 Ben Carter", "203 Carl Dahl", "204 Dana Ek"};
    for (DWORD i = 0; i < 4; ++i) {
        t.lines[i].phone = i;
        t.lines[i].pickupGroup = u"1";
        t.lines[i].invalidPasswordState = 0;
        t.phones.push_back(PhoneConfig::deskPhone(u"Phone " + t.lines[i].addresses[0].number, i));
        t.phones[i].display = displays[i];
    }
    t.lines[6].phone = 4;
    t.phones.push_back(PhoneConfig::deskPhone(u"Phone 206", 6));
    t.phones[4].display = "206 Lobby";
    // Not every phone is the same desk phone, so a dialer meets the
    // variations: Carl's display shows but cannot be written and his
    // speakerphone has no mic-and-speaker mode; Dana's phone has speed-dial,
    // camp-on and unassigned keys, one with a provider-specific function and
    // one whose lamp reports two modes at once; the lobby phone has no display.
    PhoneConfig::readOnlyDisplay(t.phones[2]);
    PhoneConfig::speakerWithoutMicSpeaker(t.phones[2]);
    PhoneConfig::agentKeys(t.phones[3]);
    PhoneConfig::noDisplay(t.phones[4]);
    for (char16_t d = u'1'; d <= u'9'; ++d)
        t.parkSlots.push_back(std::u16string(u"700") + d);
    t.externals = {
        {u"5550100", u"Clara Diaz", ExternalBehaviour::Answer, Millis(3000)},
        {u"5550101", u"Busy Line", ExternalBehaviour::Busy, Millis(0)},
        {u"5550102", u"No Answer", ExternalBehaviour::NoAnswer, Millis(0)},
        {u"5550103", u"Rejecting Party", ExternalBehaviour::Reject, Millis(2000)},
        {u"5550104", u"Unreachable", ExternalBehaviour::Unreachable, Millis(0)},
        {u"5550105", u"Quick Answer", ExternalBehaviour::Answer, Millis(0)},
        {u"5550106", u"Call Back", ExternalBehaviour::CallBack, Millis(3000)},
    };
    return t;
}

} // namespace exchange
