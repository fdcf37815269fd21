// The console's devices: a line's status (in service, message waiting,
// locked), lines and phones added from the exchange's presets, removed, or
// closed as the provider would close them.
#pragma once

#include <ui/workbench/ConsolePanel.h>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class CDevicesPanel : public CConsolePanel {
public:
    CDevicesPanel(exchange::Exchange &exchange, QWidget *parent);

    void Show(const ExchangeSnapshot &snapshot) override;

private:
    void ShowLine();
    void ShowPhone();
    void SetStatus(DWORD flag, bool on);
    void AddLine();
    void AddPhone();

    QComboBox *line_;
    std::vector<std::pair<QCheckBox *, DWORD>> status_;
    std::vector<QPushButton *> lineActions_;
    QComboBox *phone_;
    std::vector<QPushButton *> phoneActions_;
    QComboBox *linePreset_;
    QLineEdit *number_;
    QLineEdit *owner_;
    QComboBox *phonePreset_;
    QPushButton *addPhone_;
    ExchangeSnapshot shown_;
};
