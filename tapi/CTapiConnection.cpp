#include "CTapiConnection.h"

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiEvent.h"
#include "CTapiLine.h"
#include "CTapiPhone.h"
#include "TapiClock.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>

namespace {

constexpr DWORD kLineMessageTimeoutMs = 5000;
constexpr DWORD kRequestPurgeAgeMs = 5000;
constexpr DWORD kThreadStopTimeoutMs = 5000;
// An event thread whose fetch fails at once pauses before the next try, doubling the
// pause from 1 ms up to this, so a failing queue does not keep a core busy.
constexpr std::uint32_t kMaxFetchPauseMs = 128;

// Paces the fetch loop of an event thread after failed fetches.
class FetchBackoff {
public:
    explicit FetchBackoff(DWORD timeoutMs) : timeoutMs_(timeoutMs) {}

    void Start() { started_ = std::chrono::steady_clock::now(); }

    /// After a fetch: a success or a fetch that waited out its time-out goes on at
    /// once; a fetch that failed without waiting pauses, longer each time in a row.
    void After(DWORD result)
    {
        const auto waited = std::chrono::steady_clock::now() - started_;
        if (result == 0 || (timeoutMs_ != INFINITE && waited >= std::chrono::milliseconds(timeoutMs_ / 2))) {
            pauseMs_ = 0;
            return;
        }
        pauseMs_ = pauseMs_ == 0 ? 1 : std::min(pauseMs_ * 2, kMaxFetchPauseMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
    }

private:
    const DWORD timeoutMs_;
    std::chrono::steady_clock::time_point started_;
    std::uint32_t pauseMs_ = 0;
};

HINSTANCE ModuleInstance()
{
#ifdef _WIN32
    return GetModuleHandleW(nullptr);
#else
    return nullptr;
#endif
}

void ShutdownAtExit()
{
    GetTapiConnection()->Shutdown();
}

// The messages a device family's event thread handles itself.
struct MessageIds {
    DWORD reply;
    DWORD create;
    DWORD remove;
    DWORD close;
};

template <class Message> const MessageIds &IdsOf();
template <> const MessageIds &IdsOf<LINEMESSAGE>()
{
    static constexpr MessageIds ids{LINE_REPLY, LINE_CREATE, LINE_REMOVE, LINE_CLOSE};
    return ids;
}
template <> const MessageIds &IdsOf<PHONEMESSAGE>()
{
    static constexpr MessageIds ids{PHONE_REPLY, PHONE_CREATE, PHONE_REMOVE, PHONE_CLOSE};
    return ids;
}

// The handle a device is open with now (0 when closed).
HLINE OpenHandleOf(const CTapiLine &line)
{
    return line.GetLineHandle();
}
HPHONE OpenHandleOf(const CTapiPhone &phone)
{
    return phone.GetPhoneHandle();
}

// The callback instance given to lineOpenW / phoneOpen names the device; 0 names none.
template <class Device> Device *DeviceOfInstance(const CTapiDeviceList<Device> &devices, DWORD_PTR instance)
{
    if (instance == kTapiNoInstance || instance - 1 > 0xFFFFFFFFu)
        return nullptr;
    return devices.Get(static_cast<DWORD>(instance - 1));
}

} // namespace

struct CTapiConnection::EventThread {
    std::thread thread;
    // Set by the thread as its last act; shared so a detached thread never touches freed memory.
    std::shared_ptr<CTapiEvent> finished = std::make_shared<CTapiEvent>();
};

CTapiConnection *GetTapiConnection()
{
    // Never destroyed: an event thread left running by Shutdown may still reach it.
    static CTapiConnection *const instance = new CTapiConnection;
    return instance;
}

CTapiConnection::CTapiConnection()
    : lineFactory_(&TapiCreate<CTapiLine, CTapiLine>), callFactory_(&TapiCreate<CTapiCall, CTapiCall>),
      addressFactory_(&TapiCreate<CTapiAddress, CTapiAddress>), phoneFactory_(&TapiCreate<CTapiPhone, CTapiPhone>)
{
}

CTapiConnection::~CTapiConnection()
{
    Shutdown();
}

DWORD CTapiConnection::Init(LPCWSTR appName, const CTapiClass<CTapiLine> *lineClass,
                            const CTapiClass<CTapiAddress> *addressClass, const CTapiClass<CTapiCall> *callClass,
                            const CTapiClass<CTapiPhone> *phoneClass, DWORD highestVersion)
{
    if (hLineApp_ || hPhoneApp_)
        return LINEERR_NOMULTIPLEINSTANCE;
    lineFactory_ = lineClass && lineClass->create ? lineClass->create : &TapiCreate<CTapiLine, CTapiLine>;
    addressFactory_ =
        addressClass && addressClass->create ? addressClass->create : &TapiCreate<CTapiAddress, CTapiAddress>;
    callFactory_ = callClass && callClass->create ? callClass->create : &TapiCreate<CTapiCall, CTapiCall>;
    phoneFactory_ = phoneClass && phoneClass->create ? phoneClass->create : &TapiCreate<CTapiPhone, CTapiPhone>;

    if (DWORD result = InitLineSide(appName, highestVersion))
        return result;
    if (DWORD result = InitPhoneSide(appName, highestVersion)) {
        Shutdown();
        return result;
    }
    return 0;
}

DWORD CTapiConnection::InitLineSide(LPCWSTR appName, DWORD version)
{
    HLINEAPP app = 0;
    DWORD count = 0;
    LINEINITIALIZEEXPARAMS params;
    DWORD result;
    do {
        params = {};
        params.dwTotalSize = sizeof params;
        params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
        DWORD negotiated = version;
        result = TapiResult(lineInitializeExW(&app, ModuleInstance(), nullptr, appName, &count, &negotiated, &params));
    } while (result == LINEERR_REINIT);
    if (result != 0)
        return result;
    hLineApp_ = app;
    // Shut the session down before the runtime's own statics go, at process exit.
    static const bool registered = (std::atexit(&ShutdownAtExit), true);
    (void)registered;
    lines_.SetCount(count);
    lineEvent_ = params.Handles.hEvent;
    if (!lineEvent_)
        return LINEERR_NOMEM;

    // The event thread waits for the list until every initial line is in it, so a
    // LINE_CREATE or LINE_REMOVE it fetches meanwhile finds the lines it refers to.
    std::unique_lock listLock(lines_.Lock());
    auto thread = std::make_unique<EventThread>();
    try {
        thread->thread = std::thread([this, app, finished = thread->finished] {
            LineEventLoop(app);
            finished->Set();
        });
    } catch (const std::system_error &) {
        lineShutdown(app);
        hLineApp_ = 0;
        lines_.SetCount(0);
        return LINEERR_OPERATIONFAILED;
    }
    lineThread_ = std::move(thread);

    std::vector<std::unique_ptr<CTapiLine>> lines(count);
    for (DWORD id = 0; id < count; ++id) {
        lines[id] = lineFactory_();
        // A line whose version cannot be negotiated stays listed and reports itself unavailable.
        lines[id]->Init(this, id);
    }
    lines_.Fill(std::move(lines));
    return 0;
}

DWORD CTapiConnection::InitPhoneSide(LPCWSTR appName, DWORD version)
{
    HPHONEAPP app = 0;
    DWORD count = 0;
    PHONEINITIALIZEEXPARAMS params;
    DWORD result;
    do {
        params = {};
        params.dwTotalSize = sizeof params;
        params.dwOptions = PHONEINITIALIZEEXOPTION_USEEVENT;
        DWORD negotiated = version;
        result = TapiResult(phoneInitializeExW(&app, ModuleInstance(), nullptr, appName, &count, &negotiated, &params));
    } while (result == PHONEERR_REINIT);
    if (result != 0)
        return result;
    hPhoneApp_ = app;
    phones_.SetCount(count);
    phoneEvent_ = params.Handles.hEvent;
    if (!phoneEvent_)
        return PHONEERR_NOMEM;

    // As for lines: the event thread waits until every initial phone is listed.
    std::unique_lock listLock(phones_.Lock());
    auto thread = std::make_unique<EventThread>();
    try {
        thread->thread = std::thread([this, app, finished = thread->finished] {
            PhoneEventLoop(app);
            finished->Set();
        });
    } catch (const std::system_error &) {
        phoneShutdown(app);
        hPhoneApp_ = 0;
        phones_.SetCount(0);
        return PHONEERR_OPERATIONFAILED;
    }
    phoneThread_ = std::move(thread);

    std::vector<std::unique_ptr<CTapiPhone>> phones(count);
    for (DWORD id = 0; id < count; ++id) {
        phones[id] = phoneFactory_();
        phones[id]->Init(this, id);
    }
    phones_.Fill(std::move(phones));
    return 0;
}

bool CTapiConnection::StopEventThread(std::unique_ptr<EventThread> &thread)
{
    if (!thread)
        return true;
    const DWORD start = TapiGetTickCount();
    while (!thread->finished->WaitFor(5)) {
        if (TapiElapsed(start, TapiGetTickCount()) >= kThreadStopTimeoutMs) {
            // A thread cannot be killed safely here; it runs on with what it holds.
            thread->thread.detach();
            thread.reset();
            return false;
        }
    }
    thread->thread.join();
    thread.reset();
    return true;
}

DWORD CTapiConnection::Shutdown()
{
    // Entries still waiting keep their out-storage until TAPI can no longer write it.
    requests_.CancelAll();
    DWORD result = 0;
    if (HLINEAPP app = hLineApp_.exchange(0))
        result = TapiResult(lineShutdown(app));
    const bool lineStopped = StopEventThread(lineThread_);
    if (HPHONEAPP app = hPhoneApp_.exchange(0))
        result = TapiResult(phoneShutdown(app));
    const bool phoneStopped = StopEventThread(phoneThread_);
    lineEvent_ = nullptr;
    phoneEvent_ = nullptr;

    std::vector<std::unique_ptr<CTapiLine>> lines;
    std::vector<std::unique_ptr<CTapiPhone>> phones;
    {
        std::scoped_lock lock(lines_.Lock(), phones_.Lock());
        lines = lines_.TakeAll();
        phones = phones_.TakeAll();
    }
    if (lineStopped && phoneStopped) {
        // Deleted outside the session's locks: a call's destructor drops it, which registers a request.
        lines.clear();
        phones.clear();
    } else {
        for (auto &line : lines)
            abandonedLines_.push_back(std::move(line));
        for (auto &phone : phones)
            abandonedPhones_.push_back(std::move(phone));
    }
    requests_.CancelAll();
    requests_.ReleaseCancelled();
    return result;
}

DWORD CTapiConnection::GetLineCount() const
{
    return lines_.Count();
}

DWORD CTapiConnection::GetPhoneCount() const
{
    return phones_.Count();
}

CTapiLine *CTapiConnection::GetLine(DWORD deviceId) const
{
    return lines_.Get(deviceId);
}

CTapiPhone *CTapiConnection::GetPhone(DWORD deviceId) const
{
    return phones_.Get(deviceId);
}

std::shared_ptr<CTapiRequest> CTapiConnection::AddRequest(DWORD result, std::shared_ptr<void> keepAlive,
                                                          CTapiRequestKind kind)
{
    return requests_.Add(result, std::move(keepAlive), kind);
}

std::shared_ptr<CTapiRequest> CTapiConnection::AddDeviceRequest(const void *device, DWORD handle,
                                                                 DWORD currentHandle, DWORD closedResult,
                                                                 DWORD result, std::shared_ptr<void> keepAlive,
                                                                 CTapiRequestKind kind)
{
    auto entry = requests_.Add(result, std::move(keepAlive), kind);
    if (!entry)
        return entry;
    entry->SetDevice(device, handle);
    // A close handled between the request and its registration found nothing to end.
    if (handle == 0 || currentHandle != handle)
        requests_.AbandonDevice(device, handle, closedResult);
    return entry;
}

void CTapiConnection::AbandonDeviceRequests(const void *device, DWORD handle, DWORD result)
{
    requests_.AbandonDevice(device, handle, result);
}

DWORD CTapiConnection::WaitForReply(DWORD result, DWORD timeout)
{
    if (!IsTapiRequestId(result))
        return result;
    auto entry = requests_.Find(result);
    if (!entry)
        return LINEERR_INVALPARAM;
    return entry->Wait(timeout);
}

void CTapiConnection::OnReply(DWORD requestId, DWORD result)
{
    requests_.OnReply(requestId, result);
}

void CTapiConnection::PurgeRequests(DWORD age)
{
    requests_.Purge(age);
}

DWORD CTapiConnection::GetPendingRequestCount() const
{
    return requests_.PendingCount();
}

void CTapiConnection::CancelAllRequests()
{
    requests_.CancelAll();
}

std::shared_ptr<CTapiRequest> CTapiConnection::FindRequest(DWORD requestId) const
{
    return requests_.Find(requestId);
}

std::unique_ptr<CTapiLine> CTapiConnection::CreateLineObject() const
{
    return lineFactory_();
}

std::unique_ptr<CTapiAddress> CTapiConnection::CreateAddressObject() const
{
    return addressFactory_();
}

std::unique_ptr<CTapiCall> CTapiConnection::CreateCallObject() const
{
    return callFactory_();
}

std::unique_ptr<CTapiPhone> CTapiConnection::CreatePhoneObject() const
{
    return phoneFactory_();
}

void CTapiConnection::LineEventLoop(HLINEAPP app)
{
    FetchBackoff backoff(kLineMessageTimeoutMs);
    for (;;) {
        LINEMESSAGE msg{};
        backoff.Start();
        const DWORD result = TapiResult(lineGetMessage(app, &msg, kLineMessageTimeoutMs));
        if (result == 0)
            Route(lines_, lineFactory_, msg);
        PurgeRequests(kRequestPurgeAgeMs);
        if (result == LINEERR_INVALAPPHANDLE)
            return;
        backoff.After(result);
    }
}

void CTapiConnection::PhoneEventLoop(HPHONEAPP app)
{
    FetchBackoff backoff(INFINITE);
    for (;;) {
        PHONEMESSAGE msg{};
        backoff.Start();
        const DWORD result = TapiResult(phoneGetMessage(app, &msg, INFINITE));
        if (result == 0)
            Route(phones_, phoneFactory_, msg);
        if (result == PHONEERR_INVALAPPHANDLE)
            return;
        backoff.After(result);
    }
}

template <class Device, class Message>
void CTapiConnection::Route(CTapiDeviceList<Device> &devices, std::unique_ptr<Device> (*factory)(), const Message &msg)
{
    const auto p1 = static_cast<DWORD>(msg.dwParam1);
    const auto p2 = static_cast<DWORD>(msg.dwParam2);
    const auto p3 = static_cast<DWORD>(msg.dwParam3);
    const MessageIds &ids = IdsOf<Message>();
    if (msg.dwMessageID == ids.reply) {
        OnReply(p1, p2);
    } else if (msg.dwMessageID == ids.create) {
        // TAPI gives a new device the next identifier; any other value would break the
        // rule that a device's list index is its identifier, so it is ignored.
        if (p1 != devices.Count())
            return;
        auto device = factory();
        device->Init(this, p1);
        devices.Append(p1, std::move(device));
    } else if (msg.dwMessageID == ids.remove) {
        if (Device *device = devices.Get(p1)) {
            device->MarkRemoved();
            device->OnDeviceRemoved();
        }
    } else if (Device *device = DeviceOfInstance(devices, msg.dwCallbackInstance)) {
        if (msg.dwMessageID == ids.close) {
            // The callback instance names the device, not the opening: a close meant for
            // a handle the device no longer has (closed, perhaps opened again since) is stale.
            const auto open = OpenHandleOf(*device);
            if (open != 0 && open == msg.hDevice)
                device->OnForceClose(msg.hDevice, p1, p2, p3);
        } else
            device->OnEvent(msg.hDevice, msg.dwMessageID, p1, p2, p3);
    }
}
