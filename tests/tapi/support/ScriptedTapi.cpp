#include "ScriptedTapi.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

tapi_string Numbered(const WCHAR *prefix, DWORD n)
{
    tapi_string text(prefix);
    for (char c : std::to_string(n))
        text.push_back(static_cast<WCHAR>(c));
    return text;
}

LONG Fetch(ScriptedTapi::Queue &queue, DWORD app, LINEMESSAGE *message, DWORD timeout, LONG invalid)
{
    std::unique_lock lock(queue.mutex);
    auto ready = [&] { return queue.app != app || !queue.messages.empty(); };
    queue.waiting = true;
    queue.changed.notify_all();
    if (timeout == INFINITE)
        queue.changed.wait(lock, ready);
    else
        queue.changed.wait_for(lock, std::chrono::milliseconds(timeout), ready);
    queue.waiting = false;
    if (queue.app != app || app == 0)
        return invalid;
    if (queue.messages.empty())
        return LONG(LINEERR_OPERATIONFAILED);
    *message = queue.messages.front();
    queue.messages.pop_front();
    return 0;
}

void Post(ScriptedTapi::Queue &queue, const LINEMESSAGE &message)
{
    std::lock_guard lock(queue.mutex);
    queue.messages.push_back(message);
    queue.waiting = false;
    queue.changed.notify_all();
}

bool WaitIdle(ScriptedTapi::Queue &queue)
{
    std::unique_lock lock(queue.mutex);
    return queue.changed.wait_for(lock, std::chrono::seconds(10),
                                  [&] { return queue.messages.empty() && queue.waiting; });
}

LONG Open(ScriptedTapi::Queue &queue, DWORD app)
{
    std::lock_guard lock(queue.mutex);
    queue.app = app;
    queue.messages.clear();
    return 0;
}

LONG Close(ScriptedTapi::Queue &queue, DWORD app, LONG invalid)
{
    std::lock_guard lock(queue.mutex);
    if (app == 0 || queue.app != app)
        return invalid;
    queue.app = 0;
    queue.changed.notify_all();
    return 0;
}

} // namespace

ScriptedTapi &Scripted()
{
    static ScriptedTapi *const instance = new ScriptedTapi;
    return *instance;
}

DWORD PlaceString(void *structure, DWORD &usedSize, const tapi_string &text, DWORD &sizeField, DWORD &offsetField)
{
    DWORD total;
    std::memcpy(&total, structure, sizeof total);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR));
    if (usedSize + bytes > total) {
        DWORD needed;
        std::memcpy(&needed, static_cast<char *>(structure) + 4, sizeof needed);
        needed = std::max(needed, usedSize) + bytes;
        std::memcpy(static_cast<char *>(structure) + 4, &needed, sizeof needed);
        return 0;
    }
    std::memcpy(static_cast<char *>(structure) + usedSize, text.c_str(), bytes);
    sizeField = bytes;
    offsetField = usedSize;
    usedSize += bytes;
    DWORD needed;
    std::memcpy(&needed, static_cast<char *>(structure) + 4, sizeof needed);
    needed = std::max(needed, usedSize);
    std::memcpy(static_cast<char *>(structure) + 4, &needed, sizeof needed);
    return offsetField;
}

