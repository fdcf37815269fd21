#include <ui/workbench/FaultsPanel.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <tapitrace/ConstantNames.h>
#include <tapitrace/FunctionNames.h>

namespace {

enum class FaultKind { Fail, Delay, Never };

QPushButton *Button(const char *name, const char *text, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QSpinBox *Spin(const char *name, int low, int high, int value, QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(low, high);
    spin->setValue(value);
    return spin;
}

QStringList FunctionNames()
{
    QStringList names;
    for (const std::string &name : tapitrace::CallableFunctionNames())
        names << QString::fromStdString(name);
    return names;
}

} // namespace

CFaultsPanel::CFaultsPanel(exchange::Exchange &exchange, QWidget *parent) : CConsolePanel(exchange, parent)
{
    const QStringList functions = FunctionNames();
    function_ = new QComboBox(this);
    function_->setObjectName(QStringLiteral("faultFunction"));
    function_->addItems(functions);
    function_->setCurrentText(QStringLiteral("lineMakeCallW"));
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("faultKind"));
    kind_->addItem(QStringLiteral("Fail with"), int(FaultKind::Fail));
    kind_->addItem(QStringLiteral("Delay the reply by (ms)"), int(FaultKind::Delay));
    kind_->addItem(QStringLiteral("Never reply"), int(FaultKind::Never));
    error_ = new QComboBox(this);
    error_->setObjectName(QStringLiteral("faultError"));
    for (const char *group : {"LINEERR", "PHONEERR"})
        for (const auto &[name, value] : tapitrace::ConstantsIn(group))
            error_->addItem(QString::fromStdString(name), QVariant::fromValue(uint(value)));
    inReply_ = new QCheckBox(QStringLiteral("in the reply"), this);
    inReply_->setObjectName(QStringLiteral("faultInReply"));
    inReply_->setChecked(true);
    inReply_->setToolTip(QStringLiteral("Asynchronous functions: accept the request and fail in its reply; "
                                        "otherwise the function returns the code at once"));
    delay_ = Spin("faultDelay", 0, 3600000, 5000, this);
    count_ = Spin("faultCount", 1, 1000, 1, this);
    auto *arm = Button("armFault", "&Arm", this);
    auto *clearFaults = Button("clearFaults", "Clear Faults", this);
    armed_ = new QLabel(this);
    armed_->setObjectName(QStringLiteral("armedFaults"));
    armed_->setWordWrap(true);

    option_ = new QComboBox(this);
    option_->setObjectName(QStringLiteral("untidyOption"));
    for (int i = 0; i < exchange::kUntidyOptions; ++i)
        option_->addItem(QString::fromLatin1(exchange::untidyName(static_cast<exchange::Untidy>(i))), i);
    untidyFunction_ = new QComboBox(this);
    untidyFunction_->setObjectName(QStringLiteral("untidyFunction"));
    untidyFunction_->addItem(QStringLiteral("(every function)"), QString());
    for (const QString &name : functions)
        untidyFunction_->addItem(name, name);
    device_ = Spin("untidyDevice", -1, 9999, -1, this);
    device_->setSpecialValueText(QStringLiteral("every device"));
    uses_ = Spin("untidyUses", 0, 1000, 0, this);
    uses_->setSpecialValueText(QStringLiteral("until cleared"));
    auto *enable = Button("enableUntidy", "&Enable", this);
    auto *disable = Button("disableUntidy", "&Disable", this);
    seed_ = Spin("untidySeed", 0, 2147483647, 42, this);
    auto *random = Button("randomUntidy", "&Random", this);
    auto *clearUntidy = Button("clearUntidy", "Clear Untidy", this);
    untidyState_ = new QLabel(this);
    untidyState_->setObjectName(QStringLiteral("untidyState"));
    untidyState_->setWordWrap(true);

    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { ShowKinds(); });
    connect(arm, &QPushButton::clicked, this, [this] { ArmFault(); });
    connect(clearFaults, &QPushButton::clicked, this, [this] {
        exchange_.faults().clear();
        armedFunctions_.clear();
        ShowArmed();
        Report(QStringLiteral("Every fault cleared."));
    });
    connect(enable, &QPushButton::clicked, this, [this] { EnableUntidy(); });
    connect(disable, &QPushButton::clicked, this, [this] {
        const auto option = static_cast<exchange::Untidy>(option_->currentData().toInt());
        exchange_.untidy().disable(option);
        const QString name = QString::fromLatin1(exchange::untidyName(option));
        untidyOn_.removeIf([&](const QString &rule) { return rule.startsWith(name); });
        ShowArmed();
        Report(name + QStringLiteral(" off."));
    });
    connect(random, &QPushButton::clicked, this, [this] {
        exchange_.untidy().random(static_cast<uint64_t>(seed_->value()));
        ShowArmed();
        Report(QStringLiteral("Every untidy option on at random, seed %1.").arg(seed_->value()));
    });
    connect(clearUntidy, &QPushButton::clicked, this, [this] {
        exchange_.untidy().clear();
        untidyOn_.clear();
        ShowArmed();
        Report(QStringLiteral("Every untidy option off."));
    });

    auto *faults = new QGroupBox(QStringLiteral("Faults"), this);
    auto *faultLayout = new QGridLayout(faults);
    faultLayout->addWidget(new QLabel(QStringLiteral("Function:"), this), 0, 0);
    faultLayout->addWidget(function_, 0, 1, 1, 2);
    faultLayout->addWidget(kind_, 1, 0);
    faultLayout->addWidget(error_, 1, 1);
    faultLayout->addWidget(inReply_, 1, 2);
    faultLayout->addWidget(delay_, 2, 1);
    faultLayout->addWidget(new QLabel(QStringLiteral("Calls:"), this), 3, 0);
    faultLayout->addWidget(count_, 3, 1);
    auto *faultButtons = new QHBoxLayout;
    faultButtons->addWidget(arm);
    faultButtons->addWidget(clearFaults);
    faultLayout->addLayout(faultButtons, 4, 1, 1, 2);
    faultLayout->addWidget(armed_, 5, 0, 1, 3);
    faultLayout->setRowStretch(6, 1);

    auto *untidy = new QGroupBox(QStringLiteral("Untidy provider"), this);
    auto *untidyLayout = new QGridLayout(untidy);
    untidyLayout->addWidget(new QLabel(QStringLiteral("Option:"), this), 0, 0);
    untidyLayout->addWidget(option_, 0, 1, 1, 2);
    untidyLayout->addWidget(new QLabel(QStringLiteral("Function:"), this), 1, 0);
    untidyLayout->addWidget(untidyFunction_, 1, 1, 1, 2);
    untidyLayout->addWidget(new QLabel(QStringLiteral("Device:"), this), 2, 0);
    untidyLayout->addWidget(device_, 2, 1);
    untidyLayout->addWidget(new QLabel(QStringLiteral("Uses:"), this), 3, 0);
    untidyLayout->addWidget(uses_, 3, 1);
    auto *untidyButtons = new QHBoxLayout;
    untidyButtons->addWidget(enable);
    untidyButtons->addWidget(disable);
    untidyLayout->addLayout(untidyButtons, 4, 1, 1, 2);
    untidyLayout->addWidget(new QLabel(QStringLiteral("Seed:"), this), 5, 0);
    untidyLayout->addWidget(seed_, 5, 1);
    untidyLayout->addWidget(random, 5, 2);
    untidyLayout->addWidget(clearUntidy, 6, 2);
    untidyLayout->addWidget(untidyState_, 7, 0, 1, 3);
    untidyLayout->setRowStretch(8, 1);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(faults);
    layout->addWidget(untidy);
    ShowKinds();
    ShowArmed();
}

