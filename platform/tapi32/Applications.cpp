#include "tapi32/Applications.h"

#include "tapi32/ApiSupport.h"
#include "tapi32/InputStruct.h"

#include <chrono>

namespace tapi32 {

namespace {

// Hands a fetched message to the trace, with the line of the call it names.
void traceFetched(const LINEMESSAGE &msg, bool phone)
{
    TracedMessage traced;
    traced.msg = msg;
    traced.phone = phone;
    if (!phone) {
        Registry &reg = runtime().registry();
        std::lock_guard lock(reg.mutex);
        if (const CallRecord *call = reg.call(static_cast<HCALL>(msg.hDevice)))
            traced.line = call->line;
    }
    if (auto sink = CurrentTraceSink())
        sink->messageFetched(traced, TraceClock::now());
}

} // namespace

const SideErrors kLineErrors{false,
                             static_cast<LONG>(LINEERR_INVALAPPHANDLE),
                             static_cast<LONG>(LINEERR_INVALPOINTER),
                             static_cast<LONG>(LINEERR_INCOMPATIBLEAPIVERSION),
                             static_cast<LONG>(LINEERR_INVALPARAM),
                             static_cast<LONG>(LINEERR_STRUCTURETOOSMALL),
                             static_cast<LONG>(LINEERR_OPERATIONFAILED)};
const SideErrors kPhoneErrors{true,
                              static_cast<LONG>(PHONEERR_INVALAPPHANDLE),
                              static_cast<LONG>(PHONEERR_INVALPOINTER),
                              static_cast<LONG>(PHONEERR_INCOMPATIBLEAPIVERSION),
                              static_cast<LONG>(PHONEERR_INVALPARAM),
                              static_cast<LONG>(PHONEERR_STRUCTURETOOSMALL),
                              static_cast<LONG>(PHONEERR_OPERATIONFAILED)};

LONG initializeApp(ApiCall &call, const SideErrors &e, LPDWORD handle, LPCWSTR name, LPDWORD numDevs,
                   LPDWORD apiVersion, LINEINITIALIZEEXPARAMS *params, DWORD useEventOption)
{
    if (LONG f = syncFault(call))
        return f;
    if (!handle || !numDevs || !apiVersion)
        return e.invalPointer;
    if (*apiVersion < 0x00020000)
        return e.incompatibleApiVersion;
    // Only event-handle mode is provided: no hidden window, no completion port.
    if (!params)
        return e.invalParam;
    if (params->dwTotalSize < sizeof(LINEINITIALIZEEXPARAMS))
        return e.structureTooSmall;
    if ((params->dwOptions & ~LINEINITIALIZEEXOPTION_CALLHUBTRACKING) != useEventOption)
        return e.invalParam;
    std::u16string friendly = u"Application";
    if (name && !readWide(name, friendly))
        return e.invalPointer;
    const DWORD count =
        exchangeOf().inspect([&](const exchange::Switchboard &b) { return e.phone ? b.phoneCount() : b.lineCount(); });

    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    AppRecord app;
    app.handle = reg.newHandle();
    app.phone = e.phone;
    app.apiVersion = std::min(*apiVersion, kHighestVersion);
    app.name = friendly;
    app.queue = std::make_shared<MessageQueue>();
    params->dwNeededSize = sizeof(LINEINITIALIZEEXPARAMS);
    params->dwUsedSize = sizeof(LINEINITIALIZEEXPARAMS);
    // The event handle stands for the queue; it is never waited on directly.
    params->Handles.hEvent = app.queue.get();
    *handle = app.handle;
    *numDevs = count;
    *apiVersion = kHighestVersion;
    reg.apps[app.handle] = std::move(app);
    call.num("handle", *handle);
    return 0;
}

LONG shutdownApp(ApiCall &call, const SideErrors &e, DWORD handle)
{
    if (LONG f = syncFault(call))
        return f;
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    if (!reg.app(handle, e.phone))
        return e.invalAppHandle;
    reg.removeApp(handle);
    return 0;
}

LONG fetchMessage(const SideErrors &e, DWORD handle, LINEMESSAGE *message, DWORD timeoutMs)
{
    std::shared_ptr<MessageQueue> queue;
    {
        Registry &reg = runtime().registry();
        std::lock_guard lock(reg.mutex);
        const AppRecord *app = reg.app(handle, e.phone);
        if (!app)
            return e.invalAppHandle;
        queue = app->queue;
    }
    if (!message)
        return e.invalPointer;
    // A discarded reply does not end the wait: the time-out covers the whole fetch.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        DWORD wait = timeoutMs;
        if (timeoutMs != INFINITE) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            wait = left.count() > 0 ? DWORD(left.count()) : 0;
        }
        QueuedMessage m;
        switch (queue->pop(m, wait)) {
        case MessageQueue::Fetch::TimedOut:
            return e.operationFailed;
        case MessageQueue::Fetch::Closed:
            return e.invalAppHandle;
        case MessageQueue::Fetch::Ok:
            break;
        }
        if (m.onFetch && !m.onFetch(m.msg))
            continue;
        *message = m.msg;
        if (Tracing())
            traceFetched(m.msg, e.phone);
        return 0;
    }
}

bool validApp(const SideErrors &e, DWORD handle)
{
    Registry &reg = runtime().registry();
    std::lock_guard lock(reg.mutex);
    return reg.app(handle, e.phone) != nullptr;
}

} // namespace tapi32
