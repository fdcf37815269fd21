#ifndef DIALWERK_TAPI_CTAPICONNECTION_H
#define DIALWERK_TAPI_CTAPICONNECTION_H

#include "CTapiDeviceList.h"
#include "CTapiObject.h"
#include "CTapiRequestList.h"
#include "TapiPlatform.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class CTapiAddress;
class CTapiCall;
class CTapiLine;
class CTapiPhone;

/// The program's one session with TAPI: initialises the line and phone sides in
/// event-handle mode, owns one object per line and phone device, runs the two event
/// threads that route TAPI messages to those objects, and tracks asynchronous requests.
///
/// Lifetime. The one instance lives for the whole process (it is never destroyed, so an
/// event thread left running at exit still finds it). Device objects live from Init or
/// their LINE_CREATE / PHONE_CREATE until Shutdown, which deletes them only once the
/// event threads have ended (objects a stuck thread may still touch are kept instead).
/// While Init creates the initial devices the event threads wait for the device lists,
/// so a device message fetched meanwhile finds its object. Calls: see CTapiCall.
class CTapiConnection {
public:
    CTapiConnection(const CTapiConnection &) = delete;
    CTapiConnection &operator=(const CTapiConnection &) = delete;

    /// Initialises both sides of TAPI, starts the event threads and creates the device
    /// objects through the given classes (null selects CTapiLine, CTapiAddress,
    /// CTapiCall, CTapiPhone). Returns 0, LINEERR_NOMULTIPLEINSTANCE when already
    /// initialised, lineInitializeExW's error, LINEERR_NOMEM without an event handle
    /// (the line handle then stays until Shutdown), LINEERR_OPERATIONFAILED when the
    /// line thread cannot start, or the phone side's error (everything is then shut down).
    DWORD Init(LPCWSTR appName, const CTapiClass<CTapiLine> *lineClass, const CTapiClass<CTapiAddress> *addressClass,
               const CTapiClass<CTapiCall> *callClass, const CTapiClass<CTapiPhone> *phoneClass, DWORD highestVersion);
    /// Cancels every request, shuts both sides down, waits up to 5000 ms for each event
    /// thread and deletes every device object. Returns the last lineShutdown /
    /// phoneShutdown result (0 when none was needed). A thread that does not end in time
    /// is left running detached, and the objects it may still touch are kept alive.
    DWORD Shutdown();

    DWORD GetLineCount() const;
    DWORD GetPhoneCount() const;
    /// The line object of a device identifier, or null when the identifier is not below the count.
    CTapiLine *GetLine(DWORD deviceId) const;
    /// The phone object of a device identifier, or null when the identifier is not below the count.
    CTapiPhone *GetPhone(DWORD deviceId) const;
    HLINEAPP GetLineAppHandle() const { return hLineApp_.load(); }
    HPHONEAPP GetPhoneAppHandle() const { return hPhoneApp_.load(); }

    /// Registers the raw result of an asynchronous TAPI call (ignored unless it is a
    /// request identifier). `keepAlive` is storage TAPI writes when the reply is
    /// delivered; it stays alive until then or until the session shuts down. A probe
    /// (a question the layer asks for itself) is not counted as pending.
    std::shared_ptr<CTapiRequest> AddRequest(DWORD result, std::shared_ptr<void> keepAlive = nullptr,
                                             CTapiRequestKind kind = CTapiRequestKind::User);
    /// Returns a final result unchanged; for a request identifier waits (pumping
    /// messages) for its reply: the reply's result, 0xFFFFFFFF on time-out, quit or
    /// cancellation, LINEERR_INVALPARAM when the identifier is unknown.
    DWORD WaitForReply(DWORD result, DWORD timeout);
    /// Registers a request made through a line or phone open with `handle`; when the
    /// device is no longer open with it (it closed meanwhile), the request ends at
    /// once with `closedResult`, since no reply will come.
    std::shared_ptr<CTapiRequest> AddDeviceRequest(const void *device, DWORD handle, DWORD currentHandle,
                                                   DWORD closedResult, DWORD result,
                                                   std::shared_ptr<void> keepAlive = nullptr,
                                                   CTapiRequestKind kind = CTapiRequestKind::User);
    /// Ends the requests made through a device while open with `handle` (it closed).
    void AbandonDeviceRequests(const void *device, DWORD handle, DWORD result);
    /// Stores a LINE_REPLY / PHONE_REPLY.
    void OnReply(DWORD requestId, DWORD result);
    /// Discards completed requests whose reply is more than `age` ms old.
    void PurgeRequests(DWORD age);
    /// Number of requests still waiting for their reply (probes not counted).
    DWORD GetPendingRequestCount() const;
    /// Releases every waiter and discards every request.
    void CancelAllRequests();
    /// The request entry of an identifier, or null.
    std::shared_ptr<CTapiRequest> FindRequest(DWORD requestId) const;

    /// Object factories of the session (the classes given to Init).
    std::unique_ptr<CTapiLine> CreateLineObject() const;
    std::unique_ptr<CTapiAddress> CreateAddressObject() const;
    std::unique_ptr<CTapiCall> CreateCallObject() const;
    std::unique_ptr<CTapiPhone> CreatePhoneObject() const;

    /// The callback instance that identifies a device in lineOpenW / phoneOpen.
    static DWORD_PTR InstanceOf(DWORD deviceId) { return DWORD_PTR{deviceId} + 1; }

private:
    struct EventThread;
    friend CTapiConnection *GetTapiConnection();
    CTapiConnection();
    ~CTapiConnection();

    DWORD InitLineSide(LPCWSTR appName, DWORD version);
    DWORD InitPhoneSide(LPCWSTR appName, DWORD version);
    void LineEventLoop(HLINEAPP app);
    void PhoneEventLoop(HPHONEAPP app);
    template <class Device, class Message>
    void Route(CTapiDeviceList<Device> &devices, std::unique_ptr<Device> (*factory)(), const Message &msg);
    static bool StopEventThread(std::unique_ptr<EventThread> &thread);

    // Written by Init / Shutdown on the user-interface thread, read from every thread.
    std::atomic<HLINEAPP> hLineApp_{0};
    std::atomic<HPHONEAPP> hPhoneApp_{0};

    // Lines before phones when nested (only Shutdown nests them).
    CTapiDeviceList<CTapiLine> lines_;
    CTapiDeviceList<CTapiPhone> phones_;

    // Set by Init before any thread starts; read by the event threads.
    std::unique_ptr<CTapiLine> (*lineFactory_)();
    std::unique_ptr<CTapiCall> (*callFactory_)();
    std::unique_ptr<CTapiAddress> (*addressFactory_)();
    std::unique_ptr<CTapiPhone> (*phoneFactory_)();

    CTapiRequestList requests_;

    std::unique_ptr<EventThread> lineThread_;
    std::unique_ptr<EventThread> phoneThread_;
    HANDLE lineEvent_ = nullptr;
    HANDLE phoneEvent_ = nullptr;

    // Objects a detached event thread may still touch; kept for the life of the process.
    std::vector<std::unique_ptr<CTapiLine>> abandonedLines_;
    std::vector<std::unique_ptr<CTapiPhone>> abandonedPhones_;
};

/// The process's one session, created on first use and shut down at process exit.
CTapiConnection *GetTapiConnection();

#endif
