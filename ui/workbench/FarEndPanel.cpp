#include <ui/workbench/FarEndPanel.h>

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>
#include <tuple>

namespace {

// A target address travels in a combo box item as line << 32 | address.
QVariant TargetData(DWORD line, DWORD address)
{
    return QVariant::fromValue((qulonglong(line) << 32) | address);
}

std::u16string Utf16(const QString &text)
{
    return text.toStdU16String();
}

} // namespace

CFarEndPanel::CFarEndPanel(exchange::Exchange &exchange, QWidget *parent) : CConsolePanel(exchange, parent)
{
    number_ = new QLineEdit(QStringLiteral("5550199"), this);
    number_->setObjectName(QStringLiteral("callerNumber"));
    name_ = new QLineEdit(QStringLiteral("Dora Engel"), this);
    name_->setObjectName(QStringLiteral("callerName"));
    target_ = new QComboBox(this);
    target_->setObjectName(QStringLiteral("callTarget"));
    place_ = new QPushButton(QStringLiteral("&Place Call"), this);
    place_->setObjectName(QStringLiteral("placeCall"));

    call_ = new QLabel(this);
    call_->setObjectName(QStringLiteral("farEndCall"));
    using Act = std::function<LONG(exchange::Exchange &, exchange::LegId)>;
    const std::tuple<const char *, const char *, Act> actions[] = {
        {"farAnswer", "&Answer", [](exchange::Exchange &x, exchange::LegId leg) { return x.remoteAnswer(leg); }},
        {"farBusy", "&Busy", [](exchange::Exchange &x, exchange::LegId leg) { return x.remoteBusy(leg); }},
        {"farReject", "&Reject", [](exchange::Exchange &x, exchange::LegId leg) { return x.remoteReject(leg); }},
        {"farHangUp", "&Hang Up", [](exchange::Exchange &x, exchange::LegId leg) { return x.remoteHangUp(leg); }},
    };
    auto *buttons = new QHBoxLayout;
    for (const auto &[name, text, act] : actions) {
        auto *button = new QPushButton(QString::fromLatin1(text), this);
        button->setObjectName(QString::fromLatin1(name));
        const QString what = QString::fromLatin1(text).remove(QLatin1Char('&'));
        connect(button, &QPushButton::clicked, this, [this, what, act = act] {
            if (leg_)
                ReportResult(QStringLiteral("%1 (call %2)").arg(what).arg(leg_), act(exchange_, leg_));
        });
        buttons->addWidget(button);
        actions_.push_back(button);
    }
    uui_ = new QLineEdit(this);
    uui_->setObjectName(QStringLiteral("farUui"));
    uui_->setPlaceholderText(QStringLiteral("user-to-user information"));
    auto *sendUui = new QPushButton(QStringLiteral("Send &UUI"), this);
    sendUui->setObjectName(QStringLiteral("farSendUui"));
    actions_.push_back(sendUui);
    digits_ = new QLineEdit(this);
    digits_->setObjectName(QStringLiteral("farDigits"));
    digits_->setPlaceholderText(QStringLiteral("DTMF digits: 0-9, A-D, *, #"));
    auto *sendDigits = new QPushButton(QStringLiteral("Send &Digits"), this);
    sendDigits->setObjectName(QStringLiteral("farSendDigits"));
    actions_.push_back(sendDigits);

    connect(place_, &QPushButton::clicked, this, [this] { PlaceCall(); });
    connect(sendUui, &QPushButton::clicked, this, [this] { SendUserUserInfo(); });
    connect(sendDigits, &QPushButton::clicked, this, [this] {
        if (leg_)
            ReportResult(QStringLiteral("Digits %1 (call %2)").arg(digits_->text()).arg(leg_),
                         exchange_.remoteDigits(leg_, digits_->text().toStdU16String()));
    });

    auto *outside = new QGroupBox(QStringLiteral("Call from outside"), this);
    auto *form = new QFormLayout(outside);
    form->addRow(QStringLiteral("Number:"), number_);
    form->addRow(QStringLiteral("Name:"), name_);
    form->addRow(QStringLiteral("To:"), target_);
    form->addRow(QString(), place_);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    auto *far = new QGroupBox(QStringLiteral("Far end of the selected call"), this);
    auto *farLayout = new QVBoxLayout(far);
    farLayout->addWidget(call_);
    farLayout->addLayout(buttons);
    auto *uuiRow = new QHBoxLayout;
    uuiRow->addWidget(uui_);
    uuiRow->addWidget(sendUui);
    farLayout->addLayout(uuiRow);
    auto *digitsRow = new QHBoxLayout;
    digitsRow->addWidget(digits_);
    digitsRow->addWidget(sendDigits);
    farLayout->addLayout(digitsRow);
    farLayout->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(outside);
    layout->addWidget(far);
    SetCall(0);
}

void CFarEndPanel::Show(const ExchangeSnapshot &snapshot)
{
    std::vector<std::pair<QString, QVariant>> targets;
    for (const ConsoleLine &line : snapshot.lines) {
        if (line.removed)
            continue;
        for (const ConsoleAddress &address : line.addresses) {
            const QString number = address.number.isEmpty() ? QStringLiteral("(no number)") : address.number;
            targets.emplace_back(QStringLiteral("%1 - %2, address %3").arg(number, line.name).arg(address.id),
                                 TargetData(line.id, address.id));
        }
    }
    FillCombo(target_, targets);
    shown_ = snapshot;
    Enable();
}

void CFarEndPanel::SetCall(exchange::LegId leg)
{
    leg_ = leg;
    Enable();
}

void CFarEndPanel::Enable()
{
    place_->setEnabled(target_->count() > 0);
    for (QPushButton *button : actions_)
        button->setEnabled(leg_ != 0);
    const ConsoleCall *call = leg_ ? shown_.FindCall(leg_) : nullptr;
    if (!leg_)
        call_->setText(QStringLiteral("No call selected."));
    else if (!call)
        call_->setText(QStringLiteral("Call %1").arg(leg_));
    else
        call_->setText(QStringLiteral("Call %1 on line %2: %3%4")
                           .arg(call->leg)
                           .arg(call->line)
                           .arg(CallStateText(call->state),
                                call->outside.isEmpty() ? QString() : QStringLiteral(" with ") + call->outside));
}

void CFarEndPanel::PlaceCall()
{
    const QVariant data = target_->currentData();
    if (!data.isValid())
        return;
    const qulonglong target = data.toULongLong();
    const auto line = static_cast<DWORD>(target >> 32);
    const auto address = static_cast<DWORD>(target & 0xFFFFFFFFu);
    const QString number = number_->text().trimmed();
    const exchange::LegId leg = exchange_.incomingCall(line, address, Utf16(number), Utf16(name_->text().trimmed()));
    if (leg)
        Report(QStringLiteral("Call from %1 offered at line %2, address %3 (call %4).").arg(number).arg(line).arg(address).arg(leg));
    else
        Report(QStringLiteral("The exchange refused the call from %1 at line %2, address %3.").arg(number).arg(line).arg(address));
}

void CFarEndPanel::SendUserUserInfo()
{
    if (!leg_)
        return;
    const QByteArray bytes = uui_->text().toLatin1();
    const bool sent = exchange_.updateCallInfo(leg_, LINECALLINFOSTATE_USERUSERINFO, [&](exchange::CallInfoData &info) {
        info.userUserInfo.assign(bytes.begin(), bytes.end());
    });
    Report(sent ? QStringLiteral("User-to-user information sent on call %1.").arg(leg_)
                : QStringLiteral("Call %1 is gone or idle: nothing sent.").arg(leg_));
}
