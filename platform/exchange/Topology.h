// The devices of the simulated exchange as plain data: line devices with
// their addresses, phone devices and external numbers. Capabilities are kept
// in TAPI's own fixed structures, so a test can set any combination.
#ifndef DIALWERK_EXCHANGE_TOPOLOGY_H
#define DIALWERK_EXCHANGE_TOPOLOGY_H

#include "exchange/core/Clock.h"

#include <tapi.h>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace exchange {

/// One address of a line: its dialable number and capabilities. The size
/// members of caps (dwTotalSize and every dwXxxSize/Offset) are ignored.
/// An agent group: the four words of LINEAGENTGROUPENTRY's GroupID and a
/// name. The identifier alone tells groups apart.
using AgentGroupId = std::array<DWORD, 4>;
struct AgentGroup {
    AgentGroupId id{};
    std::u16string name;
};

/// What an agent address offers: the states an agent may be put in, the
/// states it may go to next, the activities it may report and the groups
/// it may log in to.
struct AgentConfig {
    DWORD validStates = 0;                                    // LINEAGENTSTATE_ bits
    DWORD validNextStates = 0;                                // LINEAGENTSTATE_ bits
    std::vector<std::pair<DWORD, std::u16string>> activities; // id, name
    std::vector<AgentGroup> groups;
};

struct AddressConfig {
    std::u16string number;
    LINEADDRESSCAPS caps{};
    /// Predefined completion messages, in the ANSI code page; LINEADDRESSCAPS
    /// carries them as fixed-size entries (the longest plus its terminator).
    std::vector<std::string> completionMessages{};
};

/// One line device. caps.dwNumAddresses is taken from addresses.size().
struct LineConfig {
    std::u16string name;
    std::u16string providerInfo;
    std::u16string switchInfo;
    std::u16string ownerName; // caller-id name of calls from this line
    LINEDEVCAPS caps{};
    std::vector<AddressConfig> addresses;
    std::map<DWORD, AgentConfig> agents;      // by address; the others have no agent support
    std::optional<DWORD> phone;               // phone device id ("tapi/phone")
    std::optional<long> invalidPasswordState; // "ktelx/InvalidPasswordState"
    std::u16string pickupGroup;               // calls ringing here can be picked up by this group id
    bool isdn = false;                        // calls with the outside carry ISDN elements (features/Isdn.h)
    DWORD lowestVersion = 0x00010003;         // versions this device supports
    DWORD highestVersion = 0x00030000;
    /// The far end of every call on this line is a network dialog (a SIP
    /// line): every number dialed goes out, and what the network must do
    /// goes to the exchange's FarPort (far/FarPort.h).
    bool far = false;

    /// An extension with one address, voice only, with the features of a
    /// basic desk line.
    static LineConfig extension(std::u16string number, std::u16string ownerName);
    /// A line that only makes, answers and drops calls: no hold, transfer,
    /// conference, park or forwarding, so a dialer shows those disabled.
    static LineConfig fewFeatures(std::u16string number, std::u16string ownerName);
    /// A line whose one address accepts only the given media modes.
    static LineConfig singleMedia(std::u16string number, std::u16string ownerName, DWORD mediaModes);
    /// An outside trunk: address 0 dials out with `number` and offers
    /// predictive dialing, address 1 has no number of its own.
    static LineConfig trunk(std::u16string name, std::u16string number);
    /// A line whose calls are network dialogs: one address that makes,
    /// answers, drops, holds, transfers (blind and consultation), redirects,
    /// forwards and sends and monitors DTMF digits; nothing that a dialog
    /// cannot carry (conference, park, pickup, completion, agents,
    /// user-user information, media functions), so those answer
    /// LINEERR_OPERATIONUNAVAIL. Out of service until registered.
    static LineConfig farLine(std::u16string name, std::u16string number, std::u16string ownerName);
};

