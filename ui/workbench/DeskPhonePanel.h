// The console's desk phone: the user at a phone lifts the handset, dials,
// hangs up and presses its buttons.
#pragma once

#include <ui/workbench/ConsolePanel.h>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CDeskPhonePanel : public CConsolePanel {
public:
    CDeskPhonePanel(exchange::Exchange &exchange, QWidget *parent);

    void Show(const ExchangeSnapshot &snapshot) override;

private:
    void ShowPhone();
    void Lift();
    void HangUp();
    void Dial();
    void Press();

    QComboBox *phone_;
    QLabel *state_;
    QLineEdit *digits_;
    QComboBox *button_;
    std::vector<QPushButton *> actions_;
    ExchangeSnapshot shown_;
};
