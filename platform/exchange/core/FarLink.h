// What the exchange owes the network on far lines: the commands raised
// since the exchange thread last handed them to the FarPort, and the
// requests whose reply waits for the network's answer.
//
// Not thread-aware: used under the exchange's lock only, like the core
// that owns it. A deferred request ends exactly once: by farEndDone()
// (done()) or by its guard timer, whichever comes first; the other then
// finds nothing and does nothing.
#ifndef DIALWERK_EXCHANGE_CORE_FARLINK_H
#define DIALWERK_EXCHANGE_CORE_FARLINK_H

#include "exchange/core/Clock.h"
#include "exchange/core/Events.h"
#include "exchange/far/FarPort.h"

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace exchange {

class Scheduler;

class FarLink {
public:
    FarLink(Scheduler &scheduler, std::vector<Event> &out, Millis guard)
        : scheduler_(scheduler), out_(out), guard_(guard)
    {
    }

    void command(FarCommand c) { commands_.push_back(std::move(c)); }
    bool hasCommands() const { return !commands_.empty(); }
    /// The commands raised so far, oldest first; the list starts anew.
    std::vector<FarCommand> take();

    /// The request whose action runs now (0: none). Set by the exchange
    /// around an asynchronous request's action.
    void setRunning(uint32_t request) { running_ = request; }
    uint32_t running() const { return running_; }

    /// Makes `request`'s reply wait for the network: when it answers 0,
    /// `effect` carries the request out and its result is the reply; an
    /// error is the reply as it is; no answer within the guard time replies
    /// LINEERR_OPERATIONFAILED. Answers the request, or 0 (nothing
    /// deferred) for request 0, so the caller carries the request out at once.
    uint32_t defer(uint32_t request, std::function<LONG()> effect);
    uint32_t deferRunning(std::function<LONG()> effect) { return defer(running_, std::move(effect)); }
    bool deferred(uint32_t request) const { return pending_.count(request) != 0; }
    /// The network's answer to a deferred request (unknown ones are ignored).
    void done(uint32_t request, LONG result);

private:
    struct Pending {
        std::function<LONG()> effect;
        uint64_t guard = 0;
    };

    Scheduler &scheduler_;
    std::vector<Event> &out_;
    Millis guard_;
    std::vector<FarCommand> commands_;
    std::map<uint32_t, Pending> pending_;
    uint32_t running_ = 0;
};

} // namespace exchange

#endif
