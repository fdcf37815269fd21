#include <ui/dialogs/AboutDlg.h>

#include <ui/controls/HLinkCtrl.h>
#include <ui/dialogs/DialogParts.h>
#include <ui/main/AppIcon.h>
#include <window/Fonts.h>

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// The addresses the links open (and show).
constexpr const char *kHomepage = "https://dialwerk.example/";
constexpr const char *kSupport = "https://dialwerk.example/support/";

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent) : win::Dialog(parent)
{
    static const win::ControlTemplate controls[] = {
        {IDC_ICON, win::ControlKind::Static},
        {IDC_VERSION, win::ControlKind::Static, "TAPI Dialwerk 3.70"},
        {win::IDOK, win::ControlKind::DefaultButton, "OK"},
    };
    AddControls(controls);
    homepage_ = new CHLinkCtrl(QString::fromUtf8(kHomepage));
    support_ = new CHLinkCtrl(QString::fromUtf8(kSupport));
    RegisterControl(IDC_HOMEPAGE, win::ControlKind::Static, homepage_);
    RegisterControl(IDC_SUPPORT, win::ControlKind::Static, support_);

    auto *grid = new QGridLayout;
    grid->addWidget(GetDlgItem(IDC_ICON), 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(GetDlgItem(IDC_VERSION), 0, 1);
    grid->addWidget(GetDlgItem(IDC_HOMEPAGE), 1, 1);
    grid->addWidget(GetDlgItem(IDC_SUPPORT), 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(16);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ButtonRow(*this, {win::IDOK}));
    setWindowTitle(QStringLiteral("About Dialwerk"));
}

void CAboutDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    if (auto *icon = Item<QLabel>(IDC_ICON))
        icon->setPixmap(AppIcon().pixmap(32, 32));
    win::Dialog::OnInitDialog();
}