void ScriptedTapi::Reset(DWORD lineDevices, DWORD phoneDevices, DWORD addressesPerLine)
{
    {
        std::lock_guard lock(mutex_);
        static_cast<ScriptedTapiHandlers &>(*this) = ScriptedTapiHandlers{};
        calls_.clear();
        nextRequest_ = 0;
    }
    for (Queue *queue : {&lineQueue, &phoneQueue}) {
        std::lock_guard lock(queue->mutex);
        queue->app = 0;
        queue->messages.clear();
        queue->waiting = false;
    }
    // Every handler starts empty; the defaults below make a working provider.
    lineInitializeExW = [this, lineDevices](LPHLINEAPP app, HINSTANCE, LINECALLBACK, LPCWSTR, LPDWORD devices, LPDWORD,
                                            LPLINEINITIALIZEEXPARAMS params) {
        *app = ++nextApp_;
        *devices = lineDevices;
        params->Handles.hEvent = reinterpret_cast<HANDLE>(1);
        return Open(lineQueue, *app);
    };
    phoneInitializeExW = [this, phoneDevices](LPHPHONEAPP app, HINSTANCE, PHONECALLBACK, LPCWSTR, LPDWORD devices,
                                              LPDWORD, LPPHONEINITIALIZEEXPARAMS params) {
        *app = ++nextApp_;
        *devices = phoneDevices;
        params->Handles.hEvent = reinterpret_cast<HANDLE>(1);
        return Open(phoneQueue, *app);
    };
    lineShutdown = [this](HLINEAPP app) { return Close(lineQueue, app, LONG(LINEERR_INVALAPPHANDLE)); };
    phoneShutdown = [this](HPHONEAPP app) { return Close(phoneQueue, app, LONG(PHONEERR_INVALAPPHANDLE)); };
    lineGetMessage = [this](HLINEAPP app, LPLINEMESSAGE message, DWORD timeout) {
        return Fetch(lineQueue, app, message, timeout, LONG(LINEERR_INVALAPPHANDLE));
    };
    phoneGetMessage = [this](HPHONEAPP app, LPPHONEMESSAGE message, DWORD timeout) {
        LINEMESSAGE fetched{};
        const LONG result = Fetch(phoneQueue, app, &fetched, timeout, LONG(PHONEERR_INVALAPPHANDLE));
        std::memcpy(message, &fetched, sizeof *message);
        return result;
    };
    lineNegotiateAPIVersion = [](HLINEAPP, DWORD, DWORD, DWORD, LPDWORD version, LPLINEEXTENSIONID) {
        *version = 0x00030000;
        return LONG(0);
    };
    phoneNegotiateAPIVersion = [](HPHONEAPP, DWORD, DWORD, DWORD, LPDWORD version, LPPHONEEXTENSIONID) {
        *version = 0x00020000;
        return LONG(0);
    };
    lineGetDevCapsW = [addressesPerLine](HLINEAPP, DWORD device, DWORD, DWORD, LPLINEDEVCAPS caps) {
        if (caps->dwTotalSize < sizeof(LINEDEVCAPS))
            return LONG(LINEERR_STRUCTURETOOSMALL);
        caps->dwNeededSize = caps->dwUsedSize = sizeof(LINEDEVCAPS);
        caps->dwNumAddresses = addressesPerLine;
        PlaceString(caps, caps->dwUsedSize, Numbered(TAPI_TEXT("Line "), device), caps->dwLineNameSize,
                    caps->dwLineNameOffset);
        return LONG(0);
    };
    lineGetAddressCapsW = [](HLINEAPP, DWORD device, DWORD address, DWORD, DWORD, LPLINEADDRESSCAPS caps) {
        if (caps->dwTotalSize < sizeof(LINEADDRESSCAPS))
            return LONG(LINEERR_STRUCTURETOOSMALL);
        caps->dwNeededSize = caps->dwUsedSize = sizeof(LINEADDRESSCAPS);
        caps->dwLineDeviceID = device;
        PlaceString(caps, caps->dwUsedSize, Numbered(TAPI_TEXT("2"), device * 10 + address), caps->dwAddressSize,
                    caps->dwAddressOffset);
        return LONG(0);
    };
    phoneGetDevCapsW = [](HPHONEAPP, DWORD device, DWORD, DWORD, LPPHONECAPS caps) {
        if (caps->dwTotalSize < sizeof(PHONECAPS))
            return LONG(PHONEERR_STRUCTURETOOSMALL);
        caps->dwNeededSize = caps->dwUsedSize = sizeof(PHONECAPS);
        PlaceString(caps, caps->dwUsedSize, Numbered(TAPI_TEXT("Phone "), device), caps->dwPhoneNameSize,
                    caps->dwPhoneNameOffset);
        return LONG(0);
    };
    lineOpenW = [](HLINEAPP, DWORD device, LPHLINE line, DWORD, DWORD, DWORD_PTR, DWORD, DWORD, LPLINECALLPARAMS) {
        *line = LineHandleOf(device);
        return LONG(0);
    };
    lineClose = [](HLINE) { return LONG(0); };
    phoneOpen = [](HPHONEAPP, DWORD device, LPHPHONE phone, DWORD, DWORD, DWORD_PTR, DWORD) {
        *phone = PhoneHandleOf(device);
        return LONG(0);
    };
    phoneClose = [](HPHONE) { return LONG(0); };
    lineDeallocateCall = [](HCALL) { return LONG(0); };
}

std::vector<std::string> ScriptedTapi::Calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

int ScriptedTapi::CountOf(const std::string &name) const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), name));
}

void ScriptedTapi::ClearCalls()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void ScriptedTapi::PostLine(DWORD device, DWORD messageId, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3)
{
    Post(lineQueue, LINEMESSAGE{device, messageId, instance, p1, p2, p3});
}

void ScriptedTapi::PostPhone(DWORD device, DWORD messageId, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2,
                             DWORD_PTR p3)
{
    Post(phoneQueue, LINEMESSAGE{device, messageId, instance, p1, p2, p3});
}

bool ScriptedTapi::WaitLineIdle()
{
    return WaitIdle(lineQueue);
}

bool ScriptedTapi::WaitPhoneIdle()
{
    return WaitIdle(phoneQueue);
}

DWORD ScriptedTapi::NextRequestId()
{
    std::lock_guard lock(mutex_);
    return ++nextRequest_;
}
