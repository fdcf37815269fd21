// The main window's controls and how they are laid out: the session on top,
// the call display in the middle, the call commands grouped below it, the
// status line at the bottom.
#include <ui/main/PhoneDlg.h>

#include <resources/resource.h>
#include <ui/controls/HLinkCtrl.h>

#include <QBoxLayout>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include <array>
#include <utility>

using win::ControlKind;
using win::ControlTemplate;
namespace Style = win::Style;

namespace {

constexpr unsigned kOff = Style::Disabled;

// Every control of the window with its identifier, caption and initial state.
constexpr std::array kSessionControls{
    ControlTemplate{IDC_DEVICE, ControlKind::DropDownList, "", Style::Sorted},
    ControlTemplate{IDC_SESSION, ControlKind::PushButton, "Initiate Session", kOff},
    ControlTemplate{IDC_ADDRESS, ControlKind::DropDownList, ""},
    ControlTemplate{IDC_AGENT, ControlKind::PushButton, "&Agent", kOff},
    ControlTemplate{IDC_PHONE, ControlKind::PushButton, "P&hone", kOff},
    ControlTemplate{IDC_MWI, ControlKind::CheckBox, "MWI", kOff},
    ControlTemplate{IDC_LCK, ControlKind::CheckBox, "LCK", kOff},
    ControlTemplate{IDC_CON, ControlKind::CheckBox, "CON", kOff},
    ControlTemplate{IDC_SVC, ControlKind::CheckBox, "SVC", kOff},
    ControlTemplate{IDC_PWD, ControlKind::CheckBox, "PWD", kOff | Style::ManualCheck},
    ControlTemplate{IDC_CONFIGURE, ControlKind::PushButton, "&Configure", kOff},
    ControlTemplate{IDC_NUMBER, ControlKind::Edit, "", kOff},
    ControlTemplate{IDC_MAKECALL, ControlKind::DefaultButton, "Ma&ke Call", kOff},
    ControlTemplate{IDC_PICKUP, ControlKind::PushButton, "&Pickup...", kOff},
    ControlTemplate{IDC_UNPARK, ControlKind::PushButton, "&Unpark...", kOff},
    ControlTemplate{IDC_LINE_SPIN, ControlKind::UpDown},
    ControlTemplate{IDC_LINE_POSITION, ControlKind::Static, "0 of 0"},
    ControlTemplate{IDC_MAXCALLS, ControlKind::Static, "0"},
};

constexpr std::array kCallControls{
    ControlTemplate{IDC_CALL_SPIN, ControlKind::UpDown},
    ControlTemplate{IDC_CALL_POSITION, ControlKind::Static, "0 of 0"},
};

// The call display: label and field(s), in reading order.
struct DisplayRow {
    const char *label;
    int number;
    int name; // 0 for a single field
};

constexpr std::array<DisplayRow, 5> kCallRows{{
    {"Call State:", IDC_CALLSTATE, 0},
    {"Call Features:", IDC_CALLFEATURES, 0},
    {"CallType:", IDC_CALLTYPE, 0},
    {"CallDirection:", IDC_CALLDIRECTION, 0},
    {"Media:", IDC_MEDIA, 0},
}};

constexpr std::array<DisplayRow, 5> kIdentityRows{{
    {"Host CallID:", IDC_CALLID, 0},
    {"Rel. CallID:", IDC_RELATEDCALLID, 0},
    {"Trunk ID:", IDC_TRUNKID, 0},
    {"AddressID:", IDC_ADDRESSID, 0},
    {"Appspecific:", IDC_APPSPECIFIC_VALUE, 0},
}};

constexpr std::array<DisplayRow, 5> kPartyRows{{
    {"Caller:", IDC_CALLER_NUMBER, IDC_CALLER_NAME},
    {"Called:", IDC_CALLED_NUMBER, IDC_CALLED_NAME},
    {"Connected:", IDC_CONNECTED_NUMBER, IDC_CONNECTED_NAME},
    {"Redirecting:", IDC_REDIRECTING_NUMBER, IDC_REDIRECTING_NAME},
    {"Redirection:", IDC_REDIRECTION_NUMBER, IDC_REDIRECTION_NAME},
}};

// The call command buttons, in groups of related commands.
struct ButtonGroup {
    const char *title;
    int columns;
    std::array<ControlTemplate, 9> buttons; // id 0 ends a shorter group
};

constexpr std::array<ButtonGroup, 3> kButtonGroups{{
    {"Call",
     3,
     {{{IDC_ANSWER, ControlKind::PushButton, "A&nswer", kOff},
       {IDC_ACCEPT, ControlKind::PushButton, "Acc&ept", kOff},
       {IDC_HANGUP, ControlKind::PushButton, "Han&g Up", kOff},
       {IDC_HOLD, ControlKind::PushButton, "Ho&ld", kOff},
       {IDC_SWAP, ControlKind::PushButton, "&Swap", kOff},
       {IDC_DIALDIGITS, ControlKind::PushButton, "Dial D&igits...", kOff},
       {IDC_REDIRECT, ControlKind::PushButton, "&Redirect...", kOff},
       {IDC_PARK, ControlKind::PushButton, "&Park...", kOff},
       {IDC_COMPLETE, ControlKind::PushButton, "C&omplete...", kOff}}}},
    {"Transfer and Conference",
     3,
     {{{IDC_TRANSFER, ControlKind::PushButton, "&Transfer...", kOff},
       {IDC_MERGE, ControlKind::PushButton, "&Merge", kOff},
       {IDC_FORWARD, ControlKind::PushButton, "Forward", kOff},
       {IDC_SETUPCONF, ControlKind::PushButton, "Con&ference...", kOff},
       {IDC_CONFERENCE, ControlKind::PushButton, "Conference", kOff},
       {IDC_ADDPARTY, ControlKind::PushButton, "Add Party", kOff},
       {IDC_DROPPARTY, ControlKind::PushButton, "Drop Party", kOff},
       {IDC_CONFLIST, ControlKind::PushButton, "Conf &List...", kOff},
       {0, ControlKind::PushButton}}}},
    {"Call Information",
     2,
     {{{IDC_USERINFO, ControlKind::PushButton, "U&ser Info", kOff},
       {IDC_CALLDATA, ControlKind::PushButton, "Call &Data", kOff},
       {IDC_QOSINFO, ControlKind::PushButton, "QOS Info", kOff},
       {IDC_ISDNINFO, ControlKind::PushButton, "ISDN Info", kOff},
       {IDC_APPSPECIFIC, ControlKind::PushButton, "Appspecific...", kOff},
       {IDC_FEATURES, ControlKind::PushButton, "Features", kOff},
       {0, ControlKind::PushButton},
       {0, ControlKind::PushButton},
       {0, ControlKind::PushButton}}}},
}};

// The product's web address, shown beside the status line.
constexpr const char *kLinkAddress = "https://dialwerk.example/";

// Keeps a display field one line of text high and as wide as a number of
// average characters, or as a sample text, in whatever font it is given.
class FieldWidth : public QObject {
public:
    FieldWidth(QLabel *field, int characters, QString sample)
        : QObject(field), characters_(characters), sample_(std::move(sample))
    {
        field->installEventFilter(this);
        Apply(*field);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FontChange)
            Apply(*static_cast<QLabel *>(watched));
        return false;
    }

private:
    void Apply(QLabel &field) const
    {
        const QFontMetrics metrics = field.fontMetrics();
        // An empty field is as tall as one with text.
        field.setMinimumHeight(metrics.height() + 2 * field.frameWidth());
        if (sample_.isEmpty()) {
            field.setMinimumWidth(metrics.averageCharWidth() * characters_);
            return;
        }
        const int margins = 2 * (field.frameWidth() + metrics.averageCharWidth());
        // Fixed in both directions, a new text does not make the layout look again.
        field.setFixedSize(metrics.horizontalAdvance(sample_) + margins, metrics.height() + 2 * field.frameWidth());
    }

