// The console's far end: places a call from an outside number at any line
// and address, and acts as the far party of the call chosen in the calls
// list (answer, busy, reject, hang up, user-to-user information, DTMF
// digits for the applications that monitor them).
#pragma once

#include <ui/workbench/ConsolePanel.h>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CFarEndPanel : public CConsolePanel {
public:
    CFarEndPanel(exchange::Exchange &exchange, QWidget *parent);

    void Show(const ExchangeSnapshot &snapshot) override;
    /// The call the far-end actions act on (0: none; they are disabled).
    void SetCall(exchange::LegId leg);

private:
    void PlaceCall();
    void SendUserUserInfo();
    void Enable();

    QLineEdit *number_;
    QLineEdit *name_;
    QComboBox *target_;
    QPushButton *place_;
    QLabel *call_;
    std::vector<QPushButton *> actions_;
    QLineEdit *uui_;
    QLineEdit *digits_;
    exchange::LegId leg_ = 0;
    ExchangeSnapshot shown_;
};
