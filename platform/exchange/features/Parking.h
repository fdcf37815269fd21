// Calls that move between addresses: park and unpark, pickup, redirect.
//
// The exchange's choices where providers differ:
//  - Park addresses are the topology's park slots (7001 to 7009 by
//    default). A directed park names a free one (anything else:
//    LINEERR_INVALADDRESS); a non-directed park takes the first free one and
//    answers its number as UTF-16 text. All slots taken:
//    LINEERR_RESOURCEUNAVAIL.
//  - The parking side's call goes IDLE at once; its partner stays
//    CONNECTED, waiting. A call still parked after the topology's
//    parkReminder rings back at the address that parked it (OFFERING,
//    reason REMINDER), and its slot is free again.
//  - Unpark of an empty slot, pickup with nothing ringing there: the request
//    fails with LINEERR_OPERATIONFAILED; an unknown number:
//    LINEERR_INVALADDRESS; an unknown pickup group: LINEERR_INVALGROUPID.
//  - Pickup needs no membership of the group; a directed pickup takes the
//    oldest call ringing at the named address.
//  - Redirect offers the call to a local address (reason REDIRECT) or, for a
//    call from a local caller, to an external number; a call from outside
//    cannot be sent outside again (LINEERR_OPERATIONUNAVAIL).
#ifndef DIALWERK_EXCHANGE_FEATURES_PARKING_H
#define DIALWERK_EXCHANGE_FEATURES_PARKING_H

#include "exchange/core/Calls.h"
#include "exchange/core/Core.h"

#include <map>
#include <utility>
#include <string>
#include <vector>

namespace exchange {

/// Carries out park, unpark, pickup and redirect (under the exchange's
/// lock). The checks answer 0 or the LINEERR_ code; the actions assume
/// their check passed.
class Parking {
public:
    Parking(Core &core, Calls &calls, std::vector<std::u16string> parkSlots, Millis reminder)
        : core_(core), calls_(calls), slots_(std::move(parkSlots)), reminder_(reminder)
    {
    }

    LONG checkPark(LegId leg, DWORD mode, std::u16string_view slot) const;
    /// Parks the call; RequestDone carries the park address of a
    /// non-directed park as outText.
    void park(uint32_t requestId, LegId leg, DWORD mode, std::u16string_view slot);

    LONG checkUnpark(DWORD line, DWORD address, std::u16string_view slot) const;
    /// A new call at line/address, reported by RequestDone, CONNECTED to the
    /// party waiting at the slot.
    void unpark(uint32_t requestId, DWORD line, DWORD address, std::u16string_view slot);

    LONG checkPickup(DWORD line, DWORD address, const std::u16string *dest, const std::u16string *group) const;
    /// A new call at line/address takes over the ringing call.
    void pickup(uint32_t requestId, DWORD line, DWORD address, const std::u16string *dest, const std::u16string *group);

    LONG checkRedirect(LegId leg, std::u16string_view dest) const;
    void redirect(LegId leg, std::u16string_view dest) { calls_.sendElsewhere(leg, dest, LINECALLREASON_REDIRECT); }

    /// Every park address in order, with the connection waiting there (0: free).
    std::vector<std::pair<std::u16string, ConnectionId>> occupancy() const;

private:
    /// A call parked at a park address: its connection waits there.
    struct ParkedCall {
        ConnectionId connection = 0;
        DWORD line = 0; // where it was parked, for the reminder
        DWORD address = 0;
        uint64_t reminder = 0; // timer
    };

    bool isSlot(std::u16string_view slot) const;
    /// The connection parked at an address (0: none or gone).
    ConnectionId parkedAt(std::u16string_view slot) const;
    /// The oldest call offered at the address a number names, or by group.
    LegId ringingCall(const std::u16string *dest, const std::u16string *group) const;
    void remind(const std::u16string &slot);

    Core &core_;
    Calls &calls_;
    const std::vector<std::u16string> slots_;
    const Millis reminder_;
    std::map<std::u16string, ParkedCall, std::less<>> parked_; // park address → call waiting there
};

} // namespace exchange

#endif
