#include <ui/dialogs/CompleteTransferDlg.h>

#include <app/CallTime.h>
#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <ui/dialogs/CallParty.h>
#include <ui/dialogs/DialogParts.h>
#include <ui/main/CommandSteps.h>
#include <window/Fonts.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiLine.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <chrono>

namespace {

// Whole seconds of the wall clock; both ends of the elapsed time are cut the same way.
std::int64_t WallSeconds()
{
    using namespace std::chrono;
    return floor<seconds>(WallClockNow()).time_since_epoch().count();
}

} // namespace

CCompleteTransferDlg::Block::Block(CTapiCall *watched)
    : call(watched), line(watched ? watched->GetLine() : nullptr), handle(watched ? watched->GetCallHandle() : 0)
{
}

CCompleteTransferDlg::CCompleteTransferDlg(QWidget *parent, CTapiCall *firstCall, CTapiCall *consultCall,
                                           int conferenceMode)
    : win::Dialog(parent), first_(firstCall), consult_(consultCall), conferenceMode_(conferenceMode != 0),
      conference_(conferenceMode != 0 ? 1 : 0), startSeconds_(WallSeconds())
{
    static const win::ControlTemplate controls[] = {
        {IDC_STATE1, win::ControlKind::Static, "Unknown"},
        {IDC_NAME1, win::ControlKind::Static},
        {IDC_NUMBER1, win::ControlKind::Static},
        {IDC_STATE2, win::ControlKind::Static, "Unknown"},
        {IDC_NAME2, win::ControlKind::Static},
        {IDC_NUMBER2, win::ControlKind::Static},
        {IDC_CONFERENCE, win::ControlKind::CheckBox, "&Create a Conference"},
        {IDC_ELAPSED, win::ControlKind::Static},
        {win::IDOK, win::ControlKind::DefaultButton, "Transfer"},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel Consultation"},
        {IDC_CLOSE_WINDOW, win::ControlKind::PushButton, "Close Window"},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("Complete a Consultation Transfer"));

    auto *calls = new QGridLayout;
    calls->addWidget(AddLabel(QStringLiteral("Call # 1:")), 0, 0, Qt::AlignTop);
    calls->addWidget(AddLabel(QStringLiteral("To:")), 0, 2, Qt::AlignTop);
    for (int row = 0; row < 3; ++row) {
        calls->addWidget(GetDlgItem(IDC_STATE1 + row), row, 1);
        calls->addWidget(GetDlgItem(IDC_STATE2 + row), row, 3);
    }
    calls->setColumnStretch(1, 1);
    calls->setColumnStretch(3, 1);
    auto *progress = new QHBoxLayout;
    progress->addWidget(GetDlgItem(IDC_CONFERENCE));
    progress->addStretch();
    progress->addWidget(GetDlgItem(IDC_ELAPSED));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(calls);
    layout->addLayout(progress);
    layout->addLayout(ButtonRow(*this, {win::IDOK, win::IDCANCEL, IDC_CLOSE_WINDOW}));

    BindText(IDC_STATE1, first_.state);
    BindText(IDC_NAME1, first_.party.name);
    BindText(IDC_NUMBER1, first_.party.number);
    BindText(IDC_STATE2, consult_.state);
    BindText(IDC_NAME2, consult_.party.name);
    BindText(IDC_NUMBER2, consult_.party.number);
    BindCheck(IDC_CONFERENCE, conference_);
    BindText(IDC_ELAPSED, elapsed_);
    OnClicked(IDC_CLOSE_WINDOW, [this] { EndDialog(IDC_CLOSE_WINDOW); });
}

CTapiCall *CCompleteTransferDlg::Live(const Block &block)
{
    return IsCallAlive(block.line, block.call, block.handle) ? block.call : nullptr;
}

DWORD CCompleteTransferDlg::Features(const Block &block)
{
    CTapiCall *call = Live(block);
    const auto status = call ? call->GetCallStatus() : nullptr;
    return status ? status->dwCallFeatures : 0;
}

void CCompleteTransferDlg::ShowParty(Block &block)
{
    if (CTapiCall *call = Live(block))
        block.party = PartyOf(*call);
}

void CCompleteTransferDlg::RefreshStates()
{
    for (Block *block : {&first_, &consult_}) {
        if (CTapiCall *call = Live(*block))
            block->state = ToQString(call->GetCallStateText());
    }
}

void CCompleteTransferDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    ShowParty(first_);
    ShowParty(consult_);
    RefreshStates();
    win::Dialog::OnInitDialog();
    if (conferenceMode_) {
        setWindowTitle(QStringLiteral("Complete the Conference"));
        SetDlgItemText(win::IDOK, QStringLiteral("Conference"));
        ShowDlgItem(IDC_CONFERENCE, false);
        EnableDlgItem(IDC_CONFERENCE, false);
    } else {
        ApplyTransferModes();
    }
    SetTimer(kTimerId, kTimerPeriodMs);
}

void CCompleteTransferDlg::ApplyTransferModes()
{
    CTapiCall *call = Live(first_);
    CTapiAddress *address = call ? call->GetAddress() : nullptr;
    const auto caps = address ? address->GetAddressCaps() : nullptr;
    if (!caps)
        return;
    const DWORD modes = caps->dwTransferModes;
    if ((modes & LINETRANSFERMODE_CONFERENCE) && (modes & LINETRANSFERMODE_TRANSFER))
        return;
    conference_ = (modes & LINETRANSFERMODE_CONFERENCE) ? 1 : 0;
    CheckDlgButton(IDC_CONFERENCE, conference_);
    EnableDlgItem(IDC_CONFERENCE, false);
}

void CCompleteTransferDlg::OnTimer(int id)
{
    if (id != kTimerId)
        return;
    UpdateData(true);
    elapsed_ = FormatElapsedTime(WallSeconds() - startSeconds_);
    RefreshStates();
    UpdateData(false);
}

void CCompleteTransferDlg::OnOK()
{
    if (!conferenceMode_) {
        if (!(Features(consult_) & LINECALLFEATURE_COMPLETETRANSF) &&
            !(Features(first_) & LINECALLFEATURE_COMPLETETRANSF)) {
            ShowStatus("Call not in proper state to complete the transfer");
            return;
        }
    } else if (!(Features(consult_) & LINECALLFEATURE_ADDTOCONF)) {
        ShowStatus("Call not in proper state to add to the conference");
        return;
    }
    UpdateData(true);
    EndDialog(win::IDOK);
}
