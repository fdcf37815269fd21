#include <ui/dialogs/CallDetailDlg.h>

#include <app/ResultReporting.h>
#include <ui/controls/HexEdit.h>
#include <window/Fonts.h>

#include "CTapiConnection.h"
#include "TapiFields.h"

CCallDetailDlg::CCallDetailDlg(QWidget *parent, CTapiCall *call) : win::Dialog(parent), ref_(call->Ref()), call_(call)
{
}

CHexEdit *CCallDetailDlg::AddHexViewer(int id)
{
    auto *viewer = new CHexEdit;
    if (!RegisterControl(id, win::ControlKind::MultiLineEdit, viewer)) {
        delete viewer;
        return nullptr;
    }
    viewers_.push_back(viewer);
    return viewer;
}

void CCallDetailDlg::ShowInfoField(CHexEdit &viewer, const LINECALLINFO *info, DWORD offset, DWORD size)
{
    if (!info || size == 0 || !TapiFieldPresent(info, offset, size)) {
        viewer.SetData(nullptr, 0);
        return;
    }
    viewer.SetData(reinterpret_cast<const unsigned char *>(info) + offset, size);
}

DWORD CCallDetailDlg::FreshCallFeatures() const
{
    const auto status = call_->GetCallStatus();
    return status ? status->dwCallFeatures : 0;
}

bool CCallDetailDlg::TakeOwner() const
{
    const DWORD result = call_->SetCallPrivilege(LINECALLPRIVILEGE_OWNER);
    if (result == 0)
        return true;
    ReportResult("lineSetCallPrivilege", result);
    return false;
}

DWORD CCallDetailDlg::WaitAndReport(const char *operation, DWORD result)
{
    const DWORD outcome = GetTapiConnection()->WaitForReply(result, kTapiReplyTimeout);
    if (outcome != 0)
        ReportResult(operation, outcome);
    return outcome;
}

void CCallDetailDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    for (CHexEdit *viewer : viewers_)
        viewer->Attach();
    win::Dialog::OnInitDialog();
}
