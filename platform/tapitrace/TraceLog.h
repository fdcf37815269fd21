// The trace of one process: the runtime's trace sink that decodes each
// function call and fetched message into a TraceEntry, keeps the latest
// entries for a viewer and writes every line to a file when one is set.
//
// Lock story: mutex_ guards entries_, the sequence numbers, file_ and start_;
// listenerMutex_ guards listener_ and is held while the listener runs, so once
// SetListener(nullptr) returns the old listener runs no more. Entries are
// added on whichever thread called TAPI (the user-interface thread, the event
// threads); readers take copies.
#ifndef DIALWERK_TAPITRACE_TRACELOG_H
#define DIALWERK_TAPITRACE_TRACELOG_H

#include "tapitrace/TraceFormat.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tapitrace {

class TraceLog : public tapi32::TraceSink {
public:
    /// Keeps up to `capacity` entries for viewers; older ones are dropped
    /// (the file keeps everything).
    explicit TraceLog(size_t capacity = 50000);
    ~TraceLog() override;

    /// Also writes every entry from now on to `path` (replacing its content).
    /// Answers false, with the reason in `error`, when it cannot be opened.
    bool WriteTo(const std::string &path, std::string &error);

    /// Called after entries were added, on the thread that added them; it
    /// must be quick (for example post a message to a window).
    void SetListener(std::function<void()> listener);

    /// The entries numbered `from` and later, oldest first, and the number the
    /// next entry will get. Entries dropped for capacity or cleared are skipped.
    std::vector<TraceEntry> Since(uint64_t from, uint64_t &next) const;
    /// Forgets the kept entries (the file keeps them).
    void Clear();
    /// Writes the kept entries to `path` as text lines.
    bool Save(const std::string &path) const;

    // tapi32::TraceSink
    void functionCalled(const exchange::RecordedCall &call, tapi32::TraceClock::time_point started) override;
    void messageFetched(const tapi32::TracedMessage &message, tapi32::TraceClock::time_point at) override;

private:
    void add(TraceEntry entry, tapi32::TraceClock::time_point at);

    const size_t capacity_;
    const tapi32::TraceClock::time_point start_;
    mutable std::mutex mutex_;
    std::deque<TraceEntry> entries_;
    uint64_t first_ = 0; // number of entries_.front()
    std::FILE *file_ = nullptr;
    std::mutex listenerMutex_;
    std::function<void()> listener_;
};

/// Installs a new trace log as the runtime's trace sink and answers it; while
/// one is installed, answers that one.
std::shared_ptr<TraceLog> StartTrace();
/// The installed trace log, or null.
std::shared_ptr<TraceLog> CurrentTrace();
/// Removes the trace sink.
void StopTrace();

} // namespace tapitrace

#endif
