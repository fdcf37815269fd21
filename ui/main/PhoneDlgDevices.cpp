// The main window's device half: the device and address lists, the make-call
// buttons, and the session button, which the line session carries out; the
// calls of a line shown open go to the call list.
#include <ui/main/PhoneDlg.h>

#include <ui/main/CallList.h>
#include <ui/main/LineSession.h>

#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <resources/resource.h>
#include <window/Shell.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "TapiFields.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kForwardFeatures = LINEFEATURE_FORWARD | LINEFEATURE_FORWARDFWD | LINEFEATURE_FORWARDDND;

int IndexOfItem(const win::ListControl &list, const void *object)
{
    for (int index = 0; index < list.GetCount(); ++index) {
        if (list.GetItemDataPtr<void>(index) == object)
            return index;
    }
    return -1;
}

} // namespace

CTapiLine *CPhoneDlg::GetSelectedLine() const
{
    const win::ListControl devices = Items(IDC_DEVICE);
    const int selected = devices.GetCurSel();
    return selected < 0 ? nullptr : devices.GetItemDataPtr<CTapiLine>(selected);
}

const std::vector<CTapiLine *> &CPhoneDlg::GetOpenLines() const
{
    return session_->OpenLines();
}

CTapiAddress *CPhoneDlg::GetSelectedAddress() const
{
    const win::ListControl addresses = Items(IDC_ADDRESS);
    const int selected = addresses.GetCurSel();
    return selected < 0 ? nullptr : addresses.GetItemDataPtr<CTapiAddress>(selected);
}

void CPhoneDlg::FillDeviceList()
{
    win::ListControl devices = Items(IDC_DEVICE);
    const int rememberedIndex = devices.GetCurSel();
    CTapiLine *const rememberedLine = GetSelectedLine();
    devices.ResetContent();

    CTapiConnection *session = GetTapiConnection();
    CTapiLine *preferred = nullptr;
    std::vector<std::pair<QString, CTapiLine *>> entries;
    const DWORD count = session->GetLineCount();
    for (DWORD id = 0; id < count; ++id) {
        CTapiLine *line = session->GetLine(id);
        if (!line)
            continue;
        if (!line->IsValid()) {
            session_->RemoveOpenLine(line);
            continue;
        }
        QString name = ToQString(line->GetLineName());
        if (!preferredLine_.isEmpty() && name == preferredLine_)
            preferred = line;
        entries.emplace_back(std::move(name), line);
    }
    // In the sorted list's own order, appended: adding each entry at its sorted
    // place would compare it with every entry before it.
    std::stable_sort(entries.begin(), entries.end(), [](const auto &left, const auto &right) {
        return QString::compare(left.first, right.first, Qt::CaseInsensitive) < 0;
    });
    for (const auto &[name, line] : entries)
        devices.SetItemDataPtr(devices.InsertString(-1, name), line);

    if (preferred) {
        devices.SetCurSel(IndexOfItem(devices, preferred));
        EnableDlgItem(IDC_SESSION);
        OnDeviceChange();
        OnSession();
    } else if (devices.GetCount() > 0) {
        // The list is sorted, so a line added or removed moves the others: keep
        // the line that was selected, and fall back on its old place when it is gone.
        int selection = IndexOfItem(devices, rememberedLine);
        if (selection < 0)
            selection = rememberedIndex >= 0 && rememberedIndex < devices.GetCount() ? rememberedIndex : 0;
        devices.SetCurSel(selection);
        EnableDlgItem(IDC_SESSION);
        OnDeviceChange();
    }
    preferredLine_.clear();
}

void CPhoneDlg::OnDeviceChange()
{
    ClearStatus();
    CTapiLine *line = GetSelectedLine();
    while (line && !line->IsValid()) {
        session_->UpdateOpenLineLabel(line);
        session_->RemoveOpenLine(line);
        win::MessageBox(this, QStringLiteral("The line was removed by TAPI."));
        win::ListControl devices = Items(IDC_DEVICE);
        devices.DeleteString(devices.GetCurSel());
        devices.SetCurSel(0);
        ClearStatus();
        line = GetSelectedLine();
    }
    if (!line)
        return;
    session_->UpdateOpenLineLabel(line);
    RefillAddressList(line);
    OnAddressChange();
    if (line->IsOpen()) {
        callList_->Clear();
        ShowLineOpen();
    } else {
        ShowLineClosed();
    }
}

void CPhoneDlg::RefillAddressList(CTapiLine *line)
{
    win::ListControl addresses = Items(IDC_ADDRESS);
    addresses.ResetContent();
    const DWORD count = line->GetAddressCount();
    for (DWORD id = 0; id < count; ++id) {
        CTapiAddress *address = line->GetAddress(id);
        if (!address)
            continue;
        // An empty address string is not the same as capabilities that cannot be read.
        const auto caps = address->GetAddressCaps();
        const QString name = caps ? ToQString(ReadTapiString(caps.get(), caps->dwAddressOffset, caps->dwAddressSize))
                                  : QStringLiteral("Address unknown");
        const QString entry =
            name.isEmpty() ? QStringLiteral("Address %1").arg(id) : QStringLiteral("%1 - ID %2").arg(name, QString::number(id));
        addresses.SetItemDataPtr(addresses.AddString(entry), address);
    }
    addresses.SetCurSel(0);
}

