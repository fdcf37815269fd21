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
#ifndef DIALWERK_EXCHANGE_PARKING_H
#define DIALWERK_EXCHANGE_PARKING_H

#include "exchange/Connection.h"
#include "exchange/Leg.h"

#include <string>

namespace exchange {

class Switchboard;

/// Carries out park, unpark, pickup and redirect on a switchboard (under
/// the exchange's lock). The checks answer 0 or the LINEERR_ code; the
/// actions assume their check passed.
class Parking {
public:
    explicit Parking(Switchboard &board) : board_(board) {}

    static LONG checkPark(const Switchboard &b, LegId leg, DWORD mode, std::u16string_view slot);
    /// Parks the call; RequestDone carries the park address of a
    /// non-directed park as outText.
    void park(uint32_t requestId, LegId leg, DWORD mode, std::u16string_view slot);

    static LONG checkUnpark(const Switchboard &b, DWORD line, DWORD address, std::u16string_view slot);
    /// A new call at line/address, reported by RequestDone, CONNECTED to the
    /// party waiting at the slot.
    void unpark(uint32_t requestId, DWORD line, DWORD address, std::u16string_view slot);

    static LONG checkPickup(const Switchboard &b, DWORD line, DWORD address, const std::u16string *dest,
                            const std::u16string *group);
    /// A new call at line/address takes over the ringing call.
    void pickup(uint32_t requestId, DWORD line, DWORD address, const std::u16string *dest, const std::u16string *group);

    static LONG checkRedirect(const Switchboard &b, LegId leg, std::u16string_view dest);
    void redirect(LegId leg, std::u16string_view dest) { sendElsewhere(leg, dest, LINECALLREASON_REDIRECT); }

    /// Whether the far party of `leg` can be sent to `dest` (a local address
    /// other than the leg's own, or an external number for a local far
    /// party): 0, LINEERR_INVALADDRESS or LINEERR_OPERATIONUNAVAIL.
    static LONG checkDestination(const Switchboard &b, const Leg &leg, std::u16string_view dest);
    /// The leg lets go (IDLE) and its far party is offered to `dest` with
    /// `reason` (a local caller hears it ring); redirecting and redirection
    /// party ids tell both sides who sent the call where.
    void sendElsewhere(LegId leg, std::u16string_view dest, DWORD reason);

private:
    /// The oldest call offered at the address a number names, or by group.
    static LegId ringingCall(const Switchboard &b, const std::u16string *dest, const std::u16string *group);
    /// A new leg of `c` at line/address with the call information of `from`.
    Leg &joinConnection(Connection &c, DWORD line, DWORD address, const CallInfoData &from, DWORD reason);
    void remind(const std::u16string &slot);

    Switchboard &board_;
};

} // namespace exchange

#endif
