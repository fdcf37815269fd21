#include "CTapiRequestList.h"

#include "TapiClock.h"

#include <algorithm>

namespace {

// A completed identifier registered again after this long belongs to a new request.
constexpr DWORD kReuseAgeMs = 10000;

bool CompletedLongerThan(const CTapiRequest &entry, DWORD age, DWORD now)
{
    return !entry.IsPending() && TapiElapsed(entry.GetCompletionTick(), now) > age;
}

} // namespace

CTapiRequestList::Entries::const_iterator CTapiRequestList::Locate(DWORD requestId) const
{
    return std::find_if(entries_.begin(), entries_.end(),
                        [requestId](const auto &entry) { return entry->GetRequestID() == requestId; });
}

std::shared_ptr<CTapiRequest> CTapiRequestList::Add(DWORD value, std::shared_ptr<void> keepAlive)
{
    if (!IsTapiRequestId(value))
        return nullptr;
    std::lock_guard lock(mutex_);
    auto found = Locate(value);
    std::shared_ptr<CTapiRequest> entry;
    if (found != entries_.end() && !CompletedLongerThan(**found, kReuseAgeMs, TapiGetTickCount())) {
        entry = *found;
    } else {
        // A stale entry is replaced rather than reset, so anyone still holding it
        // keeps the result it had.
        entry = std::make_shared<CTapiRequest>(value);
        if (found != entries_.end())
            entries_[static_cast<std::size_t>(found - entries_.begin())] = entry;
        else
            entries_.push_back(entry);
    }
    entry->KeepAlive(std::move(keepAlive));
    return entry;
}

std::shared_ptr<CTapiRequest> CTapiRequestList::Find(DWORD requestId) const
{
    std::lock_guard lock(mutex_);
    auto found = Locate(requestId);
    return found == entries_.end() ? nullptr : *found;
}

void CTapiRequestList::OnReply(DWORD requestId, DWORD result)
{
    auto entry = Find(requestId);
    if (!entry)
        entry = Add(requestId);
    if (entry)
        entry->Complete(result);
    std::lock_guard lock(mutex_);
    // TAPI has written the request's out-parameters by now; a cancelled entry need not keep them.
    std::erase_if(cancelled_, [requestId](const auto &cancelled) { return cancelled->GetRequestID() == requestId; });
}

void CTapiRequestList::Purge(DWORD age)
{
    std::lock_guard lock(mutex_);
    if (entries_.empty())
        return;
    const DWORD now = TapiGetTickCount();
    std::erase_if(entries_, [age, now](const auto &entry) { return CompletedLongerThan(*entry, age, now); });
}

DWORD CTapiRequestList::PendingCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<DWORD>(
        std::count_if(entries_.begin(), entries_.end(), [](const auto &entry) { return entry->IsPending(); }));
}

void CTapiRequestList::CancelAll()
{
    std::lock_guard lock(mutex_);
    for (auto &entry : entries_) {
        if (entry->IsPending())
            cancelled_.push_back(entry);
        entry->Cancel();
    }
    entries_.clear();
}

void CTapiRequestList::ReleaseCancelled()
{
    Entries released;
    {
        std::lock_guard lock(mutex_);
        released.swap(cancelled_);
    }
}