    int characters_;
    QString sample_;
};

QLabel *FieldLook(QWidget *widget)
{
    auto *label = qobject_cast<QLabel *>(widget);
    if (!label)
        return nullptr;
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // Filled with the window colour it covers anyway, so a change of its text
    // repaints the field alone and not the group and window behind it.
    label->setAutoFillBackground(true);
    return label;
}

// A display field: sunken, and of a width that does not follow its text, so the window stays still while calls change.
void MakeField(QWidget *widget, int minimumCharacters)
{
    if (QLabel *label = FieldLook(widget)) {
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        new FieldWidth(label, minimumCharacters, {});
    }
}

// A short field of a fixed width, such as the time or a count.
void MakeShortField(QWidget *widget, const QString &widest)
{
    if (QLabel *label = FieldLook(widget)) {
        label->setAlignment(Qt::AlignCenter);
        new FieldWidth(label, 0, widest);
    }
}

QGroupBox *Group(QWidget *parent, const char *title)
{
    auto *group = new QGroupBox(QString::fromUtf8(title), parent);
    return group;
}

} // namespace

void CPhoneDlg::CreateControls()
{
    AddControls(kSessionControls);
    AddControls(kCallControls);
    for (const auto &rows : {kCallRows, kIdentityRows, kPartyRows}) {
        for (const DisplayRow &row : rows) {
            AddControl({row.number, ControlKind::Static});
            if (row.name)
                AddControl({row.name, ControlKind::Static});
        }
    }
    AddControl({IDC_CALLTIME, ControlKind::Static, "00:00:00"});
    for (const ButtonGroup &group : kButtonGroups) {
        for (const ControlTemplate &button : group.buttons) {
            if (button.id)
                AddControl(button);
        }
    }
    AddControl({IDC_STATUS, ControlKind::StatusLine});
    RegisterControl(IDC_LINK, ControlKind::Static, new CHLinkCtrl(QString::fromUtf8(kLinkAddress)));
}

