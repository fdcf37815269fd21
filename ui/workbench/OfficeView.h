// The console's view of the exchange: the office (lines with their
// addresses, numbers and owners, phones, park slots) and every call with
// its parties and state. Choosing a call in the list tells the far end which
// call to act on.
#pragma once

#include <ui/workbench/ExchangeSnapshot.h>

#include <QWidget>

#include <functional>

class QTableWidget;
class QTreeWidget;

class COfficeView : public QWidget {
public:
    explicit COfficeView(QWidget *parent = nullptr);

    void Show(const ExchangeSnapshot &snapshot);
    /// Called with the chosen call's leg (0: none) whenever the choice changes.
    void OnCallChosen(std::function<void(exchange::LegId)> chosen) { chosen_ = std::move(chosen); }
    /// Chooses the call of this leg in the list; false when it is not listed.
    bool ChooseCall(exchange::LegId leg);
    exchange::LegId ChosenCall() const { return chosenLeg_; }

private:
    void ShowOffice(const ExchangeSnapshot &snapshot);
    void ShowCalls(const ExchangeSnapshot &snapshot);
    void CallSelectionChanged();

    QTreeWidget *office_;
    QTableWidget *calls_;
    std::function<void(exchange::LegId)> chosen_;
    exchange::LegId chosenLeg_ = 0;
    bool filling_ = false;
};
