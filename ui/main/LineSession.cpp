#include <ui/main/LineSession.h>

#include <app/ResultReporting.h>
#include <resources/resource.h>
#include <window/Dialog.h>

#include "CTapiAddress.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

#include <algorithm>
#include <array>

namespace {

constexpr DWORD kOpenPrivileges = LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR;
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

} // namespace

CLineSession::CLineSession(win::Dialog &window) : window_(window)
{
    window_.BindText(IDC_LINE_POSITION, openLineLabel_);
    window_.BindCheck(IDC_MWI, msgWaiting_);
    window_.BindCheck(IDC_LCK, locked_);
    window_.BindCheck(IDC_CON, connected_);
    window_.BindCheck(IDC_SVC, inService_);
    window_.BindCheck(IDC_PWD, badPassword_);
}

bool CLineSession::Open(CTapiLine &line, CTapiAddress *address)
{
    if (const DWORD result = OpenWithMediaModes(line)) {
        ReportResult("lineOpen", result);
        return false;
    }
    const auto caps = line.GetLineCaps();
    const DWORD lineStates = caps ? caps->dwLineStates & kAllLineStates : kAllLineStates;
    const auto addressCaps = address ? address->GetAddressCaps() : nullptr;
    const DWORD addressStates = addressCaps ? addressCaps->dwAddressStates & kAllAddressStates : kAllAddressStates;
    if (const DWORD result = line.SetStatusMessages(lineStates, addressStates))
        ReportResult("lineSetStatusMessages", result);
    AppendOpenLine(&line);
    return true;
}

DWORD CLineSession::OpenWithMediaModes(CTapiLine &line)
{
    const auto caps = line.GetLineCaps();
    const DWORD modes = caps ? caps->dwMediaModes & ~LINEMEDIAMODE_UNKNOWN : 0;
    DWORD result = line.Open(kOpenPrivileges, modes);
    if (result != LINEERR_INVALMEDIAMODE)
        return result;
    // Some providers open a line for one media mode only: try them one by one.
    for (const MediaMode &fallback : kFallbackModes) {
        if (!(modes & fallback.mode))
            continue;
        result = line.Open(kOpenPrivileges, fallback.mode);
        if (result == 0) {
            ShowStatus("Forced to open line with media mode %s", fallback.name);
            return 0;
        }
    }
    return result;
}

void CLineSession::Close(CTapiLine &line)
{
    RemoveOpenLine(&line);
    if (const DWORD result = line.Close())
        ReportResult("lineClose", result);
}

bool CLineSession::ShowOpen(CTapiLine &line)
{
    window_.SetDlgItemText(IDC_SESSION, QStringLiteral("End Session"));
    window_.EnableDlgItem(IDC_CONFIGURE);
    window_.EnableDlgItem(IDC_NUMBER);
    window_.EnableDlgItem(IDC_PHONE, line.GetPhoneID() != CTapiLine::kNoDevice);

    const auto status = line.GetLineStatus();
    if (!status)
        return false;
    const DWORD flags = status->dwDevStatusFlags;
    msgWaiting_ = (flags & LINEDEVSTATUSFLAGS_MSGWAIT) != 0;
    locked_ = (flags & LINEDEVSTATUSFLAGS_LOCKED) != 0;
    connected_ = (flags & LINEDEVSTATUSFLAGS_CONNECTED) != 0;
    inService_ = (flags & LINEDEVSTATUSFLAGS_INSERVICE) != 0;
    badPassword_ = line.GetInvalidPasswordState() != 0;

    const auto caps = line.GetLineCaps();
    const DWORD settable = caps ? caps->dwSettableDevStatus : 0;
    window_.EnableDlgItem(IDC_CON, settable & LINEDEVSTATUSFLAGS_CONNECTED);
    window_.EnableDlgItem(IDC_SVC, settable & LINEDEVSTATUSFLAGS_INSERVICE);
    window_.EnableDlgItem(IDC_LCK, settable & LINEDEVSTATUSFLAGS_LOCKED);
    window_.EnableDlgItem(IDC_MWI, settable & LINEDEVSTATUSFLAGS_MSGWAIT);
    window_.EnableDlgItem(IDC_PWD, false);
    return true;
}

