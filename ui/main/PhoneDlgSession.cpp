// The main window's session half: line devices and addresses, opening and
// closing lines, the open-line stepper, the line-status boxes and Configure.
#include <ui/main/PhoneDlg.h>

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
#include <array>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kOpenPrivileges = LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR;
constexpr DWORD kForwardFeatures = LINEFEATURE_FORWARD | LINEFEATURE_FORWARDFWD | LINEFEATURE_FORWARDDND;
constexpr DWORD kAllLineStates = 0x1FFFFFF;
constexpr DWORD kAllAddressStates = 0x1FF;

struct MediaMode {
    DWORD mode;
    const char *name;
};

// The single media modes tried, in this order, when a line refuses its whole mode set.
constexpr std::array<MediaMode, 13> kFallbackModes{{
    {LINEMEDIAMODE_INTERACTIVEVOICE, "Voice"},
    {LINEMEDIAMODE_DATAMODEM, "DataModem"},
    {LINEMEDIAMODE_AUTOMATEDVOICE, "AutomatedVoice"},
    {LINEMEDIAMODE_DIGITALDATA, "DigitalData"},
    {LINEMEDIAMODE_G3FAX, "G3 FAX"},
    {LINEMEDIAMODE_G4FAX, "G4 FAX"},
    {LINEMEDIAMODE_TDD, "TDD"},
    {LINEMEDIAMODE_TELETEX, "TeleTex"},
    {LINEMEDIAMODE_VIDEOTEX, "VideoTex"},
    {LINEMEDIAMODE_TELEX, "Telex"},
    {LINEMEDIAMODE_MIXED, "Mixed"},
    {LINEMEDIAMODE_ADSI, "ADSI"},
    {LINEMEDIAMODE_VOICEVIEW, "VoiceView"},
}};

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
            RemoveOpenLine(line);
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
        UpdateOpenLineLabel(line);
        RemoveOpenLine(line);
        win::MessageBox(this, QStringLiteral("The line was removed by TAPI."));
        win::ListControl devices = Items(IDC_DEVICE);
        devices.DeleteString(devices.GetCurSel());
        devices.SetCurSel(0);
        ClearStatus();
        line = GetSelectedLine();
    }
    if (!line)
        return;
    UpdateOpenLineLabel(line);
    RefillAddressList(line);
    OnAddressChange();
    if (line->IsOpen()) {
        calls_.clear();
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
            name.isEmpty() ? QStringLiteral("Address %1").arg(id) : QStringLiteral("%1 - ID %2").arg(name).arg(id);
        addresses.SetItemDataPtr(addresses.AddString(entry), address);
    }
    addresses.SetCurSel(0);
}

void CPhoneDlg::OnAddressChange()
{
    CTapiAddress *address = GetSelectedAddress();
    if (!address) {
        UpdateMakeCallButtons(0);
        EnableDlgItem(IDC_AGENT, false);
        return;
    }
    const auto status = address->GetAddressStatus();
    const auto caps = address->GetAddressCaps();
    UpdateMakeCallButtons(status ? status->dwAddressFeatures : 0);
    EnableDlgItem(IDC_AGENT, status && address->IsAgentSupported());
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
        RemoveOpenLine(line);
        if (const DWORD result = line->Close())
            ReportResult("lineClose", result);
        OnAddressChange();
        return;
    }
    if (const DWORD result = OpenSelectedLine(line)) {
        ReportResult("lineOpen", result);
        OnAddressChange();
        return;
    }
    const auto caps = line->GetLineCaps();
    const DWORD lineStates = caps ? caps->dwLineStates & kAllLineStates : kAllLineStates;
    CTapiAddress *address = GetSelectedAddress();
    const auto addressCaps = address ? address->GetAddressCaps() : nullptr;
    const DWORD addressStates = addressCaps ? addressCaps->dwAddressStates & kAllAddressStates : kAllAddressStates;
    if (const DWORD result = line->SetStatusMessages(lineStates, addressStates))
        ReportResult("lineSetStatusMessages", result);
    AppendOpenLine(line);
    ShowLineOpen();
    OnAddressChange();
}

