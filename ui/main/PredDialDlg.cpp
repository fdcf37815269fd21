#include <ui/main/PredDialDlg.h>

#include <window/Fonts.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The call states a predictive dialer can transfer in, by their constants' names.
struct StateName {
    DWORD state;
    const char *name;
};

constexpr StateName kStates[] = {
    {LINECALLSTATE_OFFERING, "LINECALLSTATE_OFFERING"},
    {LINECALLSTATE_ACCEPTED, "LINECALLSTATE_ACCEPTED"},
    {LINECALLSTATE_DIALTONE, "LINECALLSTATE_DIALTONE"},
    {LINECALLSTATE_DIALING, "LINECALLSTATE_DIALING"},
    {LINECALLSTATE_RINGBACK, "LINECALLSTATE_RINGBACK"},
    {LINECALLSTATE_BUSY, "LINECALLSTATE_BUSY"},
    {LINECALLSTATE_SPECIALINFO, "LINECALLSTATE_SPECIALINFO"},
    {LINECALLSTATE_CONNECTED, "LINECALLSTATE_CONNECTED"},
    {LINECALLSTATE_PROCEEDING, "LINECALLSTATE_PROCEEDING"},
    {LINECALLSTATE_ONHOLD, "LINECALLSTATE_ONHOLD"},
    {LINECALLSTATE_CONFERENCED, "LINECALLSTATE_CONFERENCED"},
    {LINECALLSTATE_ONHOLDPENDCONF, "LINECALLSTATE_ONHOLDPENDCONF"},
    {LINECALLSTATE_ONHOLDPENDTRANSFER, "LINECALLSTATE_ONHOLDPENDTRANSFER"},
    {LINECALLSTATE_DISCONNECTED, "LINECALLSTATE_DISCONNECTED"},
};

} // namespace

CPredDialDlg::CPredDialDlg(QWidget *parent) : win::Dialog(parent)
{
    static const win::ControlTemplate controls[] = {
        {0, win::ControlKind::Static,
         "The chosen line has predictive dialer capabilities which you may exploit. Select the parameters you would "
         "like to use for this call or press CANCEL to not send any."},
        {IDC_TRANSFER_TO, win::ControlKind::Edit},
        {IDC_TIMEOUT, win::ControlKind::Edit},
        {IDC_TIMEOUT_SPIN, win::ControlKind::UpDown, "", win::Style::Vertical, IDC_TIMEOUT},
        {IDC_STATES, win::ControlKind::ListBox, "", win::Style::MultipleSelection | win::Style::Sorted},
        {win::IDOK, win::ControlKind::DefaultButton, "OK"},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel"},
    };
    auto *explanation = qobject_cast<QLabel *>(AddControl(controls[0]));
    explanation->setWordWrap(true);
    AddControls(std::span(controls).subspan(1));
    setWindowTitle(QStringLiteral("Predictive Dialer Parameters"));

    auto *fields = new QGridLayout;
    fields->addWidget(AddLabel(QStringLiteral("Transfer To: (blank=none)"), IDC_TRANSFER_TO), 0, 0);
    fields->addWidget(GetDlgItem(IDC_TRANSFER_TO), 0, 1);
    fields->addWidget(AddLabel(QStringLiteral("Timeout in seconds:"), IDC_TIMEOUT), 1, 0);
    auto *timeout = new QHBoxLayout;
    QWidget *timeoutEdit = GetDlgItem(IDC_TIMEOUT);
    timeoutEdit->setMaximumWidth(timeoutEdit->fontMetrics().horizontalAdvance(QStringLiteral("99999")) + 16);
    timeout->addWidget(timeoutEdit);
    timeout->addWidget(GetDlgItem(IDC_TIMEOUT_SPIN));
    timeout->addStretch();
    fields->addLayout(timeout, 1, 1);
    fields->addWidget(AddLabel(QStringLiteral("Auto-Transfer States:"), IDC_STATES), 2, 0, Qt::AlignTop);
    fields->addWidget(GetDlgItem(IDC_STATES), 2, 1);
    fields->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(GetDlgItem(win::IDOK));
    buttons->addWidget(GetDlgItem(win::IDCANCEL));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    BindText(IDC_TRANSFER_TO, transferTo_);
    BindInt(IDC_TIMEOUT, timeout_, 0, kMaxTimeout);
}

void CPredDialDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    win::Dialog::OnInitDialog();
    if (states_ == 0)
        EnableDlgItem(IDC_STATES, false);
    else
        FillStates();
    LimitText(IDC_TRANSFER_TO, kTransferToLimit);
    LimitText(IDC_TIMEOUT, 4);
    if (maxTimeout_ != 0) {
        // A provider's maximum beyond what the field holds is cut to the field's.
        SetRange(IDC_TIMEOUT_SPIN, 0, static_cast<int>(std::min<DWORD>(maxTimeout_, kMaxTimeout)));
    } else {
        EnableDlgItem(IDC_TIMEOUT_SPIN, false);
        EnableDlgItem(IDC_TIMEOUT, false);
    }
    timeout_ = 0;
    UpdateData(false);
    // A dialog that has not been placed explicitly is centred over its parent when shown.
}

void CPredDialDlg::FillStates()
{
    win::ListControl list = Items(IDC_STATES);
    list.ResetContent();
    for (const StateName &entry : kStates) {
        if (states_ & entry.state)
            list.SetItemData(list.AddString(QString::fromUtf8(entry.name)), entry.state);
    }
}

void CPredDialDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    win::ListControl list = Items(IDC_STATES);
    DWORD chosen = 0;
    for (int index : list.GetSelItems())
        chosen |= static_cast<DWORD>(list.GetItemData(index));
    states_ = chosen;
    EndDialog(win::IDOK);
}
