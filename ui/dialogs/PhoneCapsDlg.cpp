// The phone features window: its controls, layout, bindings and lifetime.
// What it shows is in PhoneCapsRefresh.cpp, what its controls send in
// PhoneCapsSetters.cpp.
#include <ui/dialogs/PhoneCapsDlg.h>

#include <app/AppMessages.h>
#include <app/CMyPhone.h>
#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <window/Fonts.h>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

using win::ControlKind;
using win::ControlTemplate;
namespace Style = win::Style;

using Dlg = CPhoneCapsDlg;

constexpr Dlg::HookSwitchGroup kGroups[] = {
    {PHONEHOOKSWITCHDEV_HANDSET,
     {Dlg::IDC_HANDSET_ONHOOK, Dlg::IDC_HANDSET_MIC, Dlg::IDC_HANDSET_MICSPEAKER, Dlg::IDC_HANDSET_SPEAKER},
     Dlg::IDC_HANDSET_VOLUME, Dlg::IDC_HANDSET_GAIN, PHONESTATE_HANDSETHOOKSWITCH, PHONESTATE_HANDSETVOLUME,
     PHONESTATE_HANDSETGAIN},
    {PHONEHOOKSWITCHDEV_SPEAKER,
     {Dlg::IDC_SPEAKER_ONHOOK, Dlg::IDC_SPEAKER_MIC, Dlg::IDC_SPEAKER_MICSPEAKER, Dlg::IDC_SPEAKER_SPEAKER},
     Dlg::IDC_SPEAKER_VOLUME, Dlg::IDC_SPEAKER_GAIN, PHONESTATE_SPEAKERHOOKSWITCH, PHONESTATE_SPEAKERVOLUME,
     PHONESTATE_SPEAKERGAIN},
    {PHONEHOOKSWITCHDEV_HEADSET,
     {Dlg::IDC_HEADSET_ONHOOK, Dlg::IDC_HEADSET_MIC, Dlg::IDC_HEADSET_MICSPEAKER, Dlg::IDC_HEADSET_SPEAKER},
     Dlg::IDC_HEADSET_VOLUME, Dlg::IDC_HEADSET_GAIN, PHONESTATE_HEADSETHOOKSWITCH, PHONESTATE_HEADSETVOLUME,
     PHONESTATE_HEADSETGAIN},
};

constexpr const char *kGroupTitles[] = {"Handset", "Speakerphone", "Headset"};
constexpr const char *kRadioCaptions[] = {"Onhook", "Microphone", "Mic/Speaker", "Speaker"};

} // namespace

std::span<const CPhoneCapsDlg::HookSwitchGroup> CPhoneCapsDlg::HookSwitchGroups()
{
    return kGroups;
}

CPhoneCapsDlg::CPhoneCapsDlg(QWidget *parent, CMyPhone *phone) : win::Dialog(parent), phone_(phone)
{
    CreateControls();
    LayOutControls();
    BindFieldsAndHandlers();
    setWindowTitle(QStringLiteral("Phone Features - "));
    Create();
    phone_->SetPhoneWindow(GetSafeHwnd());
}

CPhoneCapsDlg::~CPhoneCapsDlg()
{
    destroying_ = true;
    if (IsCreated())
        DestroyWindow();
}

