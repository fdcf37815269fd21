#include "CTapiRequest.h"

#include "TapiClock.h"
#include "TapiPump.h"

CTapiRequest::CTapiRequest(DWORD requestId) : requestId_(requestId) {}

CTapiRequest::~CTapiRequest()
{
    done_.Set();
}

DWORD CTapiRequest::GetCompletionTick() const
{
    std::lock_guard lock(mutex_);
    return tick_;
}

DWORD CTapiRequest::GetResult() const
{
    std::lock_guard lock(mutex_);
    return result_;
}

bool CTapiRequest::IsPending() const
{
    return !done_.IsSet();
}

void CTapiRequest::Complete(DWORD result)
{
    {
        std::lock_guard lock(mutex_);
        result_ = result;
        // 0 means "no reply yet", so a reply stored at tick 0 is recorded as tick 1.
        const DWORD now = TapiGetTickCount();
        tick_ = now ? now : 1;
        completed_ = true;
    }
    done_.Set();
}

void CTapiRequest::Cancel()
{
    done_.Set();
}

void CTapiRequest::SetDevice(const void *device, DWORD handle)
{
    std::lock_guard lock(mutex_);
    device_ = device;
    deviceHandle_ = handle;
}

bool CTapiRequest::MadeThrough(const void *device, DWORD handle) const
{
    std::lock_guard lock(mutex_);
    return device_ && device_ == device && deviceHandle_ == handle;
}

DWORD CTapiRequest::Wait(DWORD timeout)
{
    const bool signalled = TapiPumpingWait(done_, timeout) == TapiWaitOutcome::Signalled;
    return FinishWait(signalled);
}

DWORD CTapiRequest::FinishWait(bool signalled)
{
    std::function<void()> action;
    DWORD result;
    {
        std::lock_guard lock(mutex_);
        result = signalled && completed_ ? result_ : kTapiNoReply;
        // The action belongs to the first wait alone: a wait that gave up has told its
        // caller so, and the caller's storage may be gone by the time a reply comes.
        action.swap(waitAction_);
    }
    if (action && result == 0)
        action();
    return result;
}

void CTapiRequest::KeepAlive(std::shared_ptr<void> storage)
{
    if (!storage)
        return;
    std::lock_guard lock(mutex_);
    keepAlive_.push_back(std::move(storage));
}

void CTapiRequest::OnWaitSucceeded(std::function<void()> action)
{
    std::lock_guard lock(mutex_);
    waitAction_ = std::move(action);
}
