// The TAPI trace window: the trace's lines as they come, filtered by line and
// by call, with pause, clear and save. One window per process, opened from
// the main window's system menu or with --trace-window; it starts the trace
// when it opens and leaves it running when it closes.
#pragma once

#include <tapitrace/TraceLog.h>

#include <QString>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>

class QComboBox;
class QPlainTextEdit;
class QPushButton;

class CTraceWindow : public QWidget {
public:
    explicit CTraceWindow(std::shared_ptr<tapitrace::TraceLog> log, QWidget *parent = nullptr);
    ~CTraceWindow() override;

    /// Shows only the entries of this line handle (0: all lines).
    void SetLineFilter(uint32_t line);
    /// Shows only the entries of this call handle (0: all calls).
    void SetCallFilter(uint32_t call);
    /// While paused the view keeps its lines; new ones appear on resuming.
    void SetPaused(bool paused);
    bool IsPaused() const { return paused_; }
    /// Empties the view and the kept trace.
    void Clear();
    /// Writes the lines shown to `path`; false when it cannot be written.
    bool SaveTo(const QString &path) const;
    /// The lines shown, one per line.
    QString Text() const;
    /// Takes the entries added since the last pull into the view.
    void Pull();

private:
    bool Passes(const tapitrace::TraceEntry &entry) const;
    void Rebuild();
    void NoteHandles(const tapitrace::TraceEntry &entry);
    void OnSave();

    std::shared_ptr<tapitrace::TraceLog> log_;
    QComboBox *lines_;
    QComboBox *calls_;
    QPushButton *pause_;
    QPlainTextEdit *view_;
    uint64_t next_ = 0;
    uint32_t lineFilter_ = 0;
    uint32_t callFilter_ = 0;
    bool paused_ = false;
    std::set<uint32_t> seenLines_;
    std::set<uint32_t> seenCalls_;
    // Set while a pull is queued, so a burst of entries queues one pull.
    std::shared_ptr<std::atomic<bool>> pullQueued_ = std::make_shared<std::atomic<bool>>(false);
};

/// Opens the process's trace window (starting the trace) or brings it to the
/// front, and answers it.
CTraceWindow *ShowTraceWindow();
