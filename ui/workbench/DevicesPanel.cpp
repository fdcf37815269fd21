#include <ui/workbench/DevicesPanel.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

enum class LinePreset { Extension, FewFeatures, Fax, Trunk };
enum class PhonePreset { Desk, ReadOnlyDisplay, NoMicSpeaker, AgentKeys, NoDisplay };

exchange::LineConfig MakeLine(LinePreset preset, const std::u16string &number, const std::u16string &owner)
{
    switch (preset) {
    case LinePreset::Extension:
        return exchange::LineConfig::extension(number, owner);
    case LinePreset::FewFeatures:
        return exchange::LineConfig::fewFeatures(number, owner);
    case LinePreset::Fax: {
        exchange::LineConfig line = exchange::LineConfig::singleMedia(number, owner, LINEMEDIAMODE_G3FAX);
        line.name = u"Fax " + number;
        return line;
    }
    case LinePreset::Trunk:
        return exchange::LineConfig::trunk(owner.empty() ? u"Trunk " + number : owner, number);
    }
    return exchange::LineConfig::extension(number, owner);
}

void Vary(PhonePreset preset, exchange::PhoneConfig &phone)
{
    switch (preset) {
    case PhonePreset::Desk:
        return;
    case PhonePreset::ReadOnlyDisplay:
        exchange::PhoneConfig::readOnlyDisplay(phone);
        return;
    case PhonePreset::NoMicSpeaker:
        exchange::PhoneConfig::speakerWithoutMicSpeaker(phone);
        return;
    case PhonePreset::AgentKeys:
        exchange::PhoneConfig::agentKeys(phone);
        return;
    case PhonePreset::NoDisplay:
        exchange::PhoneConfig::noDisplay(phone);
        return;
    }
}