DWORD CPhoneDlg::OpenSelectedLine(CTapiLine *line)
{
    const auto caps = line->GetLineCaps();
    const DWORD modes = caps ? caps->dwMediaModes & ~LINEMEDIAMODE_UNKNOWN : 0;
    DWORD result = line->Open(kOpenPrivileges, modes);
    if (result != LINEERR_INVALMEDIAMODE)
        return result;
    // Some providers open a line for one media mode only: try them one by one.
    for (const MediaMode &fallback : kFallbackModes) {
        if (!(modes & fallback.mode))
            continue;
        result = line->Open(kOpenPrivileges, fallback.mode);
        if (result == 0) {
            ShowStatus("Forced to open line with media mode %s", fallback.name);
            return 0;
        }
    }
    return result;
}

void CPhoneDlg::ShowLineOpen()
{
    CTapiLine *line = GetSelectedLine();
    if (!line)
        return;
    SetDlgItemText(IDC_SESSION, QStringLiteral("End Session"));
    EnableDlgItem(IDC_CONFIGURE);
    EnableDlgItem(IDC_NUMBER);
    EnableDlgItem(IDC_PHONE, line->GetPhoneID() != CTapiLine::kNoDevice);

    const auto status = line->GetLineStatus();
    if (!status)
        return;
    const DWORD flags = status->dwDevStatusFlags;
    msgWaiting_ = (flags & LINEDEVSTATUSFLAGS_MSGWAIT) != 0;
    locked_ = (flags & LINEDEVSTATUSFLAGS_LOCKED) != 0;
    connected_ = (flags & LINEDEVSTATUSFLAGS_CONNECTED) != 0;
    inService_ = (flags & LINEDEVSTATUSFLAGS_INSERVICE) != 0;
    badPassword_ = line->GetInvalidPasswordState() != 0;

    const auto caps = line->GetLineCaps();
    const DWORD settable = caps ? caps->dwSettableDevStatus : 0;
    EnableDlgItem(IDC_CON, settable & LINEDEVSTATUSFLAGS_CONNECTED);
    EnableDlgItem(IDC_SVC, settable & LINEDEVSTATUSFLAGS_INSERVICE);
    EnableDlgItem(IDC_LCK, settable & LINEDEVSTATUSFLAGS_LOCKED);
    EnableDlgItem(IDC_MWI, settable & LINEDEVSTATUSFLAGS_MSGWAIT);
    EnableDlgItem(IDC_PWD, false);

    ShowLineCalls(line);
    UpdateData(false);
}

void CPhoneDlg::ShowLineCalls(CTapiLine *line)
{
    // Calls the line had not seen yet are announced (and listed) right here.
    const DWORD count = line->RefreshCalls();
    if (calls_.size() == count) {
        // Keep the call shown when it is still listed.
        const auto shown = std::find(calls_.begin(), calls_.end(), GetCurrentCall());
        ShowCall(shown == calls_.end() ? 0 : static_cast<int>(shown - calls_.begin()));
        return;
    }
    std::vector<CTapiCall *> lineCalls;
    for (DWORD index = 0; index < count; ++index) {
        if (CTapiCall *call = line->GetCall(index))
            lineCalls.push_back(call);
    }
    calls_.clear();
    currentCall_ = 0;
    SetRange(IDC_CALL_SPIN, 0, 0);
    // Adding may deallocate an idle call, which changes the line's own list.
    for (CTapiCall *call : lineCalls)
        AddCall(call);
}

void CPhoneDlg::ShowLineClosed()
{
    SetDlgItemText(IDC_SESSION, QStringLiteral("Start Session"));
    EnableDlgItem(IDC_CONFIGURE, false);
    EnableDlgItem(IDC_PHONE, false);
    EnableDlgItem(IDC_NUMBER, false);
    // The number goes first: the make-call rule must not see a number that the
    // closed line no longer has.
    number_.clear();
    SetDlgItemText(IDC_NUMBER, number_);
    UpdateMakeCallButtons(0);
    ClearCallDisplay();
    msgWaiting_ = locked_ = connected_ = inService_ = badPassword_ = 0;
    calls_.clear();
    currentCall_ = 0;
    SetRange(IDC_CALL_SPIN, 0, 0);
    UpdateData(false);
}

