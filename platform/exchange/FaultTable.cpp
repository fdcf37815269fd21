#include "exchange/FaultTable.h"

#include <algorithm>

namespace exchange {

void FaultTable::arm(const std::string &function, int count, const Fault &fault)
{
    if (count <= 0)
        return;
    std::lock_guard lock(mutex_);
    rules_.push_back({function, count, fault});
}

void FaultTable::failNext(const std::string &function, LONG code, int count, bool inReply)
{
    Fault f;
    f.result = code;
    f.resultInReply = inReply;
    arm(function, count, f);
}

void FaultTable::delayReply(const std::string &function, Millis delay, int count)
{
    Fault f;
    f.timing = ReplyTiming::Delayed;
    f.delay = delay;
    arm(function, count, f);
}

void FaultTable::dropReply(const std::string &function, int count)
{
    Fault f;
    f.timing = ReplyTiming::Never;
    arm(function, count, f);
}

void FaultTable::replyBeforeReturn(const std::string &function, int count)
{
    Fault f;
    f.timing = ReplyTiming::BeforeReturn;
    arm(function, count, f);
}

void FaultTable::inflateNeededSize(const std::string &function, DWORD extra, int count)
{
    Fault f;
    f.extraNeededSize = extra;
    arm(function, count, f);
}

void FaultTable::clear()
{
    std::lock_guard lock(mutex_);
    rules_.clear();
}

Fault FaultTable::take(const std::string &function)
{
    std::lock_guard lock(mutex_);
    Fault merged;
    // Each kind of rule is consumed independently: the first armed rule of a
    // function decides its part and later rules of the same kind wait.
    bool haveResult = false, haveTiming = false, haveSize = false;
    for (Rule &r : rules_) {
        if (r.function != function || r.remaining <= 0)
            continue;
        const Fault &f = r.fault;
        bool used = false;
        if (f.result && !haveResult) {
            merged.result = f.result;
            merged.resultInReply = f.resultInReply;
            haveResult = used = true;
        } else if (f.timing != ReplyTiming::Normal && !haveTiming) {
            merged.timing = f.timing;
            merged.delay = f.delay;
            haveTiming = used = true;
        } else if (f.extraNeededSize && !haveSize) {
            merged.extraNeededSize = f.extraNeededSize;
            haveSize = used = true;
        }
        if (used)
            --r.remaining;
    }
    std::erase_if(rules_, [](const Rule &r) { return r.remaining <= 0; });
    return merged;
}

int FaultTable::armed(const std::string &function) const
{
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const Rule &r : rules_)
        if (r.function == function)
            n += r.remaining;
    return n;
}

} // namespace exchange
