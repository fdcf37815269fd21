#ifndef DIALWERK_TAPI_CTAPIREQUEST_H
#define DIALWERK_TAPI_CTAPIREQUEST_H

#include "CTapiEvent.h"
#include "TapiPlatform.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

/// Who a request is for: the user's own requests, or a probe the layer sends to learn
/// what a device supports (nobody waits for it, and it does not count as pending).
enum class CTapiRequestKind { User, Probe };

/// One asynchronous TAPI request: its identifier, and once LINE_REPLY / PHONE_REPLY
/// has come, its result and the tick of its completion. Shared between the request
/// table and any waiter, so a waiter keeps its entry when the table discards it.
class CTapiRequest {
public:
    explicit CTapiRequest(DWORD requestId);
    CTapiRequest(const CTapiRequest &) = delete;
    CTapiRequest &operator=(const CTapiRequest &) = delete;
    /// Releases any waiter.
    ~CTapiRequest();

    DWORD GetRequestID() const { return requestId_; }
    /// The tick at which the reply was stored; 0 while pending.
    DWORD GetCompletionTick() const;
    /// The stored result; 0xFFFFFFFF until a reply is stored.
    DWORD GetResult() const;
    /// True until a reply is stored or the entry is cancelled.
    bool IsPending() const;
    /// Whether the entry serves a probe (see CTapiRequestKind).
    bool IsProbe() const { return probe_.load(); }
    void MarkProbe() { probe_ = true; }
    /// The device (a line or phone object) and the handle it was open with when
    /// the request was made through it; null for requests of no device.
    void SetDevice(const void *device, DWORD handle);
    bool MadeThrough(const void *device, DWORD handle) const;

    /// Stores the reply's result and completion tick, then releases every waiter.
    void Complete(DWORD result);
    /// Releases every waiter without a result (the session discards the entry).
    void Cancel();
    /// Waits up to `timeout` ms (0 or INFINITE: no deadline) while pumping messages.
    /// Returns the stored result, or 0xFFFFFFFF on time-out, on a quitting application,
    /// or when the entry was cancelled before its reply.
    DWORD Wait(DWORD timeout);

    /// Keeps storage that TAPI writes when the reply is delivered (out handles,
    /// structures) alive for as long as the entry exists.
    void KeepAlive(std::shared_ptr<void> storage);
    /// Runs `action` on the waiting thread when the next wait returns 0; a wait that
    /// returns anything else discards it.
    void OnWaitSucceeded(std::function<void()> action);

private:
    DWORD FinishWait(bool signalled);

    const DWORD requestId_;
    // Guards completed_, tick_, result_, keepAlive_, waitAction_, device_ and
    // deviceHandle_; a leaf lock.
    mutable std::mutex mutex_;
    bool completed_ = false;
    DWORD tick_ = 0;
    DWORD result_ = kTapiNoReply;
    std::vector<std::shared_ptr<void>> keepAlive_;
    std::function<void()> waitAction_;
    CTapiEvent done_;
    std::atomic<bool> probe_{false};
    // Written once, right after the entry is registered; read under mutex_ too.
    const void *device_ = nullptr;
    DWORD deviceHandle_ = 0;
};

#endif