void CPhoneDlg::LayOutControls()
{
    // Session: device and address on the left, the line's buttons on the right.
    auto *session = Group(this, "Session");
    auto *sessionGrid = new QGridLayout(session);
    sessionGrid->setColumnStretch(1, 1);
    sessionGrid->addWidget(AddLabel(QStringLiteral("Device:"), IDC_DEVICE), 0, 0);
    sessionGrid->addWidget(GetDlgItem(IDC_DEVICE), 0, 1);
    sessionGrid->addWidget(GetDlgItem(IDC_SESSION), 0, 2);
    sessionGrid->addWidget(AddLabel(QStringLiteral("Address:"), IDC_ADDRESS), 1, 0);
    sessionGrid->addWidget(GetDlgItem(IDC_ADDRESS), 1, 1);
    auto *maxCalls = new QHBoxLayout;
    maxCalls->addWidget(AddLabel(QStringLiteral("Max Calls:")));
    maxCalls->addWidget(GetDlgItem(IDC_MAXCALLS));
    maxCalls->addStretch(1);
    MakeShortField(GetDlgItem(IDC_MAXCALLS), QStringLiteral("9999"));
    sessionGrid->addLayout(maxCalls, 1, 2);

    auto *openLines = new QHBoxLayout;
    openLines->addWidget(GetDlgItem(IDC_LINE_SPIN));
    openLines->addWidget(GetDlgItem(IDC_LINE_POSITION));
    openLines->addSpacing(12);
    for (int id : {IDC_MWI, IDC_LCK, IDC_CON, IDC_SVC, IDC_PWD})
        openLines->addWidget(GetDlgItem(id));
    openLines->addStretch(1);
    for (int id : {IDC_AGENT, IDC_PHONE, IDC_CONFIGURE})
        openLines->addWidget(GetDlgItem(id));
    sessionGrid->addWidget(AddLabel(QStringLiteral("Open lines:")), 2, 0);
    sessionGrid->addLayout(openLines, 2, 1, 1, 2);

    auto *dialing = new QHBoxLayout;
    dialing->addWidget(GetDlgItem(IDC_NUMBER), 1);
    for (int id : {IDC_MAKECALL, IDC_PICKUP, IDC_UNPARK})
        dialing->addWidget(GetDlgItem(id));
    sessionGrid->addWidget(AddLabel(QStringLiteral("Phone #:"), IDC_NUMBER), 3, 0);
    sessionGrid->addLayout(dialing, 3, 1, 1, 2);

    // Calls: which call, how long in its state, then its fields.
    auto *calls = Group(this, "Calls");
    auto *callsBox = new QVBoxLayout(calls);
    auto *position = new QHBoxLayout;
    position->addWidget(GetDlgItem(IDC_CALL_SPIN));
    position->addWidget(GetDlgItem(IDC_CALL_POSITION));
    position->addStretch(1);
    position->addWidget(AddLabel(QStringLiteral("Time in state:")));
    position->addWidget(GetDlgItem(IDC_CALLTIME));
    MakeShortField(GetDlgItem(IDC_CALLTIME), QStringLiteral("00:00:00"));
    callsBox->addLayout(position);

    auto *fields = new QGridLayout;
    fields->setColumnStretch(1, 3);
    fields->setColumnStretch(3, 2);
    fields->setColumnMinimumWidth(2, 12);
    for (int row = 0; row < static_cast<int>(kCallRows.size()); ++row) {
        fields->addWidget(AddLabel(QString::fromUtf8(kCallRows[row].label)), row, 0);
        fields->addWidget(GetDlgItem(kCallRows[row].number), row, 1);
        MakeField(GetDlgItem(kCallRows[row].number), 24);
        fields->addWidget(AddLabel(QString::fromUtf8(kIdentityRows[row].label)), row, 3);
        fields->addWidget(GetDlgItem(kIdentityRows[row].number), row, 4);
        MakeField(GetDlgItem(kIdentityRows[row].number), 12);
    }
    fields->setColumnStretch(4, 2);
    const int partyTop = static_cast<int>(kCallRows.size());
    for (int row = 0; row < static_cast<int>(kPartyRows.size()); ++row) {
        fields->addWidget(AddLabel(QString::fromUtf8(kPartyRows[row].label)), partyTop + row, 0);
        fields->addWidget(GetDlgItem(kPartyRows[row].number), partyTop + row, 1);
        MakeField(GetDlgItem(kPartyRows[row].number), 18);
        fields->addWidget(GetDlgItem(kPartyRows[row].name), partyTop + row, 3, 1, 2);
        MakeField(GetDlgItem(kPartyRows[row].name), 20);
    }
    callsBox->addLayout(fields);

    // Commands, grouped by what they act on.
    auto *commands = new QHBoxLayout;
    for (const ButtonGroup &group : kButtonGroups) {
        auto *box = Group(this, group.title);
        auto *grid = new QGridLayout(box);
        int index = 0;
        for (const ControlTemplate &button : group.buttons) {
            if (!button.id)
                continue;
            QWidget *control = GetDlgItem(button.id);
            // The buttons change with every call event; filled with the colour of the
            // group they sit on, each repaints alone and not the group behind it.
            control->setAutoFillBackground(true);
            grid->addWidget(control, index / group.columns, index % group.columns);
            ++index;
        }
        grid->setRowStretch(grid->rowCount(), 1);
        commands->addWidget(box, group.columns);
    }

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(GetDlgItem(IDC_STATUS), 1);
    bottom->addWidget(GetDlgItem(IDC_LINK));

    auto *window = new QVBoxLayout(this);
    window->addWidget(session);
    window->addWidget(calls, 1);
    window->addLayout(commands);
    window->addLayout(bottom);
}