void CLineSession::ShowClosedControls()
{
    window_.SetDlgItemText(IDC_SESSION, QStringLiteral("Start Session"));
    window_.EnableDlgItem(IDC_CONFIGURE, false);
    window_.EnableDlgItem(IDC_PHONE, false);
    window_.EnableDlgItem(IDC_NUMBER, false);
}

void CLineSession::ResetStatus()
{
    msgWaiting_ = locked_ = connected_ = inService_ = badPassword_ = 0;
}

void CLineSession::OnStatusClicked(CTapiLine *line)
{
    const std::array<int *, 4> values{&connected_, &inService_, &locked_, &msgWaiting_};
    const std::array<int, 4> saved{connected_, inService_, locked_, msgWaiting_};
    const auto caps = line ? line->GetLineCaps() : nullptr;
    if (!caps || !(caps->dwLineFeatures & LINEFEATURE_SETDEVSTATUS)) {
        // The click toggled the box; the line's status did not change.
        window_.UpdateData(false);
        return;
    }
    window_.UpdateData(true);
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
    window_.UpdateData(false);
}

void CLineSession::ReportStatus(CTapiLine &line)
{
    const auto status = line.GetLineStatus();
    if (!status)
        return;
    const DWORD flags = status->dwDevStatusFlags;
    const bool connected = flags & LINEDEVSTATUSFLAGS_CONNECTED;
    const bool inService = flags & LINEDEVSTATUSFLAGS_INSERVICE;
    if (!connected && !inService)
        ShowStatus("The line is out-of-service and disconnected.");
    else if (!connected)
        ShowStatus("The line is disconnected.");
    else if (!inService)
        ShowStatus("The line is out-of-service.");
}

void CLineSession::AppendOpenLine(CTapiLine *line)
{
    if (std::find(openLines_.begin(), openLines_.end(), line) == openLines_.end())
        openLines_.push_back(line);
    window_.SetRange(IDC_LINE_SPIN, 0, static_cast<int>(openLines_.size()));
    UpdateOpenLineLabel(line);
}

void CLineSession::RemoveOpenLine(CTapiLine *line)
{
    const auto found = std::find(openLines_.begin(), openLines_.end(), line);
    if (found != openLines_.end())
        openLines_.erase(found);
    window_.SetRange(IDC_LINE_SPIN, 0, static_cast<int>(openLines_.size()));
    UpdateOpenLineLabel(nullptr);
}

void CLineSession::UpdateOpenLineLabel(CTapiLine *line)
{
    const int count = static_cast<int>(openLines_.size());
    openLineLabel_ = QStringLiteral("%1 Open").arg(count);
    openLinePosition_ = 0;
    const auto found = line ? std::find(openLines_.begin(), openLines_.end(), line) : openLines_.end();
    if (found != openLines_.end()) {
        openLinePosition_ = static_cast<int>(found - openLines_.begin());
        openLineLabel_ = QStringLiteral("%1 of %2").arg(openLinePosition_ + 1).arg(count);
    }
    window_.SetPos(IDC_LINE_SPIN, openLinePosition_);
    window_.UpdateData(false);
}

CTapiLine *CLineSession::Step(int step)
{
    const int count = static_cast<int>(openLines_.size());
    if (count == 0)
        return nullptr;
    if (step <= 0 && openLinePosition_ > 0)
        --openLinePosition_;
    else if (step > 0 && openLinePosition_ < count - 1)
        ++openLinePosition_;
    openLinePosition_ = std::min(openLinePosition_, count - 1);
    return openLines_[static_cast<std::size_t>(openLinePosition_)];
}
