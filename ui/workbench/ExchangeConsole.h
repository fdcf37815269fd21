// The exchange console: the engineer's window onto the simulated exchange
// the dialer runs on. It shows the office and every call live and lets the
// engineer act for the world around the dialer: call in from outside, be
// the far end of a call, use a desk phone, change and add devices, and arm
// faults and untidy-provider behaviour. One window per process, opened from
// the main window's system menu or with --console; it never changes the
// dialer's own windows, which learn of what it does through TAPI alone.
//
// Threads: the window lives on the user-interface thread. A timer reads the
// exchange every 200 ms through a snapshot taken under the exchange's lock
// (see ExchangeSnapshot.h); actions go through the exchange's control
// functions, which take that lock themselves. The exchange outlives the
// window (it belongs to the process's TAPI runtime).
#pragma once

#include <ui/workbench/ExchangeSnapshot.h>

#include <QWidget>

#include <vector>

class CConsolePanel;
class CFarEndPanel;
class COfficeView;
class QLabel;
class QTimer;

class CExchangeConsole : public QWidget {
public:
    explicit CExchangeConsole(exchange::Exchange &exchange, QWidget *parent = nullptr);

    /// Reads the exchange now and shows what changed.
    void Refresh();
    /// The last snapshot shown.
    const ExchangeSnapshot &Shown() const { return shown_; }
    COfficeView &Office() const { return *office_; }
    /// The result line: what the last action did.
    QString Result() const;

private:
    void Report(const QString &text);

    exchange::Exchange &exchange_;
    COfficeView *office_;
    CFarEndPanel *farEnd_;
    std::vector<CConsolePanel *> panels_;
    QLabel *result_;
    QTimer *timer_;
    ExchangeSnapshot shown_;
    bool shownOnce_ = false;
};

/// Opens the process's exchange console or brings it to the front, and answers it.
CExchangeConsole *ShowExchangeConsole();
