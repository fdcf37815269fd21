// The ordered message queue of one TAPI application, with the fetch that
// waits up to a time-out and wakes when the application shuts down.
#ifndef DIALWERK_TAPI32_MESSAGEQUEUE_H
#define DIALWERK_TAPI32_MESSAGEQUEUE_H

#include <tapi.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace tapi32 {

/// One queued message. onFetch runs when the message is fetched, before the
/// fetch returns: it writes the out-parameters of a reply and may correct the
/// message; when it answers false the message is discarded unseen (a reply
/// whose line or phone was closed meanwhile).
struct QueuedMessage {
    LINEMESSAGE msg{};
    std::function<bool(LINEMESSAGE &)> onFetch;
};

class MessageQueue {
public:
    enum class Fetch { Ok, TimedOut, Closed };

    /// Appends a message; does nothing once closed.
    void push(QueuedMessage m);
    /// Takes the oldest message, waiting up to `timeoutMs` (INFINITE: no
    /// limit). onFetch is left to the caller, to run without this lock.
    Fetch pop(QueuedMessage &out, DWORD timeoutMs);
    /// Discards every message and wakes every waiting fetch with Closed.
    void close();
    size_t size() const;

private:
    // Guards queue_ and closed_; taken inside the runtime's lock, never the other way round.
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<QueuedMessage> queue_;
    bool closed_ = false;
};

} // namespace tapi32

#endif