void CPhoneDlg::OnAddressChange()
{
    CTapiAddress *address = GetSelectedAddress();
    if (!address) {
        UpdateMakeCallButtons(0);
        UpdateAgentButton(nullptr, false);
        return;
    }
    const auto status = address->GetAddressStatus();
    const auto caps = address->GetAddressCaps();
    UpdateMakeCallButtons(status ? status->dwAddressFeatures : 0);
    UpdateAgentButton(address, status != nullptr);
    if (caps) {
        const quint64 maxCalls =
            quint64{caps->dwMaxNumActiveCalls} + caps->dwMaxNumOnHoldCalls + caps->dwMaxNumOnHoldPendingCalls;
        maxCalls_ = QString::number(maxCalls);
    } else {
        maxCalls_ = QStringLiteral("?");
    }
    UpdateData(false);
    if (forwardRefresh_)
        forwardRefresh_();
}

void CPhoneDlg::UpdateAgentButton(CTapiAddress *address, bool statusRead)
{
    // The address keeps TAPI's answer, so this runs on every keystroke without
    // asking again; an answer still on its way is picked up by the timer.
    const CTapiAgentSupport support =
        address && statusRead ? address->GetAgentSupport() : CTapiAgentSupport::Unsupported;
    agentAnswerPending_ = support == CTapiAgentSupport::Pending ? address : nullptr;
    EnableDlgItem(IDC_AGENT, support == CTapiAgentSupport::Supported);
}

void CPhoneDlg::UpdateMakeCallButtons(DWORD addressFeatures)
{
    UpdateData(true);
    if (addressFeatures != 0)
        addressFeatures_ = addressFeatures;
    CTapiLine *line = GetSelectedLine();
    const bool canDial = line && GetSelectedAddress() && (!number_.isEmpty() || win::IsCtrlKeyDown());
    EnableDlgItem(IDC_MAKECALL, canDial && (addressFeatures_ & LINEADDRFEATURE_MAKECALL));
    EnableDlgItem(IDC_PICKUP, canDial && (addressFeatures_ & LINEADDRFEATURE_PICKUP));
    EnableDlgItem(IDC_UNPARK, canDial && (addressFeatures_ & LINEADDRFEATURE_UNPARK));
    const auto status = line ? line->GetLineStatus() : nullptr;
    EnableDlgItem(IDC_FORWARD, status && (status->dwLineFeatures & kForwardFeatures));
}

void CPhoneDlg::OnSession()
{
    ClearStatus();
    ShowLineClosed();
    CTapiLine *line = GetSelectedLine();
    if (!line)
        return;
    if (line->IsOpen()) {
        session_->Close(*line);
        OnAddressChange();
        return;
    }
    if (session_->Open(*line, GetSelectedAddress()))
        ShowLineOpen();
    OnAddressChange();
}

void CPhoneDlg::ShowLineOpen()
{
    CTapiLine *line = GetSelectedLine();
    if (!line)
        return;
    // A line whose status cannot be read keeps its status boxes as they are, but
    // its calls are listed all the same: they exist, and the user must be able to
    // see and drop them.
    const bool statusShown = session_->ShowOpen(*line);
    ShowLineCalls(line);
    if (statusShown)
        UpdateData(false);
}

void CPhoneDlg::ShowLineCalls(CTapiLine *line)
{
    // Calls the line had not seen yet are announced (and listed) right here.
    const DWORD count = line->RefreshCalls();
    if (static_cast<DWORD>(callList_->Size()) == count) {
        // Keep the call shown when it is still listed.
        const int shown = callList_->IndexOf(GetCurrentCall());
        ShowCall(shown < 0 ? 0 : shown);
        return;
    }
    std::vector<CTapiCallPtr> lineCalls;
    for (DWORD index = 0; index < count; ++index) {
        if (CTapiCall *call = line->GetCall(index))
            lineCalls.push_back(call->Ref());
    }
    callList_->Clear();
    SetRange(IDC_CALL_SPIN, 0, 0);
    // Adding may release an idle call, which changes the line's own list.
    for (const CTapiCallPtr &call : lineCalls)
        AddCall(call.get());
}

void CPhoneDlg::ShowLineClosed()
{
    session_->ShowClosedControls();
    // The number goes first: the make-call rule must not see a number that the
    // closed line no longer has.
    number_.clear();
    SetDlgItemText(IDC_NUMBER, number_);
    UpdateMakeCallButtons(0);
    ClearCallDisplay();
    session_->ResetStatus();
    callList_->Clear();
    SetRange(IDC_CALL_SPIN, 0, 0);
    UpdateData(false);
}

void CPhoneDlg::OnLineSpin(int step)
{
    CTapiLine *line = session_->Step(step);
    if (!line)
        return;
    win::ListControl devices = Items(IDC_DEVICE);
    const int index = IndexOfItem(devices, line);
    if (index < 0)
        return;
    ClearStatus();
    devices.SetCurSel(index);
    OnDeviceChange();
    session_->UpdateOpenLineLabel(line);
}

void CPhoneDlg::OnConfigure()
{
    ClearStatus();
    if (CTapiLine *line = GetSelectedLine()) {
        const auto owner = static_cast<HWND>(win::ToNativeHandle(GetSafeHwnd()));
        if (const DWORD result = line->ConfigDialog(owner, nullptr))
            ReportResult("lineConfigDialog", result);
    }
}
