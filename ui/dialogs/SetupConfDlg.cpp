#include <ui/dialogs/SetupConfDlg.h>

#include <ui/dialogs/DialogParts.h>
#include <window/Fonts.h>

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

CSetupConfDlg::CSetupConfDlg(QWidget *parent, CTapiCall *call, bool mergeOffered)
    : win::Dialog(parent), call_(call), mergeOffered_(mergeOffered)
{
    static const win::ControlTemplate controls[] = {
        {IDC_PARTY_NAME, win::ControlKind::Static},
        {IDC_PARTY_NUMBER, win::ControlKind::Static},
        {IDC_NUMBER, win::ControlKind::Edit, "", win::Style::Disabled},
        {IDC_MERGE, win::ControlKind::CheckBox, "&Merge existing calls into a conference", win::Style::Disabled},
        {win::IDOK, win::ControlKind::DefaultButton, "OK", win::Style::Disabled},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel"},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("Setup a new Conference"));

    auto *fields = new QGridLayout;
    fields->addWidget(AddLabel(QStringLiteral("Starting Call:")), 0, 0);
    fields->addWidget(GetDlgItem(IDC_PARTY_NAME), 0, 1);
    fields->addWidget(GetDlgItem(IDC_PARTY_NUMBER), 1, 1);
    fields->addWidget(AddLabel(QStringLiteral("Number to Dial:"), IDC_NUMBER), 2, 0);
    fields->addWidget(GetDlgItem(IDC_NUMBER), 2, 1);
    fields->addWidget(GetDlgItem(IDC_MERGE), 3, 0, 1, 2);
    fields->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(ButtonRow(*this, {win::IDOK, win::IDCANCEL}));

    BindText(IDC_PARTY_NAME, party_.name);
    BindText(IDC_PARTY_NUMBER, party_.number);
    BindText(IDC_NUMBER, number_);
    BindCheck(IDC_MERGE, merge_);
    OnClicked(IDC_MERGE, [this] { OnMergeToggle(); });
    OnNotify(IDC_NUMBER, win::Notify::TextChange, [this] {
        UpdateData(true);
        EnableDlgItem(win::IDOK, !number_.isEmpty());
    });
}

void CSetupConfDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    party_ = PartyOf(*call_);
    win::Dialog::OnInitDialog();
    if (mergeOffered_) {
        EnableDlgItem(IDC_MERGE);
        merge_ = 1;
        UpdateData(false);
    }
    OnMergeToggle();
}

void CSetupConfDlg::OnMergeToggle()
{
    UpdateData(true);
    EnableDlgItem(IDC_NUMBER, merge_ == 0);
    if (merge_) {
        number_.clear();
        EnableDlgItem(win::IDOK);
    } else {
        // OK keeps its state until the number changes next.
        GotoDlgCtrl(IDC_NUMBER);
    }
    UpdateData(false);
}