/// A SIP account: one far line of the exchange (see LineConfig::far).
struct SipAccount {
    std::string name;          // the line device's name
    std::string aor;           // address of record, sip:201@pbx.example.org
    std::string displayName;   // the name sent in From
    std::string registrar;     // sip:pbx.example.org; empty: no REGISTER (always in service)
    std::string outboundProxy; // empty: none
    std::string user;          // user part of the contact
    std::string authUser;      // digest user name; empty: user
    std::string password;      // read from the environment variable the office names
    std::string transport = "udp"; // udp or tcp
    uint16_t localPort = 5060;     // the local SIP port (on 127.0.0.1 / 0.0.0.0 as bind says)
    std::string bind = "0.0.0.0";  // local address to listen on
    std::string dtmf = "info";     // info (SIP INFO dtmf-relay) or rfc4733 (RTP events)
    uint32_t expires = 600;        // registration lifetime, seconds
    bool mwi = false;              // SUBSCRIBE to message-summary
    DWORD line = 0;                // the line device it drives
};

/// One button (and its lamp) of a phone.
struct ButtonConfig {
    DWORD mode = PHONEBUTTONMODE_FEATURE;
    DWORD function = PHONEBUTTONFUNCTION_NONE;
    std::u16string text;
    DWORD lampMode = PHONELAMPMODE_OFF;
};

/// One phone device. caps.dwNumButtonLamps is taken from buttons.size().
struct PhoneConfig {
    std::u16string name;
    std::u16string providerInfo;
    std::u16string phoneInfo;
    PHONECAPS caps{};
    std::vector<ButtonConfig> buttons;
    std::optional<DWORD> line; // the line this phone belongs to
    std::string display;       // initial display text (8-bit)
    DWORD lowestVersion = 0x00010003;
    DWORD highestVersion = 0x00030000;

    /// A desk phone with handset, speaker and headset, a 2 x 40 display,
    /// three ring modes and a few feature buttons.
    static PhoneConfig deskPhone(std::u16string name, DWORD line);
    /// Variations of a phone: a display applications may read but not
    /// write; a speakerphone without PHONEHOOKSWITCHMODE_MICSPEAKER; four
    /// more keys (station speed dial, camp on with a steady and broken
    /// flutter lamp, an unassigned key, a provider-specific function 0x2F);
    /// no display at all.
    static void readOnlyDisplay(PhoneConfig &phone);
    static void speakerWithoutMicSpeaker(PhoneConfig &phone);
    static void agentKeys(PhoneConfig &phone);
    static void noDisplay(PhoneConfig &phone);
};

/// How an external number behaves when it is called.
enum class ExternalBehaviour {
    Answer,      // rings, answers after `delay`
    Busy,        // busy at once
    NoAnswer,    // rings until the caller gives up
    Reject,      // rings, rejects after `delay`
    Unreachable, // disconnected at once (unreachable)
    CallBack,    // busy at once, then calls the caller's address back after `delay`
};

struct ExternalNumber {
    std::u16string number;
    std::u16string name;
    ExternalBehaviour behaviour = ExternalBehaviour::Answer;
    Millis delay{0};
};

/// Everything the exchange starts with.
struct Topology {
    std::vector<LineConfig> lines;
    std::vector<PhoneConfig> phones;
    std::vector<ExternalNumber> externals;
    /// Digits are treated as an external number only from this length on;
    /// shorter unknown numbers are bad addresses.
    size_t minExternalDigits = 7;
    /// Park addresses: a directed park names one, a non-directed park takes
    /// the first free one.
    std::vector<std::u16string> parkSlots;
    /// How long a call stays parked before it rings back where it was parked.
    Millis parkReminder{std::chrono::minutes(3)};
    /// SIP accounts, each driving the far line `line` names.
    std::vector<SipAccount> sipAccounts;
    /// How long a request on a far line waits for the network before it
    /// fails with LINEERR_OPERATIONFAILED (and the call stays as it was).
    Millis farGuard{std::chrono::seconds(32)};

    /// The default office: extensions 201 to 203, agent 204, a trunk, a fax
    /// line and a lobby line (lines 0 to 6), phones for 201 to 204 and the
    /// lobby (phones 0 to 4; see standard() for how they differ), and the
    /// external numbers of the README. resources/office/default.json holds
    /// the same office as a file (exchange/office/OfficeFile.h reads it).
    static Topology standard();
};

} // namespace exchange

#endif
