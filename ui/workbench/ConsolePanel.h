// What the exchange console's panels share: the exchange they act on, the
// snapshot they are shown, and the console's result line they report to.
//
// Threads: panels live on the user-interface thread. They call the
// exchange's control functions, which take the exchange's lock themselves,
// and read it only through snapshots; they never hold the exchange's
// internals.
#pragma once

#include <ui/workbench/ExchangeSnapshot.h>

#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QComboBox;

class CConsolePanel : public QWidget {
public:
    CConsolePanel(exchange::Exchange &exchange, QWidget *parent) : QWidget(parent), exchange_(exchange) {}

    /// Shows a new state of the exchange (called only when it changed).
    virtual void Show(const ExchangeSnapshot &snapshot) = 0;
    /// Called on every refresh, changed or not, for what snapshots do not hold.
    virtual void Poll() {}
    /// Where the panel's results go (the console's result line).
    void SetReporter(std::function<void(const QString &)> reporter) { reporter_ = std::move(reporter); }

protected:
    void Report(const QString &text) const
    {
        if (reporter_)
            reporter_(text);
    }
    /// "what: OK" or "what: LINEERR_..."
    void ReportResult(const QString &what, LONG result) const { Report(what + QStringLiteral(": ") + ResultText(result)); }

    exchange::Exchange &exchange_;

private:
    std::function<void(const QString &)> reporter_;
};

/// Replaces a combo box's items with (text, data) pairs, keeping the item
/// whose data was current (or the first item when it is gone).
void FillCombo(QComboBox *box, const std::vector<std::pair<QString, QVariant>> &items);
/// The device items of a snapshot: "0: Extension 201", removed ones marked.
std::vector<std::pair<QString, QVariant>> LineItems(const ExchangeSnapshot &snapshot, bool withRemoved);
std::vector<std::pair<QString, QVariant>> PhoneItems(const ExchangeSnapshot &snapshot, bool withRemoved);
/// The current item's data as a device id; nullopt when the box is empty.
std::optional<DWORD> CurrentId(const QComboBox *box);