void CPhoneDlg::OnLineStatusClicked()
{
    const std::array<int *, 4> values{&connected_, &inService_, &locked_, &msgWaiting_};
    const std::array<int, 4> saved{connected_, inService_, locked_, msgWaiting_};
    CTapiLine *line = GetSelectedLine();
    const auto caps = line ? line->GetLineCaps() : nullptr;
    if (!caps || !(caps->dwLineFeatures & LINEFEATURE_SETDEVSTATUS)) {
        // The click toggled the box; the line's status did not change.
        UpdateData(false);
        return;
    }
    UpdateData(true);
    constexpr std::array<DWORD, 4> kFlags{LINEDEVSTATUSFLAGS_CONNECTED, LINEDEVSTATUSFLAGS_INSERVICE,
                                          LINEDEVSTATUSFLAGS_LOCKED, LINEDEVSTATUSFLAGS_MSGWAIT};
    DWORD statusToChange = 0;
    bool on = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (*values[i] != saved[i]) {
            statusToChange = kFlags[i];
            on = *values[i] != 0;
            break;
        }
    }
    const DWORD result =
        GetTapiConnection()->WaitForReply(line->SetLineDevStatus(statusToChange, on), kTapiReplyTimeout);
    if (result == 0)
        return;
    ReportResult("lineSetLineDevStatus", result);
    for (std::size_t i = 0; i < values.size(); ++i)
        *values[i] = saved[i];
    UpdateData(false);
}

void CPhoneDlg::AppendOpenLine(CTapiLine *line)
{
    if (std::find(openLines_.begin(), openLines_.end(), line) == openLines_.end())
        openLines_.push_back(line);
    SetRange(IDC_LINE_SPIN, 0, static_cast<int>(openLines_.size()));
    UpdateOpenLineLabel(line);
}

void CPhoneDlg::RemoveOpenLine(CTapiLine *line)
{
    const auto found = std::find(openLines_.begin(), openLines_.end(), line);
    if (found != openLines_.end())
        openLines_.erase(found);
    SetRange(IDC_LINE_SPIN, 0, static_cast<int>(openLines_.size()));
    UpdateOpenLineLabel(nullptr);
}

void CPhoneDlg::UpdateOpenLineLabel(CTapiLine *line)
{
    const int count = static_cast<int>(openLines_.size());
    openLineLabel_ = QStringLiteral("%1 Open").arg(count);
    openLinePosition_ = 0;
    const auto found = line ? std::find(openLines_.begin(), openLines_.end(), line) : openLines_.end();
    if (found != openLines_.end()) {
        openLinePosition_ = static_cast<int>(found - openLines_.begin());
        openLineLabel_ = QStringLiteral("%1 of %2").arg(openLinePosition_ + 1).arg(count);
    }
    SetPos(IDC_LINE_SPIN, openLinePosition_);
    UpdateData(false);
}

void CPhoneDlg::OnLineSpin(int step)
{
    const int count = static_cast<int>(openLines_.size());
    if (count == 0)
        return;
    if (step <= 0 && openLinePosition_ > 0)
        --openLinePosition_;
    else if (step > 0 && openLinePosition_ < count - 1)
        ++openLinePosition_;
    openLinePosition_ = std::min(openLinePosition_, count - 1);
    CTapiLine *line = openLines_[static_cast<std::size_t>(openLinePosition_)];
    win::ListControl devices = Items(IDC_DEVICE);
    const int index = IndexOfItem(devices, line);
    if (index < 0)
        return;
    ClearStatus();
    devices.SetCurSel(index);
    OnDeviceChange();
    UpdateOpenLineLabel(line);
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
