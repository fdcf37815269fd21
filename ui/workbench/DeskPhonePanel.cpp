#include <ui/workbench/DeskPhonePanel.h>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <tapitrace/ConstantNames.h>

CDeskPhonePanel::CDeskPhonePanel(exchange::Exchange &exchange, QWidget *parent) : CConsolePanel(exchange, parent)
{
    phone_ = new QComboBox(this);
    phone_->setObjectName(QStringLiteral("deskPhone"));
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("deskPhoneState"));
    auto *lift = new QPushButton(QStringLiteral("&Lift Handset"), this);
    lift->setObjectName(QStringLiteral("deskLift"));
    auto *hangUp = new QPushButton(QStringLiteral("Hang &Up"), this);
    hangUp->setObjectName(QStringLiteral("deskHangUp"));
    digits_ = new QLineEdit(this);
    digits_->setObjectName(QStringLiteral("deskDigits"));
    digits_->setPlaceholderText(QStringLiteral("digits"));
    auto *dial = new QPushButton(QStringLiteral("&Dial"), this);
    dial->setObjectName(QStringLiteral("deskDial"));
    button_ = new QComboBox(this);
    button_->setObjectName(QStringLiteral("deskButton"));
    auto *press = new QPushButton(QStringLiteral("&Press"), this);
    press->setObjectName(QStringLiteral("deskPress"));
    actions_ = {lift, hangUp, dial, press};

    connect(phone_, &QComboBox::currentIndexChanged, this, [this] { ShowPhone(); });
    connect(lift, &QPushButton::clicked, this, [this] { Lift(); });
    connect(hangUp, &QPushButton::clicked, this, [this] { HangUp(); });
    connect(dial, &QPushButton::clicked, this, [this] { Dial(); });
    connect(digits_, &QLineEdit::returnPressed, this, [this] { Dial(); });
    connect(press, &QPushButton::clicked, this, [this] { Press(); });

    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Phone:"), this), 0, 0);
    layout->addWidget(phone_, 0, 1);
    layout->addWidget(state_, 0, 2, 1, 2);
    layout->addWidget(lift, 1, 1);
    layout->addWidget(hangUp, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Dial:"), this), 2, 0);
    layout->addWidget(digits_, 2, 1);
    layout->addWidget(dial, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("Button:"), this), 3, 0);
    layout->addWidget(button_, 3, 1);
    layout->addWidget(press, 3, 2);
    layout->setColumnStretch(3, 1);
    layout->setRowStretch(4, 1);
    ShowPhone();
}

void CDeskPhonePanel::Show(const ExchangeSnapshot &snapshot)
{
    shown_ = snapshot;
    FillCombo(phone_, PhoneItems(snapshot, false));
    ShowPhone();
}

void CDeskPhonePanel::ShowPhone()
{
    const auto id = CurrentId(phone_);
    const ConsolePhone *phone = id ? shown_.FindPhone(*id) : nullptr;
    for (QPushButton *action : actions_)
        action->setEnabled(phone != nullptr);
    if (!phone) {
        state_->setText(QStringLiteral("No phone."));
        FillCombo(button_, {});
        return;
    }
    QString state = phone->offHook ? QStringLiteral("Handset off hook") : QStringLiteral("Handset on hook");
    if (!phone->display.isEmpty())
        state += QStringLiteral("; display: ") + phone->display.simplified();
    state_->setText(state);
    std::vector<std::pair<QString, QVariant>> buttons;
    for (const ConsoleButton &button : phone->buttons) {
        QString function = QString::fromStdString(tapitrace::NameOf("PHONEBUTTONFUNCTION", button.function));
        function.remove(QStringLiteral("PHONEBUTTONFUNCTION_"));
        buttons.emplace_back(QStringLiteral("%1: %2 (%3)").arg(button.id).arg(button.text, function),
                             QVariant::fromValue(uint(button.id)));
    }
    FillCombo(button_, buttons);
    actions_.back()->setEnabled(button_->count() > 0);
}

void CDeskPhonePanel::Lift()
{
    const auto phone = CurrentId(phone_);
    if (!phone)
        return;
    const exchange::LegId leg = exchange_.phoneOffHook(*phone);
    Report(leg ? QStringLiteral("Phone %1 off hook: dial tone (call %2).").arg(*phone).arg(leg)
               : QStringLiteral("Phone %1 off hook: no call can be started now.").arg(*phone));
}

void CDeskPhonePanel::HangUp()
{
    const auto phone = CurrentId(phone_);
    if (!phone)
        return;
    exchange_.phoneOnHook(*phone);
    Report(QStringLiteral("Phone %1 on hook.").arg(*phone));
}

void CDeskPhonePanel::Dial()
{
    const auto phone = CurrentId(phone_);
    if (!phone)
        return;
    const QString digits = digits_->text().trimmed();
    ReportResult(QStringLiteral("Phone %1 dials %2").arg(*phone).arg(digits), exchange_.phoneDial(*phone, digits.toStdU16String()));
}

void CDeskPhonePanel::Press()
{
    const auto phone = CurrentId(phone_);
    const auto button = CurrentId(button_);
    if (!phone || !button)
        return;
    // A press is the button going down and coming up again.
    exchange_.pressButton(*phone, *button, PHONEBUTTONSTATE_DOWN);
    exchange_.pressButton(*phone, *button, PHONEBUTTONSTATE_UP);
    Report(QStringLiteral("Phone %1: button %2 pressed.").arg(*phone).arg(*button));
}
