#include "TapiPump.h"

#include "CTapiEvent.h"
#include "TapiClock.h"

#include <memory>
#include <mutex>

namespace {

// Guards pumpHook; a leaf lock, released before the hook runs.
std::mutex pumpLock;
std::shared_ptr<const TapiPumpHook> pumpHook;

constexpr std::uint32_t kPumpSliceMs = 5;
constexpr std::uint32_t kSpinMicroseconds = 50;

} // namespace

void SetTapiMessagePump(TapiPumpHook hook)
{
    auto installed = hook ? std::make_shared<const TapiPumpHook>(std::move(hook)) : nullptr;
    std::lock_guard lock(pumpLock);
    pumpHook = std::move(installed);
}

bool PumpTapiMessages()
{
    std::shared_ptr<const TapiPumpHook> hook;
    {
        std::lock_guard lock(pumpLock);
        hook = pumpHook;
    }
    return hook && (*hook)();
}

TapiWaitOutcome TapiPumpingWait(const CTapiEvent &event, DWORD timeout)
{
    // A reply usually follows within microseconds; catching it without sleeping
    // saves a wake-up on the way back.
    if (event.SpinFor(kSpinMicroseconds))
        return TapiWaitOutcome::Signalled;
    const bool unlimited = timeout == 0 || timeout == INFINITE;
    const DWORD start = TapiGetTickCount();
    for (;;) {
        if (!unlimited && TapiElapsed(start, TapiGetTickCount()) > timeout)
            return TapiWaitOutcome::TimedOut;
        if (PumpTapiMessages())
            return TapiWaitOutcome::Quit;
        // Waiting on the event itself (not sleeping) returns the moment the reply is stored.
        if (event.WaitFor(kPumpSliceMs))
            return TapiWaitOutcome::Signalled;
    }
}
