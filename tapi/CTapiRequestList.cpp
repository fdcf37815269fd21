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

std::shared_ptr<CTapiRequest> CTapiRequestList::Add(DWORD value, std::shared_ptr<void> keepAlive,
                                                    CTapiRequestKind kind)
{
    if (!IsTapiRequestId(value))
        return nullptr;
    std::lock_guard lock(mutex_);
    Entry &slot = entries_[value];
    // A stale entry is replaced rather than reset, so anyone still holding it keeps the result it had.
    if (!slot || CompletedLongerThan(*slot, kReuseAgeMs, TapiGetTickCount()))
        slot = std::make_shared<CTapiRequest>(value);
    slot->KeepAlive(std::move(keepAlive));
    if (kind == CTapiRequestKind::Probe)
        slot->MarkProbe();
    return slot;
}

std::shared_ptr<CTapiRequest> CTapiRequestList::Find(DWORD requestId) const
{
    std::lock_guard lock(mutex_);
    auto found = entries_.find(requestId);
    return found == entries_.end() ? nullptr : found->second;
}

void CTapiRequestList::OnReply(DWORD requestId, DWORD result)
{
    auto entry = Find(requestId);
    if (!entry)
        entry = Add(requestId);
    if (!entry)
        return;
    entry->Complete(result);
    std::lock_guard lock(mutex_);
    completed_.push_back(entry);
    // TAPI has written the request's out-parameters by now; a cancelled entry need not keep them.
    std::erase_if(cancelled_, [requestId](const auto &cancelled) { return cancelled->GetRequestID() == requestId; });
}

void CTapiRequestList::AbandonDevice(const void *device, DWORD handle, DWORD result)
{
    std::vector<Entry> abandoned;
    {
        std::lock_guard lock(mutex_);
        for (const auto &[id, entry] : entries_)
            if (entry->IsPending() && entry->MadeThrough(device, handle))
                abandoned.push_back(entry);
    }
    // Completed outside the table's lock, as a reply would be.
    for (const Entry &entry : abandoned)
        OnReply(entry->GetRequestID(), result);
}

void CTapiRequestList::Purge(DWORD age)
{
    std::lock_guard lock(mutex_);
    const DWORD now = TapiGetTickCount();
    while (!completed_.empty()) {
        const Entry &oldest = completed_.front();
        if (!CompletedLongerThan(*oldest, age, now))
            return;
        auto listed = entries_.find(oldest->GetRequestID());
        // The identifier may meanwhile serve a newer request; only this entry goes.
        if (listed != entries_.end() && listed->second == oldest)
            entries_.erase(listed);
        completed_.pop_front();
    }
}

DWORD CTapiRequestList::PendingCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<DWORD>(
        std::count_if(entries_.begin(), entries_.end(), [](const auto &entry) { return entry.second->IsPending() && !entry.second->IsProbe(); }));
}

void CTapiRequestList::CancelAll()
{
    std::lock_guard lock(mutex_);
    for (auto &[id, entry] : entries_) {
        if (entry->IsPending())
            cancelled_.push_back(entry);
        entry->Cancel();
    }
    entries_.clear();
    completed_.clear();
}

void CTapiRequestList::ReleaseCancelled()
{
    std::vector<Entry> released;
    {
        std::lock_guard lock(mutex_);
        released.swap(cancelled_);
    }
}