void CFaultsPanel::Show(const ExchangeSnapshot &)
{
}

void CFaultsPanel::Poll()
{
    // Faults are used up by calls the console does not see: ask the table.
    ShowArmed();
}

void CFaultsPanel::ShowKinds()
{
    const auto kind = static_cast<FaultKind>(kind_->currentData().toInt());
    error_->setVisible(kind == FaultKind::Fail);
    inReply_->setVisible(kind == FaultKind::Fail);
    delay_->setVisible(kind == FaultKind::Delay);
}

void CFaultsPanel::ShowArmed()
{
    QStringList armed;
    armedFunctions_.removeIf([&](const QString &function) {
        const int left = exchange_.faults().armed(function.toStdString());
        if (left > 0)
            armed << QStringLiteral("%1 (%2 left)").arg(function).arg(left);
        return left <= 0;
    });
    armed_->setText(armed.isEmpty() ? QStringLiteral("No faults armed.")
                                    : QStringLiteral("Armed: ") + armed.join(QStringLiteral(", ")));
    QString state;
    if (const auto seed = exchange_.untidy().randomSeed())
        state = QStringLiteral("Random mode, seed %1. ").arg(*seed);
    state += untidyOn_.isEmpty() ? QStringLiteral("No options turned on here.")
                                 : QStringLiteral("On: ") + untidyOn_.join(QStringLiteral(", "));
    untidyState_->setText(state);
}

void CFaultsPanel::ArmFault()
{
    const std::string function = function_->currentText().trimmed().toStdString();
    if (function.empty()) {
        Report(QStringLiteral("Choose a function to arm a fault for."));
        return;
    }
    const int count = count_->value();
    QString what;
    switch (static_cast<FaultKind>(kind_->currentData().toInt())) {
    case FaultKind::Fail: {
        const auto code = static_cast<LONG>(error_->currentData().toUInt());
        exchange_.faults().failNext(function, code, count, inReply_->isChecked());
        what = QStringLiteral("fails with %1").arg(error_->currentText());
        break;
    }
    case FaultKind::Delay:
        exchange_.faults().delayReply(function, exchange::Millis(delay_->value()), count);
        what = QStringLiteral("replies %1 ms late").arg(delay_->value());
        break;
    case FaultKind::Never:
        exchange_.faults().dropReply(function, count);
        what = QStringLiteral("never replies");
        break;
    }
    const QString rule = QStringLiteral("%1 %2 (%3 calls)").arg(QString::fromStdString(function), what).arg(count);
    if (!armedFunctions_.contains(QString::fromStdString(function)))
        armedFunctions_ << QString::fromStdString(function);
    ShowArmed();
    Report(QStringLiteral("Armed: ") + rule + QLatin1Char('.'));
}

void CFaultsPanel::EnableUntidy()
{
    const auto option = static_cast<exchange::Untidy>(option_->currentData().toInt());
    exchange::UntidyScope scope;
    scope.function = untidyFunction_->currentData().toString().toStdString();
    if (device_->value() >= 0)
        scope.device = static_cast<DWORD>(device_->value());
    const int uses = uses_->value() == 0 ? -1 : uses_->value();
    exchange_.untidy().enable(option, scope, uses);
    QString rule = QString::fromLatin1(exchange::untidyName(option));
    if (!scope.function.empty())
        rule += QLatin1Char('@') + QString::fromStdString(scope.function);
    if (scope.device)
        rule += QLatin1Char('#') + QString::number(*scope.device);
    if (uses > 0)
        rule += QStringLiteral(" x%1").arg(uses);
    untidyOn_ << rule;
    ShowArmed();
    Report(rule + QStringLiteral(" on."));
}
