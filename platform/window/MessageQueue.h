// The user-interface thread's queue of window messages: the registry of live
// window handles, messages sent from other threads and messages posted from any
// thread, and the pending quit request.
#pragma once

#include <window/Types.h>

#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

class QEventLoop;

namespace win {

class MessageTarget;

/// One queue per process, bound to the thread that runs the windows (the thread
/// of the QApplication). Other threads reach windows only through it.
class MessageQueue {
public:
    /// The process-wide queue; usable from any thread.
    static MessageQueue &Instance();

    /// Binds the queue to the calling thread as the user-interface thread and
    /// creates its wake-up notifier. Needs a QCoreApplication on this thread;
    /// the first thread to attach stays the user-interface thread. A queue
    /// closed with its application reopens here for the next one.
    void AttachUiThread();
    /// True when the caller runs on the attached user-interface thread.
    bool IsUiThread() const;

    /// Gives a window a new handle under which messages reach `target`.
    WindowHandle Register(MessageTarget &target);
    /// Ends a handle: senders waiting on it return 0 at once, messages posted to
    /// it are dropped, and later sends and posts to it fail.
    void Unregister(WindowHandle handle);
    /// True while the handle belongs to a window (any thread).
    bool IsAlive(WindowHandle handle) const;
    /// The window behind a live handle, or null. User-interface thread only.
    MessageTarget *Find(WindowHandle handle) const;

    /// Sends a message and returns the window's result. On the user-interface
    /// thread the window is called directly; from another thread the caller
    /// blocks until the user-interface thread has handled the message, which it
    /// does before any posted message. Returns 0 at once when the handle is not
    /// live, when it ends while the caller waits, or when the queue closes.
    LRESULT Send(WindowHandle handle, UINT message, WPARAM wParam, LPARAM lParam);
    /// Queues a message behind those posted earlier and returns at once. False
    /// (and nothing queued) when the handle is not live or the queue is closed.
    bool Post(WindowHandle handle, UINT message, WPARAM wParam, LPARAM lParam);

    /// Messages waiting to be handled: sent from other threads, and posted. Any thread.
    std::size_t QueuedSent() const;
    std::size_t QueuedPosted() const;

    /// Hands the messages queued now to their windows, each message sent from
    /// another thread before the next posted one; messages that arrive meanwhile
    /// wait for the next round. Handlers may pump again (nested dispatch). Does
    /// nothing off the user-interface thread.
    void Dispatch();

    /// Records a quit request (any thread) and ends every modal loop now
    /// running; the request stays until `CancelQuit`.
    void RequestQuit(int exitCode);
    bool QuitRequested() const { return quitRequested_.load(); }
    int QuitCode() const { return quitCode_.load(); }
    /// Forgets a quit request (for tests that run several applications' worth of windows).
    void CancelQuit() { quitRequested_.store(false); }

    /// Modal loops register here so that a quit request ends them. UI thread only.
    void EnterModalLoop(QEventLoop &loop);
    void LeaveModalLoop(QEventLoop &loop);

    /// Closes the queue when the application goes away: every live handle ends,
    /// every waiting sender returns 0, and sends and posts fail until the queue
    /// opens again for a new application (or `Reopen`).
    void Close();
    /// Opens a closed queue again (tests that close it on purpose).
    void Reopen();

private:
    MessageQueue();
    ~MessageQueue() = delete; // lives as long as the process

    struct SentMessage {
        WindowHandle target;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result = 0;
        bool done = false;
    };
    struct PostedMessage {
        WindowHandle target;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    bool ScheduleWakeLocked();
    void Wake() const;
    void OnWake();
    void ReleaseSendersLocked(WindowHandle handle);
    void ExitModalLoops();

    // Guards targets_, sent_, posted_, closed_ and wakePending_. It is a leaf
    // lock: nothing else is locked while it is held, it is never held while a
    // window handles a message, and senders wait on doneCondition_ with it.
    mutable std::mutex mutex_;
    std::condition_variable doneCondition_;
    std::unordered_map<WindowHandle, MessageTarget *> targets_;
    std::deque<SentMessage *> sent_; // owned by the blocked senders' frames
    std::deque<PostedMessage> posted_;
    bool closed_ = false;
    bool wakePending_ = false;

    std::atomic<std::thread::id> uiThread_{};
    std::atomic<std::uint64_t> nextHandle_{0x10000};
    std::atomic<bool> quitRequested_{false};
    std::atomic<int> quitCode_{0};

    const int wakeFd_; // eventfd written by senders and posters, read by the UI thread
    // UI thread only: the application's notifier on wakeFd_ (a polling timer
    // when there is no eventfd); the queue closes when it goes away.
    QPointer<QObject> waker_;
    std::vector<QEventLoop *> modalLoops_; // UI thread only, innermost last
};

} // namespace win
