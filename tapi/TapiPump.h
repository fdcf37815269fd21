// Waits that keep the user interface alive. The application installs a hook
// that dispatches the thread's pending window messages; every wait of the
// layer on the user-interface thread calls it at least every 5 ms.
#ifndef DIALWERK_TAPI_TAPIPUMP_H
#define DIALWERK_TAPI_TAPIPUMP_H

#include "TapiPlatform.h"

#include <functional>

class CTapiEvent;

/// Dispatches the pending window messages of the calling thread. Returns true
/// when the application is quitting; the hook keeps the quit request pending
/// (re-posts it) so that the application still ends once the wait returns.
using TapiPumpHook = std::function<bool()>;

/// Installs the message pump (an empty function removes it; the default is none).
void SetTapiMessagePump(TapiPumpHook hook);

/// Runs the installed pump once; false when none is installed or the application is not quitting.
bool PumpTapiMessages();

enum class TapiWaitOutcome { Signalled, TimedOut, Quit };

/// Waits for `event`, pumping messages between slices of at most 5 ms.
/// A time-out of 0 or INFINITE waits without a deadline. Returns as soon as the
/// event is set, TimedOut after `timeout` ms of the layer's tick, Quit when the pump reports quitting.
TapiWaitOutcome TapiPumpingWait(const CTapiEvent &event, DWORD timeout);

#endif
