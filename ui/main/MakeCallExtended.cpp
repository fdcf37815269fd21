#include <ui/main/MakeCallExtended.h>

#include <window/Fonts.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

MakeCallExtended::MakeCallExtended(const QString &destination, DWORD addressFlags, QWidget *parent)
    : win::Dialog(parent), addressFlags_(addressFlags), destination_(destination)
{
    static const win::ControlTemplate controls[] = {
        {IDC_CLIP, win::ControlKind::Edit},
        {IDC_DESTINATION, win::ControlKind::Edit, "", win::Style::ReadOnly},
        {IDC_CLIR, win::ControlKind::CheckBox, "Activate CLIR (Calling Line Identification Restriction)"},
        {IDC_AUTO_OFFHOOK, win::ControlKind::CheckBox, "Activate destination auto off-hook"},
        {win::IDOK, win::ControlKind::DefaultButton, "OK"},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel"},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("extended Make Call"));

    auto *fields = new QGridLayout;
    fields->addWidget(AddLabel(QStringLiteral("CLIP no screening:"), IDC_CLIP), 0, 0);
    fields->addWidget(GetDlgItem(IDC_CLIP), 0, 1);
    fields->addWidget(AddLabel(QStringLiteral("Destination number:"), IDC_DESTINATION), 1, 0);
    fields->addWidget(GetDlgItem(IDC_DESTINATION), 1, 1);
    fields->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(GetDlgItem(win::IDOK));
    buttons->addWidget(GetDlgItem(win::IDCANCEL));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(GetDlgItem(IDC_CLIR));
    layout->addWidget(GetDlgItem(IDC_AUTO_OFFHOOK));
    layout->addLayout(buttons);

    BindText(IDC_DESTINATION, destination_);
}

void MakeCallExtended::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    win::Dialog::OnInitDialog();
    // Whatever the address cannot do is shown disabled and stays empty or unticked.
    if (addressFlags_ & LINEADDRCAPFLAGS_SETCALLINGID)
        SetDlgItemText(IDC_CLIP, callingPartyId_);
    else
        EnableDlgItem(IDC_CLIP, false);
    if (addressFlags_ & LINEADDRCAPFLAGS_BLOCKIDOVERRIDE)
        CheckDlgButton(IDC_CLIR, clir_ ? 1 : 0);
    else
        EnableDlgItem(IDC_CLIR, false);
    if (addressFlags_ & LINEADDRCAPFLAGS_DESTOFFHOOK)
        CheckDlgButton(IDC_AUTO_OFFHOOK, autoOffHook_ ? 1 : 0);
    else
        EnableDlgItem(IDC_AUTO_OFFHOOK, false);
}

void MakeCallExtended::OnOK()
{
    callingPartyId_ = GetDlgItemText(IDC_CLIP);
    clir_ = IsDlgButtonChecked(IDC_CLIR) != 0;
    autoOffHook_ = IsDlgButtonChecked(IDC_AUTO_OFFHOOK) != 0;
    EndDialog(win::IDOK);
}
