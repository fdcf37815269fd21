#include "tapitrace/TraceLog.h"

#include <atomic>
#include <cerrno>
#include <cstring>

namespace tapitrace {

namespace {

// A small number per thread, in the order the trace first saw them.
unsigned ThreadNumber()
{
    static std::atomic<unsigned> next{1};
    thread_local const unsigned number = next.fetch_add(1);
    return number;
}

std::mutex installMutex;
std::weak_ptr<TraceLog> installed;

} // namespace

TraceLog::TraceLog(size_t capacity) : capacity_(capacity ? capacity : 1), start_(tapi32::TraceClock::now()) {}

TraceLog::~TraceLog()
{
    if (file_)
        std::fclose(file_);
}

bool TraceLog::WriteTo(const std::string &path, std::string &error)
{
    std::FILE *file = std::fopen(path.c_str(), "w");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    std::lock_guard lock(mutex_);
    if (file_)
        std::fclose(file_);
    file_ = file;
    return true;
}

void TraceLog::SetListener(std::function<void()> listener)
{
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

std::vector<TraceEntry> TraceLog::Since(uint64_t from, uint64_t &next) const
{
    std::lock_guard lock(mutex_);
    next = first_ + entries_.size();
    std::vector<TraceEntry> out;
    if (from < first_)
        from = first_;
    for (uint64_t n = from; n < next; ++n)
        out.push_back(entries_[n - first_]);
    return out;
}

void TraceLog::Clear()
{
    std::lock_guard lock(mutex_);
    first_ += entries_.size();
    entries_.clear();
}

bool TraceLog::Save(const std::string &path) const
{
    uint64_t next = 0;
    const std::vector<TraceEntry> entries = Since(0, next);
    std::FILE *file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    bool ok = true;
    for (const TraceEntry &e : entries)
        ok = ok && std::fprintf(file, "%s\n", FormatEntry(e).c_str()) >= 0;
    return std::fclose(file) == 0 && ok;
}

void TraceLog::functionCalled(const exchange::RecordedCall &call, tapi32::TraceClock::time_point started)
{
    add(DescribeCall(call), started);
}

void TraceLog::messageFetched(const tapi32::TracedMessage &message, tapi32::TraceClock::time_point at)
{
    add(DescribeMessage(message), at);
}

void TraceLog::add(TraceEntry entry, tapi32::TraceClock::time_point at)
{
    entry.thread = ThreadNumber();
    entry.micros = at > start_ ? std::chrono::duration_cast<std::chrono::microseconds>(at - start_).count() : 0;
    {
        std::lock_guard lock(mutex_);
        if (file_) {
            // Flushed line by line, so a trace survives a crash of the dialer.
            std::fprintf(file_, "%s\n", FormatEntry(entry).c_str());
            std::fflush(file_);
        }
        entries_.push_back(std::move(entry));
        if (entries_.size() > capacity_) {
            entries_.pop_front();
            ++first_;
        }
    }
    std::lock_guard lock(listenerMutex_);
    if (listener_)
        listener_();
}

std::shared_ptr<TraceLog> StartTrace()
{
    std::lock_guard lock(installMutex);
    if (auto log = installed.lock())
        return log;
    auto log = std::make_shared<TraceLog>();
    installed = log;
    tapi32::SetTraceSink(log);
    return log;
}

std::shared_ptr<TraceLog> CurrentTrace()
{
    std::lock_guard lock(installMutex);
    return installed.lock();
}

void StopTrace()
{
    std::lock_guard lock(installMutex);
    installed.reset();
    tapi32::SetTraceSink(nullptr);
}

} // namespace tapitrace
