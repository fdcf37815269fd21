// Faults a test arms for named TAPI functions. The runtime asks the table on
// every call of a function; an armed rule applies to the next N calls.
#ifndef DIALWERK_EXCHANGE_FAULTTABLE_H
#define DIALWERK_EXCHANGE_FAULTTABLE_H

#include "exchange/core/Clock.h"

#include <tapi.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace exchange {

/// How the LINE_REPLY / PHONE_REPLY of an asynchronous request is delivered.
enum class ReplyTiming {
    Normal,       // when the exchange has carried out the request
    Delayed,      // the request is carried out `delay` later on the exchange clock
    Never,        // the request is neither carried out nor answered
    BeforeReturn, // the reply is queued before the function returns its identifier
};

/// What one call of a function is to suffer. A default Fault changes nothing.
struct Fault {
    std::optional<LONG> result; // answer with this code
    bool resultInReply = true;  // asynchronous functions: code in the reply, else returned at once
    ReplyTiming timing = ReplyTiming::Normal;
    Millis delay{0};
    DWORD extraNeededSize = 0; // a filled structure claims this many more bytes than it used
};

/// Armed faults by published function name ("lineMakeCallW"). Thread-safe.
class FaultTable {
public:
    /// The next `count` calls of `function` fail with `code`: synchronous
    /// functions return it; asynchronous ones accept the request and carry
    /// the code in their reply unless `inReply` is false.
    void failNext(const std::string &function, LONG code, int count = 1, bool inReply = true);
    /// The next `count` requests of `function` are answered `delay` later.
    void delayReply(const std::string &function, Millis delay, int count = 1);
    /// The next `count` requests of `function` are never answered.
    void dropReply(const std::string &function, int count = 1);
    /// The next `count` requests of `function` are answered before the call returns.
    void replyBeforeReturn(const std::string &function, int count = 1);
    /// The next `count` structures filled by `function` report `extra`
    /// bytes more in dwNeededSize than they used.
    void inflateNeededSize(const std::string &function, DWORD extra, int count = 1);
    /// Removes every armed fault.
    void clear();

    /// Consumes one use of every rule armed for `function` and merges them.
    Fault take(const std::string &function);
    /// Number of uses still armed for `function` (all kinds together).
    int armed(const std::string &function) const;

private:
    struct Rule {
        std::string function;
        int remaining = 0;
        Fault fault;
    };
    void arm(const std::string &function, int count, const Fault &fault);

    // Guards rules_; no other lock is taken inside it.
    mutable std::mutex mutex_;
    std::vector<Rule> rules_;
};

} // namespace exchange

#endif
