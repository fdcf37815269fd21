// Lines whose far end is a network dialog (SIP lines): what the exchange
// asks of the network, and the interface it asks through.
//
// The exchange raises FarCommands under its lock, in the order things
// happen, into an outbox of their own; its thread hands them to the
// attached FarPort with the lock released, right after the events of the
// same piece of work. The port only queues them for its own thread (it
// must never block and never call back into the exchange from send()).
// Answers come back through the exchange's control interface
// (remoteProgress, remoteAnswer, remoteDisconnect, farEndDone, ...).
#ifndef DIALWERK_EXCHANGE_FAR_FARPORT_H
#define DIALWERK_EXCHANGE_FAR_FARPORT_H

#include "exchange/core/Events.h"

#include <tapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace exchange {

struct FarCommand {
    enum class Kind {
        Invite,         // place a call to `text` (the dialed number or a sip:/sips: URI)
        Answer,         // accept the offered dialog (200 OK)
        Hangup,         // end the dialog however its state requires (BYE, CANCEL or decline)
        Redirect,       // send the offered call on to `text` (302)
        Hold,           // re-INVITE putting the far end on hold
        Resume,         // re-INVITE taking it off hold
        Refer,          // blind transfer of the far end to `text`
        ReferReplacing, // transfer the far end of `leg` to the far end of `other`
        Digits,         // DTMF `text` (0-9, A-D, *, #) to the far end
    };
    Kind kind = Kind::Hangup;
    DWORD line = 0;       // the line device of the leg
    LegId leg = 0;        // the local call the dialog belongs to
    LegId other = 0;      // ReferReplacing: the consultation call
    uint32_t request = 0; // non-zero: the request whose reply waits for farEndDone()
    std::u16string text;
    std::u16string callerName; // Invite: the display name to send
};

/// The network side of far lines. Called on the exchange thread with no
/// exchange lock held; must only queue the commands.
class FarPort {
public:
    virtual ~FarPort() = default;
    virtual void send(std::vector<FarCommand> commands) = 0;
};

} // namespace exchange

#endif
