#include "exchange/core/CallStates.h"

namespace exchange {

namespace {

constexpr DWORD kEnd = LINECALLSTATE_DISCONNECTED | LINECALLSTATE_IDLE;
// States reached when a call is joined with others or set aside.
constexpr DWORD kSetAside = LINECALLSTATE_ONHOLD | LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_ONHOLDPENDCONF |
                            LINECALLSTATE_CONFERENCED;
// States of a call that reaches its far party.
constexpr DWORD kReaching = LINECALLSTATE_PROCEEDING | LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY |
                            LINECALLSTATE_CONNECTED | LINECALLSTATE_SPECIALINFO;

struct Row {
    DWORD from;
    DWORD next;
};

// One row per state. A call created by the exchange starts OFFERING
// (incoming), DIALTONE (made), CONNECTED (unparked, picked up, intruded,
// a conference from two calls) or ONHOLDPENDCONF (a conference being set up).
constexpr Row kTable[] = {
    {0, LINECALLSTATE_OFFERING | LINECALLSTATE_DIALTONE | LINECALLSTATE_CONNECTED | LINECALLSTATE_ONHOLDPENDCONF},
    // An offered call back, once answered, rings its target (or finds it busy).
    {LINECALLSTATE_OFFERING,
     LINECALLSTATE_ACCEPTED | LINECALLSTATE_CONNECTED | LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY | kEnd},
    {LINECALLSTATE_ACCEPTED, LINECALLSTATE_CONNECTED | LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY | kEnd},
    {LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING | kReaching | kEnd},
    {LINECALLSTATE_DIALING, kReaching | kEnd},
    {LINECALLSTATE_PROCEEDING, kReaching | LINECALLSTATE_CONFERENCED | kEnd},
    // A busy call rings again when its target comes free (camp on).
    {LINECALLSTATE_RINGBACK, kReaching | LINECALLSTATE_CONFERENCED | kEnd},
    {LINECALLSTATE_BUSY, LINECALLSTATE_RINGBACK | LINECALLSTATE_CONNECTED | kEnd},
    {LINECALLSTATE_SPECIALINFO, kEnd},
    // A connected party passed on to somebody who has not answered yet hears
    // it ring again.
    {LINECALLSTATE_CONNECTED, LINECALLSTATE_RINGBACK | kSetAside | kEnd},
    {LINECALLSTATE_ONHOLD, LINECALLSTATE_CONNECTED | LINECALLSTATE_CONFERENCED | LINECALLSTATE_RINGBACK | kEnd},
    {LINECALLSTATE_ONHOLDPENDTRANSFER,
     LINECALLSTATE_CONNECTED | LINECALLSTATE_ONHOLD | LINECALLSTATE_CONFERENCED | LINECALLSTATE_RINGBACK | kEnd},
    {LINECALLSTATE_ONHOLDPENDCONF, LINECALLSTATE_CONNECTED | LINECALLSTATE_ONHOLD | kEnd},
    {LINECALLSTATE_CONFERENCED, LINECALLSTATE_CONNECTED | LINECALLSTATE_ONHOLD | LINECALLSTATE_RINGBACK | kEnd},
    {LINECALLSTATE_DISCONNECTED, LINECALLSTATE_IDLE},
    {LINECALLSTATE_IDLE, 0},
};

} // namespace

DWORD nextCallStates(DWORD from)
{
    for (const Row &r : kTable)
        if (r.from == from)
            return r.next;
    return 0;
}

} // namespace exchange
