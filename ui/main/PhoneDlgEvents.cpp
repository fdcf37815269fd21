// What the main window does with the events the bridge sends and posts from
// the TAPI event threads, and with a request to draw attention to a button.
#include <ui/main/PhoneDlg.h>

#include <ui/main/CallList.h>
#include <ui/main/LineSession.h>

#include <app/AppMessages.h>
#include <app/ResultReporting.h>
#include <resources/resource.h>
#include <window/Clock.h>
#include <window/Messages.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiLine.h"

#include <algorithm>

namespace {

// A control flashes five times, 50 ms bold and 50 ms plain each time; the same
// control does not flash again within a second of its last flash.
constexpr int kFlashes = 5;
constexpr std::uint32_t kFlashStepMs = 50;
constexpr std::uint32_t kFlashQuietMs = 1000;

} // namespace

void CPhoneDlg::BindEventMessages()
{
    OnMessage(WM_TAPI_NEWCALL, [this](win::WPARAM call, win::LPARAM) {
        AddCall(ParamObject<CTapiCall>(call));
        return 0;
    });
    OnMessage(WM_TAPI_CALLCHANGED, [this](win::WPARAM, win::LPARAM call) {
        OnCallChanged(ParamObject<CTapiCall>(call));
        return 0;
    });
    OnMessage(WM_TAPI_ADDRESSCHANGED, [this](win::WPARAM address, win::LPARAM states) {
        OnAddressStateChanged(ParamObject<CTapiAddress>(address), static_cast<DWORD>(states));
        return 0;
    });
    OnMessage(WM_TAPI_LINECHANGED, [this](win::WPARAM line, win::LPARAM) {
        OnLineStateChanged(ParamObject<CTapiLine>(line));
        return 0;
    });
    OnMessage(WM_FLASH_CONTROL, [this](win::WPARAM id, win::LPARAM) {
        FlashControl(static_cast<int>(id));
        return 0;
    });
    OnMessage(WM_TAPI_LINECREATED, [this](win::WPARAM, win::LPARAM) {
        FillDeviceList();
        return 0;
    });
    OnMessage(WM_TAPI_LINEREMOVED, [this](win::WPARAM, win::LPARAM) {
        FillDeviceList();
        return 0;
    });
    OnMessage(WM_TAPI_LINECLOSING, [this](win::WPARAM line, win::LPARAM) {
        ForgetCallsOf(ParamObject<CTapiLine>(line));
        return 0;
    });
    OnMessage(WM_TAPI_LINECLOSED, [this](win::WPARAM line, win::LPARAM) {
        OnLineClosed(ParamObject<CTapiLine>(line));
        return 0;
    });
    OnMessage(WM_TAPI_AGENTCHANGED, [this](win::WPARAM address, win::LPARAM states) {
        OnAgentStatusChanged(address, states);
        return 0;
    });
}

void CPhoneDlg::OnCallChanged(CTapiCall *call)
{
    if (!call)
        return;
    if (call->GetCallState() == LINECALLSTATE_IDLE) {
        RemoveCall(call);
        return;
    }
    if (call == GetCurrentCall())
        ShowCall(GetCurrentCallIndex());
}

void CPhoneDlg::OnAddressStateChanged(CTapiAddress *address, DWORD states)
{
    if (!address || address != GetSelectedAddress())
        return;
    OnAddressChange();
    if (states == LINEADDRESSSTATE_CAPSCHANGE)
        OnDeviceChange();
}

void CPhoneDlg::OnLineStateChanged(CTapiLine *line)
{
    if (!line || line != GetSelectedLine())
        return;
    session_->ReportStatus(*line);
    // A line closed meanwhile has no status to show; its close is handled apart.
    if (line->IsOpen())
        ShowLineOpen();
}

void CPhoneDlg::ForgetCallsOf(CTapiLine *line)
{
    // The line lets its calls go as soon as this returns: their handles go with them.
    callList_->ForgetLine(line);
}

void CPhoneDlg::OnLineClosed(CTapiLine *line)
{
    const auto &openLines = session_->OpenLines();
    if (std::find(openLines.begin(), openLines.end(), line) != openLines.end()) {
        session_->RemoveOpenLine(line);
        // Another line may be the one shown, and open.
        session_->UpdateOpenLineLabel(GetSelectedLine());
    }
    if (line == GetSelectedLine())
        ShowLineClosed();
}

void CPhoneDlg::OnAgentStatusChanged(win::WPARAM address, win::LPARAM states)
{
    const auto found = agentWindows_.find(ParamObject<CTapiAddress>(address));
    if (found != agentWindows_.end() && found->second)
        win::PostMessage(found->second->GetSafeHwnd(), WM_TAPI_AGENTCHANGED, address, states);
    OnAddressChange();
}

void CPhoneDlg::FlashControl(int id)
{
    if (id == lastFlashId_ && win::GetTickCount() - lastFlashEnd_ <= kFlashQuietMs)
        return;
    if (QWidget *control = GetDlgItem(id)) {
        // The window handles no messages meanwhile: the flash is short, and a
        // burst of changes to the same item is held off by the quiet time above.
        for (int flash = 0; flash < kFlashes; ++flash) {
            control->setFont(boldFont_);
            control->repaint();
            win::Sleep(kFlashStepMs);
            control->setFont(stockFont_);
            control->repaint();
            win::Sleep(kFlashStepMs);
        }
    }
    lastFlashId_ = id;
    lastFlashEnd_ = win::GetTickCount();
}