void CPhoneCapsDlg::CreateControls()
{
    static const ControlTemplate controls[] = {
        {IDC_DISPLAY, ControlKind::MultiLineEdit},
        {IDC_DISPLAY_SIZE, ControlKind::Static},
        {IDC_RETRIEVE, ControlKind::PushButton, "&Retrieve"},
        {IDC_SET_DISPLAY, ControlKind::PushButton, "&Set", Style::Disabled},
        {IDC_CONNECTED, ControlKind::CheckBox, "CONN", Style::Disabled},
        {IDC_SUSPENDED, ControlKind::CheckBox, "SUSP", Style::Disabled},
        {IDC_CONFIG, ControlKind::PushButton, "&Config"},
        {IDC_RING_MODE, ControlKind::DropDownList},
        {IDC_RING_VOLUME, ControlKind::Trackbar},
        {IDC_BUTTONS, ControlKind::ListBox},
        {IDC_BUTTON_TEXT, ControlKind::Static},
        {IDC_BUTTON_FUNCTION, ControlKind::Static},
        {IDC_BUTTON_MODE, ControlKind::Static},
        {IDC_BUTTON_LAMP, ControlKind::Static},
    };
    AddControls(controls);
    for (const HookSwitchGroup &group : kGroups) {
        for (int i = 0; i < 4; ++i)
            AddControl({group.radios[i], ControlKind::RadioButton, kRadioCaptions[i]});
        DefineRadioGroup({group.radios[0], group.radios[1], group.radios[2], group.radios[3]});
        AddControl({group.volume, ControlKind::Trackbar});
        AddControl({group.gain, ControlKind::Trackbar});
    }
}

