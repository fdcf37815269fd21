#include <ui/dialogs/KCallFeatures.h>

#include <window/Fonts.h>

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

// Lines and characters the window shows without scrolling: the features of a
// call in most states, each name on its own line.
constexpr int kVisibleLines = 30;
constexpr int kVisibleColumns = 32;

} // namespace

KCallFeatures::KCallFeatures(QWidget *parent) : win::Dialog(parent)
{
    static const win::ControlTemplate controls[] = {
        {IDC_FEATURES, win::ControlKind::MultiLineEdit, "", win::Style::ReadOnly},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("CallFeatures"));
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    if (auto *edit = Item<QPlainTextEdit>(IDC_FEATURES)) {
        // The scroll bar appears when a list is longer than the window.
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        const QFontMetrics metrics(edit->font());
        edit->setMinimumSize(metrics.averageCharWidth() * kVisibleColumns, metrics.lineSpacing() * kVisibleLines);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GetDlgItem(IDC_FEATURES));
}

void KCallFeatures::SetFeaturesText(const QString &text)
{
    SetDlgItemText(IDC_FEATURES, text);
}

void KCallFeatures::OnCancel()
{
    hide();
}
