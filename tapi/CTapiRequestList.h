#ifndef DIALWERK_TAPI_CTAPIREQUESTLIST_H
#define DIALWERK_TAPI_CTAPIREQUESTLIST_H

#include "CTapiRequest.h"

#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

/// The session's table of asynchronous requests, keyed by request identifier.
/// Replies and registrations may come in either order.
class CTapiRequestList {
public:
    /// Registers a TAPI result. Values outside 1..0x80000000 are ignored (null).
    /// A known identifier completed more than 10000 ms ago is replaced by a fresh
    /// pending entry; a younger or pending one is returned unchanged. `keepAlive`
    /// is attached to the entry (see CTapiRequest::KeepAlive).
    std::shared_ptr<CTapiRequest> Add(DWORD value, std::shared_ptr<void> keepAlive = nullptr,
                                      CTapiRequestKind kind = CTapiRequestKind::User);
    /// The entry for `requestId`, or null.
    std::shared_ptr<CTapiRequest> Find(DWORD requestId) const;
    /// Stores a reply, creating a completed entry when nobody registered the identifier yet.
    void OnReply(DWORD requestId, DWORD result);
    /// Discards completed entries whose reply is more than `age` ms old.
    void Purge(DWORD age);
    /// Number of user requests still waiting for their reply (probes are not counted).
    DWORD PendingCount() const;
    /// Completes with `result` every pending request made through `device` while it
    /// was open with `handle`: TAPI sends no reply for them once that handle closed.
    void AbandonDevice(const void *device, DWORD handle, DWORD result);
    /// Releases every waiter and empties the table. Entries still waiting for their
    /// reply keep their out-storage alive until that reply comes or ReleaseCancelled runs.
    void CancelAll();
    /// Drops what CancelAll kept (call once TAPI can no longer deliver replies).
    void ReleaseCancelled();

private:
    using Entry = std::shared_ptr<CTapiRequest>;

    // Guards entries_, completed_ and cancelled_. Never held together with another
    // lock of the layer, nor while waiting; entries' own locks are taken inside it (leaf).
    mutable std::mutex mutex_;
    std::unordered_map<DWORD, Entry> entries_;
    // Completed entries in the order of their replies, so purging looks only at the oldest.
    std::deque<Entry> completed_;
    std::vector<Entry> cancelled_;
};

#endif
