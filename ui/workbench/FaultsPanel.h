// The console's faults and untidy-provider options: a chosen TAPI function
// fails with a chosen LINEERR_ / PHONEERR_ code, has its reply delayed or
// never answered, for a number of calls; each untidy option is turned on for
// a function, a device and a number of uses, or all of them at random from a
// seed; both can be cleared.
#pragma once

#include <ui/workbench/ConsolePanel.h>

#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

class CFaultsPanel : public CConsolePanel {
public:
    CFaultsPanel(exchange::Exchange &exchange, QWidget *parent);

    void Show(const ExchangeSnapshot &snapshot) override;
    void Poll() override;

private:
    void ArmFault();
    void EnableUntidy();
    void ShowKinds();
    void ShowArmed();

    QComboBox *function_;
    QComboBox *kind_;
    QComboBox *error_;
    QCheckBox *inReply_;
    QSpinBox *delay_;
    QSpinBox *count_;
    QLabel *armed_;
    QComboBox *option_;
    QComboBox *untidyFunction_;
    QSpinBox *device_;
    QSpinBox *uses_;
    QSpinBox *seed_;
    QLabel *untidyState_;
    QStringList armedFunctions_; // functions this panel armed faults for, while any are left
    QStringList untidyOn_;       // the rules this panel turned on since the last clear
};
