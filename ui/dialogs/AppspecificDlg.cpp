#include <ui/dialogs/AppspecificDlg.h>

#include <window/Fonts.h>
#include <window/Shell.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

CAppspecificDlg::CAppspecificDlg(QWidget *parent) : win::Dialog(parent)
{
    static const win::ControlTemplate controls[] = {
        {IDC_VALUE, win::ControlKind::Edit},
        {win::IDOK, win::ControlKind::DefaultButton, "OK"},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel"},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("Appspecific"));

    auto *value = new QHBoxLayout;
    value->addWidget(AddLabel(QStringLiteral("Appspecific DWORD:"), IDC_VALUE));
    value->addWidget(GetDlgItem(IDC_VALUE), 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(GetDlgItem(win::IDOK));
    buttons->addWidget(GetDlgItem(win::IDCANCEL));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(value);
    layout->addLayout(buttons);
}

bool CAppspecificDlg::IsValidHex(const QString &text)
{
    if (text.size() > 8)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

void CAppspecificDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    win::Dialog::OnInitDialog();
    SetDlgItemText(IDC_VALUE, QStringLiteral("%1").arg(value_, 8, 16, QChar(u'0')).toUpper());
}

void CAppspecificDlg::OnOK()
{
    const QString text = GetDlgItemText(IDC_VALUE);
    if (!IsValidHex(text)) {
        win::MessageBox(this, QStringLiteral("Please enter a valid hexadecimal Number"), {}, win::MB_OK);
        return;
    }
    if (!text.isEmpty())
        value_ = text.toUInt(nullptr, 16);
    EndDialog(win::IDOK);
}
