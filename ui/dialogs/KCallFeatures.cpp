#include <ui/dialogs/KCallFeatures.h>

#include <QVBoxLayout>

KCallFeatures::KCallFeatures(QWidget *parent) : win::Dialog(parent)
{
    static const win::ControlSpec controls[] = {
        {IDC_FEATURES, win::ControlKind::MultiLineEdit, "", win::Style::ReadOnly},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("CallFeatures"));
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
