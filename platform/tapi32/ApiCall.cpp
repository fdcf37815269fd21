#include "tapi32/ApiCall.h"

#include "tapi32/InputStruct.h"
#include "tapi32/Runtime.h"

#include <cstring>

namespace tapi32 {

using exchange::RecordedArg;

ApiCall::ApiCall(const char *function) : function_(function)
{
    exchange::Exchange &ex = Runtime::instance().exchange();
    fault_ = ex.faults().take(function);
    toRecorder_ = ex.recorder().enabled();
    const bool tracing = Tracing();
    recording_ = toRecorder_ || tracing;
    if (recording_)
        record_.function = function;
    if (tracing)
        started_ = TraceClock::now();
}

ApiCall &ApiCall::num(const char *name, uint64_t value)
{
    if (recording_) {
        RecordedArg a;
        a.kind = RecordedArg::Kind::Number;
        a.number = value;
        record_.args.emplace_back(name, std::move(a));
    }
    return *this;
}

ApiCall &ApiCall::ptr(const char *name, const void *p)
{
    if (recording_ && !p)
        record_.args.emplace_back(name, RecordedArg{});
    return *this;
}

ApiCall &ApiCall::text(const char *name, LPCWSTR t)
{
    if (!recording_)
        return *this;
    RecordedArg a;
    if (t) {
        std::u16string s;
        readWide(t, s);
        a.kind = RecordedArg::Kind::Text;
        a.text = exchange::toUtf8(s);
    }
    record_.args.emplace_back(name, std::move(a));
    return *this;
}

ApiCall &ApiCall::bytes(const char *name, const void *p, size_t size)
{
    if (!recording_)
        return *this;
    RecordedArg a;
    if (p) {
        a.kind = RecordedArg::Kind::Bytes;
        // An absurd size is refused by the function itself; it is not read here.
        const auto *b = static_cast<const uint8_t *>(p);
        if (size <= kMaxInputStruct)
            a.bytes.assign(b, b + size);
    }
    record_.args.emplace_back(name, std::move(a));
    return *this;
}

ApiCall &ApiCall::structure(const char *name, const void *p)
{
    DWORD total = 0;
    if (p)
        std::memcpy(&total, p, sizeof total);
    // Oversized claims are recorded by their first bytes only; the function
    // itself refuses them.
    return bytes(name, p, total > kMaxInputStruct ? sizeof(DWORD) : (total < sizeof(DWORD) ? sizeof(DWORD) : total));
}

bool ApiCall::untidy(exchange::Untidy option, std::optional<DWORD> device) const
{
    return Runtime::instance().exchange().untidy().applies(option, function_, device);
}

StructFaults ApiCall::structFaults(std::optional<DWORD> device) const
{
    StructFaults f;
    f.extraNeeded = fault_.extraNeededSize;
    f.untidy = [this, device](exchange::Untidy option) { return untidy(option, device); };
    return f;
}

LONG ApiCall::immediateFault() const
{
    return fault_.result && !fault_.resultInReply ? *fault_.result : 0;
}

LONG ApiCall::done(LONG result)
{
    if (!recording_)
        return result;
    record_.result = result;
    if (started_ != TraceClock::time_point{}) {
        if (auto sink = CurrentTraceSink())
            sink->functionCalled(record_, started_);
    }
    if (toRecorder_)
        Runtime::instance().exchange().recorder().add(std::move(record_));
    return result;
}

} // namespace tapi32
