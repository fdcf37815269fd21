// The operations of a plain call: making, dialing and routing it, ringing
// an extension, accepting, answering, dropping, holding, digits, call data
// and user-user information, and passing a call's far party on to another
// address. Each request has a check that answers 0 or the LINEERR_ code it
// fails with; the operation assumes its check passed and reports what
// follows.
#ifndef DIALWERK_EXCHANGE_CORE_CALLS_H
#define DIALWERK_EXCHANGE_CORE_CALLS_H

#include "exchange/core/Core.h"
#include "exchange/core/DialString.h"

#include <functional>
#include <string>
#include <vector>

namespace exchange {

/// What a predictive call asks for (LINECALLPARAMS).
struct PredictiveDial {
    DWORD autoTransferStates = 0; // LINECALLSTATE_ bits
    std::u16string target;        // where the call is passed on
    DWORD noAnswerTimeout = 0;    // seconds; 0: none
};

/// What an application asked for in lineMakeCall beyond the number.
struct MakeCallOptions {
    DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    DWORD bearerMode = LINEBEARERMODE_VOICE;
    DWORD callParamFlags = 0;
    DWORD countryCode = 0;
    std::u16string appName;
    std::u16string callingPartyId; // overrides the caller number shown to the far end
    std::vector<uint8_t> userUserInfo;
    std::vector<uint8_t> callData;
    PredictiveDial predictive; // honoured for calls made with lineMakeCall only
};

class Calls {
public:
    Calls(Core &core, Outside &outside) : core_(core), outside_(outside) {}

    LONG checkMakeCall(DWORD line, DWORD address, std::u16string_view dest) const;
    /// Creates the call, reports RequestDone with it, then its first states.
    LegId makeCall(uint32_t requestId, DWORD line, DWORD address, std::u16string_view dest,
                   const MakeCallOptions &options);
    /// A new outgoing call (not yet announced) with what the caller asked for.
    Leg &outgoingLeg(DWORD line, DWORD address, const MakeCallOptions &options);
    /// A call started at the phone: a new call in DIALTONE that the line's
    /// applications learn of as a new call (no request made it). Answers 0
    /// when the address cannot make a call now.
    LegId startAtPhone(DWORD line, DWORD address);
    LONG checkDial(LegId leg, std::u16string_view digits) const;
    void dial(LegId leg, std::u16string_view digits);
    /// Offers the caller's call at a local address (following its
    /// forwarding, unless the call was forwarded already).
    void ringExtension(Leg &caller, DWORD line, DWORD address, DWORD reason = LINECALLREASON_DIRECT);

    LONG checkAccept(LegId leg) const;
    void accept(LegId leg, const std::vector<uint8_t> &uui);
    LONG checkAnswer(LegId leg) const;
    void answer(LegId leg, const std::vector<uint8_t> &uui);
    LONG checkDrop(LegId leg) const;
    void drop(LegId leg, const std::vector<uint8_t> &uui) { core_.drop(leg, uui); }
    LONG checkHold(LegId leg) const;
    void hold(LegId leg);
    LONG checkUnhold(LegId leg) const;
    void unhold(LegId leg);
    LONG checkSwapHold(LegId active, LegId held) const;
    void swapHold(LegId active, LegId held);

    LONG checkGenerateDigits(LegId leg, DWORD mode, const std::u16string *digits) const;
    /// Starts (or, with no digits, cancels) digit generation; LINE_GENERATE follows.
    void generateDigits(LegId leg, DWORD mode, const std::u16string *digits, DWORD duration);
    LONG checkCallData(LegId leg, size_t size) const;
    /// Sets the call data of the leg and of the other local party's leg.
    void setCallData(LegId leg, std::vector<uint8_t> data);
    LONG checkLive(LegId leg) const;
    void setAppSpecific(LegId leg, DWORD value);
    /// Sets the leg's flow specs; the other local party's leg gets them swapped.
    void setQualityOfService(LegId leg, std::vector<uint8_t> sending, std::vector<uint8_t> receiving);
    LONG checkSendUserUserInfo(LegId leg, size_t size) const;
    void sendUserUserInfo(LegId leg, std::vector<uint8_t> uui);
    void releaseUserUserInfo(LegId leg);
    LONG checkLineDevStatus(DWORD line, DWORD statusToChange) const;
    void setLineDevStatus(DWORD line, DWORD statusToChange, bool on);

    /// Whether the far party of `leg` can be sent to `dest` (a local address
    /// other than the leg's own, or an external number for a local far
    /// party): 0, LINEERR_INVALADDRESS or LINEERR_OPERATIONUNAVAIL.
    LONG checkDestination(const Leg &leg, std::u16string_view dest) const;
    /// The leg lets go (IDLE) and its far party is offered to `dest` with
    /// `reason` (a local caller hears it ring); redirecting and redirection
    /// party ids tell both sides who sent the call where.
    void sendElsewhere(LegId leg, std::u16string_view dest, DWORD reason);
    /// A new leg of `c` at line/address with the call information of `from`.
    Leg &joinConnection(Connection &c, DWORD line, DWORD address, const CallInfoData &from, DWORD reason);

    /// For a far leg inside a request: raises `kind` for the network with
    /// the request, whose reply then waits for the network's answer and
    /// `effect` (which carries the request out and answers its result).
    /// False when the leg is not far or no request runs: act at once.
    bool deferToNetwork(Leg &leg, FarCommand::Kind kind, std::function<LONG()> effect, std::u16string text = {});

private:
    /// Parses what is dialed on a line: a dial string, or on a far line
    /// also a sip: or sips: URI, taken whole. 0 or LINEERR_INVALADDRESS.
    LONG parseDestination(DWORD line, std::u16string_view text, DialString &out) const;
    void route(Leg &caller, const std::u16string &digits);
    /// A far line's call goes out to the network.
    void callOut(Leg &caller, const std::u16string &number);
    /// The other local party of the leg's call while it is not idle, or null.
    Leg *otherParty(LegId leg);

    Core &core_;
    Outside &outside_;
};

} // namespace exchange

#endif
