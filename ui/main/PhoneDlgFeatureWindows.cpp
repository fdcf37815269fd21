// The main window's commands that open a feature window: call completion on
// the current call, the call forwarding list of the selected line, and the
// agent state window of the selected address (one per address, modeless).
#include <ui/main/PhoneDlg.h>

#include <app/ResultReporting.h>
#include <ui/dialogs/AgentStateDlg.h>
#include <ui/dialogs/CompleteCall.h>
#include <ui/dialogs/ForwardList.h>
#include <ui/main/CommandSteps.h>
#include <window/Messages.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiLine.h"

void CPhoneDlg::OnComplete()
{
    ClearStatus();
    CTapiCall *current = GetCurrentCall();
    if (!current)
        return;
    // The dialog lets events in; the call object outlives it, its handle may not.
    const CTapiCallPtr call = current->Ref();
    if (!call)
        return;
    CTapiLine *callLine = call->GetLine();
    const HCALL handle = call->GetCallHandle();
    CCompleteCall dialog(this, call.get());
    if (dialog.DoModal() != win::IDOK)
        return;
    if (!IsCallAlive(callLine, call.get(), handle)) {
        ReportResult("lineCompleteCall", LINEERR_INVALCALLHANDLE);
        return;
    }
    if (!TakeOwnership({call.get()}))
        return;
    DWORD completionId = 0;
    const DWORD result = call->CompleteCall(&completionId, dialog.GetCompletionMode(), dialog.GetMessageId());
    if (WaitAndReport("lineCompleteCall", result) != 0)
        return;
    ShowStatus("Call Completion ID 0x%lx", static_cast<unsigned long>(completionId));
}

void CPhoneDlg::OnForward()
{
    CTapiLine *line = GetSelectedLine();
    if (!line || !GetSelectedAddress())
        return;
    UpdateData(true);
    ClearStatus();
    // A consultation call that forwarding created has been dropped by the list;
    // once idle it leaves the call list and is deallocated like any other.
    CForwardList list(this, line, [this](CTapiCall *call) {
        if (call && call->GetCallState() == LINECALLSTATE_IDLE)
            RemoveCall(call);
    });
    // While the list is open, every address change rebuilds it.
    SetForwardListRefresh([&list] { list.Rebuild(); });
    list.DoModal();
    SetForwardListRefresh({});
}

void CPhoneDlg::OnAgent()
{
    CTapiAddress *address = GetSelectedAddress();
    if (!address)
        return;
    const auto found = agentWindows_.find(address);
    if (found != agentWindows_.end()) {
        win::Dialog *window = found->second.data();
        if (window && win::IsWindow(window->GetSafeHwnd())) {
            window->show();
            window->raise();
            window->activateWindow();
            return;
        }
        // Its window went without telling: the object goes too, and a new one opens.
        delete window;
        agentWindows_.erase(found);
    }
    auto *window = new CAgentStateDlg(this, address, [this](CTapiAddress *closed) { agentWindows_.erase(closed); });
    agentWindows_[address] = window;
    window->raise();
    window->activateWindow();
}
