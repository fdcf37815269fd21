// One call on one line: what TAPI calls a call. A leg has its own state
// machine and call information; the connection it belongs to ties it to the
// other parties.
#ifndef DIALWERK_EXCHANGE_CORE_LEG_H
#define DIALWERK_EXCHANGE_CORE_LEG_H

#include "exchange/core/Clock.h"
#include "exchange/core/Events.h"
#include "exchange/core/VarStruct.h"

#include <tapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace exchange {

using ConnectionId = uint32_t;

/// Number and name of one party of a call, with LINECALLPARTYID_ flags.
struct PartyId {
    DWORD flags = LINECALLPARTYID_UNKNOWN;
    std::u16string number;
    std::u16string name;

    static PartyId of(std::u16string number, std::u16string name);
};

/// The call information of a leg, as LINECALLINFO reports it.
struct CallInfoData {
    DWORD bearerMode = LINEBEARERMODE_VOICE;
    DWORD rate = 0;
    DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    DWORD appSpecific = 0;
    DWORD callId = 0;
    DWORD relatedCallId = 0;
    DWORD callParamFlags = 0;
    DWORD origin = LINECALLORIGIN_UNKNOWN;
    DWORD reason = LINECALLREASON_DIRECT;
    DWORD completionId = 0;
    DWORD countryCode = 0;
    DWORD trunk = 0xFFFFFFFF;
    PartyId caller, called, connected, redirection, redirecting;
    std::u16string appName, displayableAddress, calledParty, comment;
    std::vector<uint8_t> display, userUserInfo, highLevelComp, lowLevelComp, chargingInfo, callData;
    std::vector<uint8_t> sendingFlowspec, receivingFlowspec;
};

/// Where the runtime learns about a leg: reported states go out as events,
/// earlier ones are silent.
class Leg {
public:
    Leg(LegId id, DWORD line, DWORD address, ConnectionId connection);

    LegId id() const { return id_; }
    DWORD line() const { return line_; }
    DWORD address() const { return address_; }
    ConnectionId connection() const { return connection_; }
    DWORD state() const { return state_; }
    DWORD mode() const { return mode_; }
    bool idle() const { return state_ == LINECALLSTATE_IDLE; }
    /// True from the moment the runtime was told about the leg.
    bool announced() const { return announced_; }
    void markAnnounced() { announced_ = true; }

    /// Moves to a new state and reports it (once announced). A change to the
    /// same state and mode reports nothing. Nothing leaves an idle leg. A
    /// CONFERENCED state names its conference call.
    void setState(DWORD state, DWORD mode, const Clock &clock, std::vector<Event> &out, LegId conference = 0);
    /// Moves the leg into another connection (a transfer joins two calls).
    void moveTo(ConnectionId connection) { connection_ = connection; }
    /// Applies an information change and reports it with its
    /// LINECALLINFOSTATE_ bits (once announced, never after idle).
    template <class F> void changeInfo(DWORD bits, std::vector<Event> &out, F &&change)
    {
        change(info_);
        reportInfo(bits, out);
    }
    void reportInfo(DWORD bits, std::vector<Event> &out) const;

    const CallInfoData &info() const { return info_; }
    CallInfoData &infoForSetup() { return info_; }

    /// Digits dialed so far.
    std::u16string dialed;
    /// User-user information a made call carries to the called party.
    std::vector<uint8_t> uuiForCalled;

    /// LINECALLINFO as the provider fills it (hLine, owner and monitor
    /// counts are the runtime's to set).
    VarStruct callInfo(const LINEDEVCAPS &lineCaps, const LINEADDRESSCAPS &addressCaps) const;
    /// LINECALLSTATUS with the given features (privilege is the runtime's).
    VarStruct callStatus(DWORD features, DWORD features2) const;

    /// Timer of a digit generation in progress (0: none).
    uint64_t generateTimer = 0;

private:
    LegId id_;
    DWORD line_;
    DWORD address_;
    ConnectionId connection_;
    DWORD state_ = 0;
    DWORD mode_ = 0;
    SYSTEMTIME entered_{};
    bool announced_ = false;
    CallInfoData info_;
};

/// The SYSTEMTIME (UTC) of a wall-clock time.
SYSTEMTIME toSystemTime(std::chrono::system_clock::time_point t);

} // namespace exchange

#endif