QPushButton *Button(const char *name, const char *text, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

CDevicesPanel::CDevicesPanel(exchange::Exchange &exchange, QWidget *parent) : CConsolePanel(exchange, parent)
{
    line_ = new QComboBox(this);
    line_->setObjectName(QStringLiteral("deviceLine"));
    static const std::pair<const char *, DWORD> kFlags[] = {
        {"In service", LINEDEVSTATUSFLAGS_INSERVICE},
        {"Message waiting", LINEDEVSTATUSFLAGS_MSGWAIT},
        {"Locked", LINEDEVSTATUSFLAGS_LOCKED},
    };
    auto *flags = new QHBoxLayout;
    for (const auto &[text, flag] : kFlags) {
        auto *box = new QCheckBox(QString::fromLatin1(text), this);
        box->setObjectName(QStringLiteral("lineStatus%1").arg(flag, 0, 16));
        connect(box, &QCheckBox::clicked, this, [this, flag = flag](bool on) { SetStatus(flag, on); });
        flags->addWidget(box);
        status_.emplace_back(box, flag);
    }
    auto *closeLine = Button("closeLine", "Close Line", this);
    auto *removeLine = Button("removeLine", "Remove Line", this);
    lineActions_ = {closeLine, removeLine};
    phone_ = new QComboBox(this);
    phone_->setObjectName(QStringLiteral("devicePhone"));
    auto *closePhone = Button("closePhone", "Close Phone", this);
    auto *removePhone = Button("removePhone", "Remove Phone", this);
    phoneActions_ = {closePhone, removePhone};

    linePreset_ = new QComboBox(this);
    linePreset_->setObjectName(QStringLiteral("linePreset"));
    linePreset_->addItem(QStringLiteral("Extension"), int(LinePreset::Extension));
    linePreset_->addItem(QStringLiteral("Few features"), int(LinePreset::FewFeatures));
    linePreset_->addItem(QStringLiteral("Fax (G3 only)"), int(LinePreset::Fax));
    linePreset_->addItem(QStringLiteral("Trunk"), int(LinePreset::Trunk));
    number_ = new QLineEdit(QStringLiteral("207"), this);
    number_->setObjectName(QStringLiteral("newLineNumber"));
    owner_ = new QLineEdit(QStringLiteral("Eva Fink"), this);
    owner_->setObjectName(QStringLiteral("newLineOwner"));
    auto *addLine = Button("addLine", "Add Line", this);
    phonePreset_ = new QComboBox(this);
    phonePreset_->setObjectName(QStringLiteral("phonePreset"));
    phonePreset_->addItem(QStringLiteral("Desk phone"), int(PhonePreset::Desk));
    phonePreset_->addItem(QStringLiteral("Read-only display"), int(PhonePreset::ReadOnlyDisplay));
    phonePreset_->addItem(QStringLiteral("Speaker without mic and speaker"), int(PhonePreset::NoMicSpeaker));
    phonePreset_->addItem(QStringLiteral("Agent keys"), int(PhonePreset::AgentKeys));
    phonePreset_->addItem(QStringLiteral("No display"), int(PhonePreset::NoDisplay));
    addPhone_ = Button("addPhone", "Add Phone for Line", this);

    connect(line_, &QComboBox::currentIndexChanged, this, [this] { ShowLine(); });
    connect(phone_, &QComboBox::currentIndexChanged, this, [this] { ShowPhone(); });
    connect(closeLine, &QPushButton::clicked, this, [this] {
        if (const auto line = CurrentId(line_))
            Report(exchange_.forceCloseLine(*line) ? QStringLiteral("Line %1 closed by the provider.").arg(*line)
                                                   : QStringLiteral("Line %1 cannot be closed.").arg(*line));
    });
    connect(removeLine, &QPushButton::clicked, this, [this] {
        if (const auto line = CurrentId(line_))
            Report(exchange_.removeLine(*line) ? QStringLiteral("Line %1 removed.").arg(*line)
                                               : QStringLiteral("Line %1 was removed already.").arg(*line));
    });
    connect(closePhone, &QPushButton::clicked, this, [this] {
        if (const auto phone = CurrentId(phone_))
            Report(exchange_.forceClosePhone(*phone) ? QStringLiteral("Phone %1 closed by the provider.").arg(*phone)
                                                     : QStringLiteral("Phone %1 cannot be closed.").arg(*phone));
    });
    connect(removePhone, &QPushButton::clicked, this, [this] {
        if (const auto phone = CurrentId(phone_))
            Report(exchange_.removePhone(*phone) ? QStringLiteral("Phone %1 removed.").arg(*phone)
                                                 : QStringLiteral("Phone %1 was removed already.").arg(*phone));
    });
    connect(addLine, &QPushButton::clicked, this, [this] { AddLine(); });
    connect(addPhone_, &QPushButton::clicked, this, [this] { AddPhone(); });

    auto *lines = new QGroupBox(QStringLiteral("Line"), this);
    auto *lineLayout = new QGridLayout(lines);
    lineLayout->addWidget(line_, 0, 0, 1, 2);
    lineLayout->addLayout(flags, 1, 0, 1, 2);
    lineLayout->addWidget(closeLine, 2, 0);
    lineLayout->addWidget(removeLine, 2, 1);
    lineLayout->addWidget(phonePreset_, 3, 0);
    lineLayout->addWidget(addPhone_, 3, 1);

    auto *phones = new QGroupBox(QStringLiteral("Phone"), this);
    auto *phoneLayout = new QGridLayout(phones);
    phoneLayout->addWidget(phone_, 0, 0, 1, 2);
    phoneLayout->addWidget(closePhone, 1, 0);
    phoneLayout->addWidget(removePhone, 1, 1);
    phoneLayout->setRowStretch(2, 1);

    auto *add = new QGroupBox(QStringLiteral("New line"), this);
    auto *addLayout = new QGridLayout(add);
    addLayout->addWidget(new QLabel(QStringLiteral("Kind:"), this), 0, 0);
    addLayout->addWidget(linePreset_, 0, 1);
    addLayout->addWidget(new QLabel(QStringLiteral("Number:"), this), 1, 0);
    addLayout->addWidget(number_, 1, 1);
    addLayout->addWidget(new QLabel(QStringLiteral("Owner:"), this), 2, 0);
    addLayout->addWidget(owner_, 2, 1);
    addLayout->addWidget(addLine, 3, 1);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(lines);
    layout->addWidget(phones);
    layout->addWidget(add);
    ShowLine();
    ShowPhone();
}

void CDevicesPanel::Show(const ExchangeSnapshot &snapshot)
{
    shown_ = snapshot;
    FillCombo(line_, LineItems(snapshot, true));
    FillCombo(phone_, PhoneItems(snapshot, true));
    ShowPhone();
    ShowLine();
}

void CDevicesPanel::ShowPhone()
{
    const auto phone = CurrentId(phone_);
    const ConsolePhone *shown = phone ? shown_.FindPhone(*phone) : nullptr;
    for (QPushButton *action : phoneActions_)
        action->setEnabled(shown && !shown->removed);
}

void CDevicesPanel::ShowLine()
{
    const auto id = CurrentId(line_);
    const ConsoleLine *line = id ? shown_.FindLine(*id) : nullptr;
    const bool live = line && !line->removed;
    for (const auto &[box, flag] : status_) {
        box->setEnabled(live);
        box->setChecked(line && (line->statusFlags & flag));
    }
    for (QPushButton *action : lineActions_)
        action->setEnabled(live);
    // A line has one phone: only a line without one gets another.
    addPhone_->setEnabled(live && !line->phone);
    phonePreset_->setEnabled(addPhone_->isEnabled());
}

void CDevicesPanel::SetStatus(DWORD flag, bool on)
{
    if (const auto line = CurrentId(line_))
        ReportResult(QStringLiteral("Line %1 status").arg(*line), exchange_.setLineStatus(*line, flag, on));
}

void CDevicesPanel::AddLine()
{
    const QString number = number_->text().trimmed();
    if (number.isEmpty()) {
        Report(QStringLiteral("A new line needs a number."));
        return;
    }
    // Two addresses with one number would leave the second unreachable.
    for (const ConsoleLine &line : shown_.lines)
        for (const ConsoleAddress &address : line.addresses)
            if (!line.removed && address.number == number) {
                Report(QStringLiteral("Number %1 is taken by line %2.").arg(number).arg(line.id));
                return;
            }
    const auto preset = static_cast<LinePreset>(linePreset_->currentData().toInt());
    const DWORD id = exchange_.addLine(MakeLine(preset, number.toStdU16String(), owner_->text().trimmed().toStdU16String()));
    Report(QStringLiteral("Line %1 added.").arg(id));
}

void CDevicesPanel::AddPhone()
{
    const auto line = CurrentId(line_);
    const ConsoleLine *shownLine = line ? shown_.FindLine(*line) : nullptr;
    if (!shownLine || shownLine->removed || shownLine->phone)
        return;
    exchange::PhoneConfig config = exchange::PhoneConfig::deskPhone(
        (QStringLiteral("Phone ") + (shownLine->addresses.empty() ? shownLine->name : shownLine->addresses[0].number))
            .toStdU16String(),
        *line);
    Vary(static_cast<PhonePreset>(phonePreset_->currentData().toInt()), config);
    const DWORD phone = exchange_.addPhone(std::move(config));
    // The line names its phone, so "tapi/phone" finds it.
    exchange_.changeLine(*line, [phone](exchange::LineConfig &l) { l.phone = phone; });
    Report(QStringLiteral("Phone %1 added for line %2.").arg(phone).arg(*line));
}
