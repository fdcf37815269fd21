// The runtime's trace hook: every TAPI function an application calls, with its
// arguments and result, and every message an application fetches, handed to
// one sink. Off by default; while off each function pays one relaxed atomic
// load. The sink is called on the calling thread (the user-interface thread or
// an event thread), outside every lock of the runtime.
//
// Lifetime: the sink is shared. SetTraceSink swaps it under a mutex; each
// report holds its own reference for the duration of the call, so a sink
// replaced or removed meanwhile is destroyed by whichever thread lets it go
// last, never while one of its methods runs.
#ifndef DIALWERK_TAPI32_TRACE_H
#define DIALWERK_TAPI32_TRACE_H

#include <exchange/CallRecorder.h>

#include <tapi.h>

#include <chrono>
#include <memory>

namespace tapi32 {

using TraceClock = std::chrono::steady_clock;

/// One fetched message as the trace sees it.
struct TracedMessage {
    LINEMESSAGE msg{};
    bool phone = false; ///< fetched with phoneGetMessage (PHONE_ messages)
    HLINE line = 0;     ///< the line of a call message, when the call is known
};

class TraceSink {
public:
    virtual ~TraceSink() = default;
    /// A function returned: its name, arguments and result.
    virtual void functionCalled(const exchange::RecordedCall &call, TraceClock::time_point started) = 0;
    /// A message was fetched by the application.
    virtual void messageFetched(const TracedMessage &message, TraceClock::time_point at) = 0;
};

/// Installs `sink` (null turns the trace off).
void SetTraceSink(std::shared_ptr<TraceSink> sink);

// ---- used by the function implementations ----

/// True while a sink is installed (one relaxed load).
bool Tracing();
/// The installed sink, or null.
std::shared_ptr<TraceSink> CurrentTraceSink();

} // namespace tapi32

#endif