void CPhoneCapsDlg::LayOutControls()
{
    auto *display = new QGroupBox(QStringLiteral("Display"), this);
    auto *displayLayout = new QGridLayout(display);
    QWidget *text = GetDlgItem(IDC_DISPLAY);
    displayLayout->addWidget(text, 0, 0, 3, 1);
    displayLayout->addWidget(GetDlgItem(IDC_DISPLAY_SIZE), 0, 1);
    displayLayout->addWidget(GetDlgItem(IDC_RETRIEVE), 1, 1);
    displayLayout->addWidget(GetDlgItem(IDC_SET_DISPLAY), 2, 1);
    displayLayout->setColumnStretch(0, 1);

    auto *devices = new QHBoxLayout;
    for (std::size_t g = 0; g < std::size(kGroups); ++g) {
        const HookSwitchGroup &group = kGroups[g];
        auto *box = new QGroupBox(QString::fromLatin1(kGroupTitles[g]), this);
        auto *grid = new QGridLayout(box);
        grid->addWidget(GetDlgItem(group.radios[0]), 0, 0, 1, 2);
        grid->addWidget(GetDlgItem(group.radios[1]), 0, 2);
        grid->addWidget(GetDlgItem(group.radios[2]), 1, 0, 1, 2);
        grid->addWidget(GetDlgItem(group.radios[3]), 1, 2);
        grid->addWidget(AddLabel(QStringLiteral("V:")), 2, 0);
        grid->addWidget(GetDlgItem(group.volume), 2, 1, 1, 2);
        grid->addWidget(AddLabel(QStringLiteral("G:")), 3, 0);
        grid->addWidget(GetDlgItem(group.gain), 3, 1, 1, 2);
        devices->addWidget(box);
    }

    auto *misc = new QGroupBox(QStringLiteral("Misc."), this);
    auto *miscLayout = new QVBoxLayout(misc);
    for (int id : {IDC_CONNECTED, IDC_SUSPENDED, IDC_CONFIG})
        miscLayout->addWidget(GetDlgItem(id));
    miscLayout->addStretch();

    auto *ringer = new QGroupBox(QStringLiteral("Ringer Information"), this);
    auto *ringerLayout = new QGridLayout(ringer);
    ringerLayout->addWidget(GetDlgItem(IDC_RING_MODE), 0, 0, 1, 2);
    ringerLayout->addWidget(AddLabel(QStringLiteral("V:")), 1, 0);
    ringerLayout->addWidget(GetDlgItem(IDC_RING_VOLUME), 1, 1);
    ringerLayout->setRowStretch(2, 1);

    auto *buttons = new QGroupBox(QStringLiteral("Button Information"), this);
    auto *buttonsLayout = new QGridLayout(buttons);
    QWidget *list = GetDlgItem(IDC_BUTTONS);
    list->setMaximumHeight(list->fontMetrics().height() * 5 + 8);
    buttonsLayout->addWidget(list, 0, 0, 4, 1);
    buttonsLayout->addWidget(GetDlgItem(IDC_BUTTON_TEXT), 0, 1, 1, 2);
    const std::pair<const char *, int> labels[] = {
        {"Function:", IDC_BUTTON_FUNCTION}, {"Mode:", IDC_BUTTON_MODE}, {"Lamp:", IDC_BUTTON_LAMP}};
    int row = 1;
    for (const auto &[caption, id] : labels) {
        buttonsLayout->addWidget(AddLabel(QString::fromLatin1(caption)), row, 1);
        buttonsLayout->addWidget(GetDlgItem(id), row, 2);
        ++row;
    }
    buttonsLayout->setColumnStretch(2, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(misc);
    bottom->addWidget(ringer);
    bottom->addWidget(buttons, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(display);
    layout->addLayout(devices);
    layout->addLayout(bottom);
}

void CPhoneCapsDlg::BindFieldsAndHandlers()
{
    BindRadio(IDC_HANDSET_ONHOOK, handsetMode_);
    BindRadio(IDC_SPEAKER_ONHOOK, speakerMode_);
    BindRadio(IDC_HEADSET_ONHOOK, headsetMode_);
    BindCheck(IDC_CONNECTED, connected_);
    BindCheck(IDC_SUSPENDED, suspended_);
    BindText(IDC_DISPLAY_SIZE, displaySize_);
    BindText(IDC_BUTTON_TEXT, buttonText_);
    BindText(IDC_BUTTON_FUNCTION, buttonFunction_);
    BindText(IDC_BUTTON_MODE, buttonMode_);
    BindText(IDC_BUTTON_LAMP, buttonLamp_);

    for (const HookSwitchGroup &group : kGroups) {
        for (int radio : group.radios)
            OnClicked(radio, [this, &group, radio] { OnHookSwitchClicked(group, radio); });
        for (int slider : {group.volume, group.gain})
            OnNotify(slider, win::Notify::Scroll, [this, slider](int position) { OnSliderMoved(slider, position); });
    }
    OnNotify(IDC_RING_VOLUME, win::Notify::Scroll,
             [this](int position) { OnSliderMoved(IDC_RING_VOLUME, position); });
    OnNotify(IDC_RING_MODE, win::Notify::SelChange, [this] { OnRingModeChosen(); });
    OnNotify(IDC_BUTTONS, win::Notify::SelChange, [this] { ShowButtonInfo(); });
    OnNotify(IDC_DISPLAY, win::Notify::TextChange, [this] { EnableDlgItem(IDC_SET_DISPLAY, true); });
    OnClicked(IDC_RETRIEVE, [this] { RetrieveDisplay(); });
    OnClicked(IDC_SET_DISPLAY, [this] { OnSetDisplay(); });
    OnClicked(IDC_CONFIG, [this] { OnConfig(); });
    OnMessage(WM_TAPI_PHONECHANGED, [this](win::WPARAM states, win::LPARAM details) {
        OnPhoneChanged(static_cast<DWORD>(states), static_cast<DWORD>(details));
        return 0;
    });
}

void CPhoneCapsDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    QWidget *display = GetDlgItem(IDC_DISPLAY);
    display->setFont(win::GetStockFont(win::StockFont::AnsiFixed));
    display->setFixedHeight(display->fontMetrics().lineSpacing() * 3 + 14);
    setWindowTitle(windowTitle() + ToQString(phone_->GetPhoneName()));
    FullRefresh();
}

void CPhoneCapsDlg::OnClose()
{
    DestroyWindow();
}

void CPhoneCapsDlg::OnDestroy()
{
    phone_->SetPhoneWindow(win::WindowHandle::Null);
    if (const DWORD result = phone_->Close())
        ReportResult("phoneClose", result);
}

void CPhoneCapsDlg::PostNcDestroy()
{
    if (!destroying_)
        deleteLater();
}
