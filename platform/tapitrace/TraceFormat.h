// The trace's entries and how a function call or a fetched message reads in
// it: names of functions and messages, arguments and parameters decoded with
// the names of TAPI's constants, results with their error names.
#ifndef DIALWERK_TAPITRACE_TRACEFORMAT_H
#define DIALWERK_TAPITRACE_TRACEFORMAT_H

#include <tapi32/Trace.h>

#include <cstdint>
#include <string>

namespace tapitrace {

/// One line of the trace.
struct TraceEntry {
    uint64_t micros = 0; ///< since the trace started, on the monotonic clock
    unsigned thread = 0; ///< 1 for the first thread the trace saw, 2 for the next, ...
    uint32_t line = 0;   ///< the line handle the entry concerns, 0 when none is known
    uint32_t call = 0;   ///< the call handle the entry concerns, 0 when none
    std::string text;    ///< what happened, decoded
};

/// "lineMakeCallW(hLine=0x00010002, lpszDestAddress=\"202\", ...) = 0x00010005 (request)",
/// with the line and call handles it names.
TraceEntry DescribeCall(const exchange::RecordedCall &call);
/// "LINE_CALLSTATE hCall=0x00010005 LINECALLSTATE_OFFERING LINEOFFERINGMODE_ACTIVE ...",
/// with the line and call handles it names.
TraceEntry DescribeMessage(const tapi32::TracedMessage &message);

/// The whole line: "     1234567 us  T2  " followed by the text.
std::string FormatEntry(const TraceEntry &entry);

} // namespace tapitrace

#endif
