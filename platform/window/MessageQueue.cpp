#include <window/MessageQueue.h>

#include <window/MessageTarget.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <sys/eventfd.h>
#include <unistd.h>

namespace win {

MessageQueue &MessageQueue::Instance()
{
    // Never destroyed: event threads that outlive main() may still try to send,
    // and must find a closed queue rather than a destroyed one.
    static MessageQueue *queue = new MessageQueue;
    return *queue;
}

MessageQueue::MessageQueue() : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (wakeFd_ < 0)
        qWarning("window messages: no eventfd (errno %d); the user-interface thread polls instead", errno);
}

void MessageQueue::AttachUiThread()
{
    auto *application = QCoreApplication::instance();
    if (!application)
        return;
    std::thread::id none;
    const auto self = std::this_thread::get_id();
    if (!uiThread_.compare_exchange_strong(none, self) && none != self)
        return;
    if (waker_)
        return;
    Reopen();
    // The waker belongs to the application, so it goes away with it; that is
    // the moment the queue closes and releases any thread still sending.
    if (wakeFd_ >= 0) {
        auto *notifier = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, application);
        QObject::connect(notifier, &QSocketNotifier::activated, [this] { OnWake(); });
        waker_ = notifier;
    } else {
        auto *poll = new QTimer(application);
        QObject::connect(poll, &QTimer::timeout, [this] { OnWake(); });
        poll->start(5);
        waker_ = poll;
    }
    QObject::connect(waker_, &QObject::destroyed, [this] { Close(); });
}

bool MessageQueue::IsUiThread() const
{
    return uiThread_.load() == std::this_thread::get_id();
}

WindowHandle MessageQueue::Register(MessageTarget &target)
{
    const auto handle = static_cast<WindowHandle>(nextHandle_.fetch_add(1));
    std::lock_guard lock(mutex_);
    targets_.emplace(handle, &target);
    return handle;
}

void MessageQueue::Unregister(WindowHandle handle)
{
    std::lock_guard lock(mutex_);
    targets_.erase(handle);
    ReleaseSendersLocked(handle);
    std::erase_if(posted_, [handle](const PostedMessage &m) { return m.target == handle; });
}

bool MessageQueue::IsAlive(WindowHandle handle) const
{
    std::lock_guard lock(mutex_);
    return targets_.contains(handle);
}

MessageTarget *MessageQueue::Find(WindowHandle handle) const
{
    if (!IsUiThread())
        return nullptr;
    std::lock_guard lock(mutex_);
    auto it = targets_.find(handle);
    return it == targets_.end() ? nullptr : it->second;
}

LRESULT MessageQueue::Send(WindowHandle handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::unique_lock lock(mutex_);
    auto it = targets_.find(handle);
    if (closed_ || it == targets_.end())
        return 0;
    if (IsUiThread()) {
        MessageTarget *target = it->second;
        lock.unlock();
        return target->HandleMessage(message, wParam, lParam);
    }
    SentMessage sent{handle, message, wParam, lParam};
    sent_.push_back(&sent);
    const bool wake = ScheduleWakeLocked();
    lock.unlock();
    if (wake)
        Wake();
    lock.lock();
    doneCondition_.wait(lock, [&sent] { return sent.done; });
    return sent.result;
}

bool MessageQueue::Post(WindowHandle handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::unique_lock lock(mutex_);
    if (closed_ || !targets_.contains(handle))
        return false;
    posted_.push_back({handle, message, wParam, lParam});
    const bool wake = ScheduleWakeLocked();
    lock.unlock();
    if (wake)
        Wake();
    return true;
}

std::size_t MessageQueue::QueuedSent() const
{
    std::lock_guard lock(mutex_);
    return sent_.size();
}

std::size_t MessageQueue::QueuedPosted() const
{
    std::lock_guard lock(mutex_);
    return posted_.size();
}

void MessageQueue::Dispatch()
{
    if (!IsUiThread())
        return;
    if (quitRequested_.load())
        ExitModalLoops();
    std::unique_lock lock(mutex_);
    // Only as many messages as are queued now: a thread that keeps sending or
    // posting must not keep a pumping wait from ever returning. Sent messages
    // still go first whenever one is queued.
    for (std::size_t budget = sent_.size() + posted_.size(); budget > 0; --budget) {
        if (!sent_.empty()) {
            SentMessage *sent = sent_.front();
            sent_.pop_front();
            auto it = targets_.find(sent->target);
            MessageTarget *target = it == targets_.end() ? nullptr : it->second;
            lock.unlock();
            const LRESULT result = target ? target->HandleMessage(sent->message, sent->wParam, sent->lParam) : 0;
            lock.lock();
            // The sender cannot leave before `done`, so `sent` is still valid
            // here even if its window ended while the handler ran.
            sent->result = result;
            sent->done = true;
            doneCondition_.notify_all();
            continue;
        }
        if (posted_.empty())
            break;
        const PostedMessage posted = posted_.front();
        posted_.pop_front();
        auto it = targets_.find(posted.target);
        if (it == targets_.end())
            continue;
        MessageTarget *target = it->second;
        lock.unlock();
        target->HandleMessage(posted.message, posted.wParam, posted.lParam);
        lock.lock();
    }
    // What arrived meanwhile is handled on the next round of the event loop.
    const bool wake = (!sent_.empty() || !posted_.empty()) && ScheduleWakeLocked();
    lock.unlock();
    if (wake)
        Wake();
}

void MessageQueue::RequestQuit(int exitCode)
{
    quitCode_.store(exitCode);
    quitRequested_.store(true);
    if (IsUiThread()) {
        ExitModalLoops();
        return;
    }
    std::unique_lock lock(mutex_);
    const bool wake = ScheduleWakeLocked();
    lock.unlock();
    if (wake)
        Wake();
}

void MessageQueue::EnterModalLoop(QEventLoop &loop)
{
    modalLoops_.push_back(&loop);
}

void MessageQueue::LeaveModalLoop(QEventLoop &loop)
{
    std::erase(modalLoops_, &loop);
}

void MessageQueue::Reopen()
{
    std::lock_guard lock(mutex_);
    closed_ = false;
}

void MessageQueue::Close()
{
    std::lock_guard lock(mutex_);
    closed_ = true;
    targets_.clear();
    for (SentMessage *sent : sent_)
        sent->done = true;
    sent_.clear();
    posted_.clear();
    doneCondition_.notify_all();
}

bool MessageQueue::ScheduleWakeLocked()
{
    if (wakePending_)
        return false;
    wakePending_ = true;
    return true;
}

void MessageQueue::Wake() const
{
    if (wakeFd_ < 0)
        return;
    const std::uint64_t one = 1;
    // EAGAIN means the counter is already non-zero: the UI thread will wake.
    while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void MessageQueue::OnWake()
{
    std::uint64_t count = 0;
    while (wakeFd_ >= 0 && read(wakeFd_, &count, sizeof count) < 0 && errno == EINTR) {
    }
    {
        std::lock_guard lock(mutex_);
        wakePending_ = false;
    }
    Dispatch();
}

void MessageQueue::ReleaseSendersLocked(WindowHandle handle)
{
    std::erase_if(sent_, [handle](SentMessage *sent) {
        if (sent->target != handle)
            return false;
        sent->done = true;
        return true;
    });
    doneCondition_.notify_all();
}

void MessageQueue::ExitModalLoops()
{
    for (QEventLoop *loop : modalLoops_)
        loop->exit();
}

} // namespace win
