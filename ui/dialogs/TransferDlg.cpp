#include <ui/dialogs/TransferDlg.h>

#include <ui/dialogs/DialogParts.h>
#include <window/Fonts.h>

#include "CTapiCall.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

CTransferDlg::CTransferDlg(QWidget *parent, CTapiCall *call) : win::Dialog(parent), call_(call)
{
    static const win::ControlTemplate controls[] = {
        {IDC_PARTY_NAME, win::ControlKind::Static},
        {IDC_PARTY_NUMBER, win::ControlKind::Static},
        {IDC_CONSULTATION, win::ControlKind::CheckBox, "&Consultation Transfer"},
        {IDC_NUMBER, win::ControlKind::Edit},
        {win::IDOK, win::ControlKind::DefaultButton, "OK"},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel"},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("Transfer a Call"));

    auto *fields = new QGridLayout;
    fields->addWidget(AddLabel(QStringLiteral("Calling Number:")), 0, 0);
    fields->addWidget(GetDlgItem(IDC_PARTY_NAME), 0, 1);
    fields->addWidget(GetDlgItem(IDC_PARTY_NUMBER), 1, 1);
    fields->addWidget(GetDlgItem(IDC_CONSULTATION), 2, 0, 1, 2);
    fields->addWidget(AddLabel(QStringLiteral("Number to Dial:"), IDC_NUMBER), 3, 0);
    fields->addWidget(GetDlgItem(IDC_NUMBER), 3, 1);
    fields->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(ButtonRow(*this, {win::IDOK, win::IDCANCEL}));

    BindText(IDC_PARTY_NAME, party_.name);
    BindText(IDC_PARTY_NUMBER, party_.number);
    BindCheck(IDC_CONSULTATION, consultation_);
    BindText(IDC_NUMBER, number_);
    OnNotify(IDC_NUMBER, win::Notify::TextChange, [this] {
        UpdateData(true);
        EnableDlgItem(win::IDOK, !number_.isEmpty());
    });
}

void CTransferDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    party_ = PartyOf(*call_);
    win::Dialog::OnInitDialog();

    const auto status = call_->GetCallStatus();
    const DWORD features = status ? status->dwCallFeatures : 0;
    if (!(features & LINECALLFEATURE_BLINDTRANSFER) || !(features & LINECALLFEATURE_SETUPTRANSFER)) {
        consultation_ = (features & LINECALLFEATURE_BLINDTRANSFER) ? 0 : 1;
        CheckDlgButton(IDC_CONSULTATION, consultation_);
        EnableDlgItem(IDC_CONSULTATION, false);
    }
    EnableDlgItem(win::IDOK, false);
}
