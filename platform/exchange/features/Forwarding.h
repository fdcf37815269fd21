// Call forwarding and do-not-disturb of an address, and where an incoming
// call goes because of it.
//
// The exchange's choices where providers differ:
//  - A forward list replaces the address's list; a null list cancels it.
//    LINE_ADDRESSSTATE (FORWARD) follows the reply for each address changed.
//  - Unconditional forwarding without a destination is do-not-disturb: an
//    internal caller hears busy, a call from outside is refused.
//  - Forwarding is followed once: a call forwarded to an address that is
//    itself forwarded rings there (no chains, no loops).
//  - No answer means the call was offered for the given number of ring
//    cycles (6 s each, after the first ring); it then moves on with reason
//    FWDNOANSWER. Busy means the address has no room for another call.
//  - A call from outside is not forwarded to an external number (it rings
//    at its address instead); internal callers can be.
//  - No consultation call is made: lphConsultCall is set to 0.
#ifndef DIALWERK_EXCHANGE_FEATURES_FORWARDING_H
#define DIALWERK_EXCHANGE_FEATURES_FORWARDING_H

#include "exchange/core/Calls.h"
#include "exchange/core/Core.h"
#include "exchange/core/VarStruct.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace exchange {

/// One entry of an address's forward list.
struct ForwardEntry {
    DWORD mode = 0;        // one LINEFORWARDMODE_ bit
    std::u16string caller; // the caller a specific mode applies to
    std::u16string dest;   // empty: do-not-disturb (unconditional only)
    DWORD destCountryCode = 0;
};

/// Carries out forwarding (under the exchange's lock).
class Forwarding final : public Feature {
public:
    Forwarding(Core &core, Calls &calls, const Outside &outside) : core_(core), calls_(calls), outside_(outside) {}

    /// Checks a request for one address (or all, `address` ignored): 0,
    /// LINEERR_INVALADDRESSID, LINEERR_OPERATIONUNAVAIL, LINEERR_INVALPARAM
    /// (mode not offered, too many entries) or LINEERR_INVALADDRESS.
    LONG check(DWORD line, bool all, DWORD address, const std::optional<std::vector<ForwardEntry>> &list) const;
    /// Replaces (or with no list, cancels) the forwarding.
    void forward(DWORD line, bool all, DWORD address, const std::optional<std::vector<ForwardEntry>> &list,
                 DWORD ringsNoAnswer);
    /// Adds an address's forwarding to its LINEADDRESSSTATUS (the forward
    /// list must be the structure's first variable field).
    void describe(VarStruct &addressStatus, DWORD line, DWORD address) const;

    // ---- hooks ----
    /// Unconditional or busy forwarding, decided when the call arrives.
    std::optional<Divert> arriving(DWORD line, DWORD address, const PartyId &caller, bool internal,
                                   bool busy) const override;
    /// A call offered at its address moves on if it is not answered in time.
    void offered(LegId leg, bool internal) override;

private:
    /// How an address forwards its calls now.
    struct AddressForwarding {
        std::vector<ForwardEntry> entries;
        DWORD ringsNoAnswer = 0;
    };
    const AddressForwarding &of(DWORD line, DWORD address) const;
    LONG checkAddress(const Line &line, DWORD address, const std::vector<ForwardEntry> *list) const;
    bool knownNumber(std::u16string_view number) const;

    Core &core_;
    Calls &calls_;
    const Outside &outside_;
    std::map<std::pair<DWORD, DWORD>, AddressForwarding> forwarding_; // by line, address
};

} // namespace exchange

#endif
