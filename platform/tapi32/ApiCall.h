// One call of a TAPI function as the runtime sees it: its record for the
// call recorder and the trace, and the faults a test armed for it.
#ifndef DIALWERK_TAPI32_APICALL_H
#define DIALWERK_TAPI32_APICALL_H

#include "tapi32/Trace.h"

#include <exchange/CallRecorder.h>
#include <exchange/FaultTable.h>
#include <exchange/untidy/UntidyOptions.h>

#include "tapi32/StructWriter.h"

#include <tapi.h>

#include <optional>
#include <string>

namespace tapi32 {

class ApiCall {
public:
    /// Takes the faults armed for `function` and starts its record.
    explicit ApiCall(const char *function);

    ApiCall &num(const char *name, uint64_t value);
    ApiCall &ptr(const char *name, const void *p);
    ApiCall &text(const char *name, LPCWSTR text);
    /// A byte copy of an input buffer of `size` bytes (null: recorded as null).
    ApiCall &bytes(const char *name, const void *p, size_t size);
    /// A byte copy of an input structure that starts with dwTotalSize.
    ApiCall &structure(const char *name, const void *p);

    const exchange::Fault &fault() const { return fault_; }
    const char *function() const { return function_; }
    /// Whether an untidy option applies to this call on `device`.
    bool untidy(exchange::Untidy option, std::optional<DWORD> device) const;
    /// What an armed fault and the untidy options do to a structure this
    /// call fills for `device`.
    StructFaults structFaults(std::optional<DWORD> device) const;
    /// A synchronous fault code to answer at once, or 0.
    LONG immediateFault() const;
    /// Records the result and passes it on.
    LONG done(LONG result);

private:
    const char *function_;
    exchange::Fault fault_;
    exchange::RecordedCall record_;
    // The record is kept when the recorder or the trace wants it.
    bool recording_;
    bool toRecorder_;
    TraceClock::time_point started_{};
};

} // namespace tapi32

#endif
