#include <ui/dialogs/ForwardDlg.h>

#include <app/TapiText.h>
#include <ui/dialogs/DialogParts.h>
#include <window/Fonts.h>
#include <window/Shell.h>

#include "CTapiAddress.h"
#include "CTapiLine.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr ValueText kModeChoices[] = {
    {LINEFORWARDMODE_UNCOND, "Unconditional"},
    {LINEFORWARDMODE_UNCONDINTERNAL, "Internal (Uncond)"},
    {LINEFORWARDMODE_UNCONDEXTERNAL, "External (Uncond)"},
    {LINEFORWARDMODE_BUSY, "Busy"},
    {LINEFORWARDMODE_BUSYINTERNAL, "Internal (Busy)"},
    {LINEFORWARDMODE_BUSYEXTERNAL, "External (Busy)"},
    {LINEFORWARDMODE_NOANSW, "No Answer"},
    {LINEFORWARDMODE_NOANSWINTERNAL, "Internal (No Answer)"},
    {LINEFORWARDMODE_NOANSWEXTERNAL, "External (No Answer)"},
    {LINEFORWARDMODE_BUSYNA, "Busy/No Answer"},
    {LINEFORWARDMODE_BUSYNAINTERNAL, "Internal (Busy/NA"},
    {LINEFORWARDMODE_BUSYNAEXTERNAL, "External (Busy/NA"},
};
constexpr const char *kDoNotDisturbText = "Do Not Disturb (DND)";

// The four modes that have a caller-specific variant, and those variants.
constexpr DWORD kBaseModes =
    LINEFORWARDMODE_UNCOND | LINEFORWARDMODE_BUSY | LINEFORWARDMODE_NOANSW | LINEFORWARDMODE_BUSYNA;
constexpr DWORD kSpecificModes = LINEFORWARDMODE_UNCONDSPECIFIC | LINEFORWARDMODE_BUSYSPECIFIC |
                                 LINEFORWARDMODE_NOANSWSPECIFIC | LINEFORWARDMODE_BUSYNASPECIFIC;

// Each base mode's caller-specific mode is the next bit up but two (0x1 -> 0x8, 0x10 -> 0x80, ...).
constexpr DWORD SpecificModeOf(DWORD baseMode)
{
    return baseMode << 3;
}
static_assert(SpecificModeOf(LINEFORWARDMODE_BUSYNA) == LINEFORWARDMODE_BUSYNASPECIFIC);

constexpr int kMaxRings = 999;
constexpr int kRingsDigits = 3;

} // namespace

CForwardDlg::CForwardDlg(QWidget *parent, CTapiLine *line) : win::Dialog(parent), line_(line)
{
    static const win::ControlTemplate controls[] = {
        {IDC_ADDRESS, win::ControlKind::DropDownList, "", win::Style::Sorted},
        {IDC_FORWARD_ALL, win::ControlKind::CheckBox, "Forward ALL"},
        {IDC_MODE, win::ControlKind::DropDownList},
        {IDC_CALLER, win::ControlKind::Edit},
        {IDC_DESTINATION, win::ControlKind::Edit},
        {IDC_RINGS, win::ControlKind::Edit},
        {IDC_RINGS_SPIN, win::ControlKind::UpDown, "", win::Style::Vertical, IDC_RINGS},
        {win::IDOK, win::ControlKind::DefaultButton, "Forward", win::Style::Disabled},
        {win::IDCANCEL, win::ControlKind::PushButton, "Cancel"},
    };
    AddControls(controls);
    setWindowTitle(QStringLiteral("Forward"));

    auto *fields = new QGridLayout;
    fields->addWidget(AddLabel(QStringLiteral("Address to forward:"), IDC_ADDRESS), 0, 0);
    fields->addWidget(GetDlgItem(IDC_ADDRESS), 0, 1);
    fields->addWidget(GetDlgItem(IDC_FORWARD_ALL), 0, 2);
    fields->addWidget(AddLabel(QStringLiteral("Forward mode:"), IDC_MODE), 1, 0);
    fields->addWidget(GetDlgItem(IDC_MODE), 1, 1, 1, 2);
    fields->addWidget(AddLabel(QStringLiteral("Specific caller fwd:"), IDC_CALLER), 2, 0);
    fields->addWidget(GetDlgItem(IDC_CALLER), 2, 1, 1, 2);
    fields->addWidget(AddLabel(QStringLiteral("Fwd to:"), IDC_DESTINATION), 3, 0);
    fields->addWidget(GetDlgItem(IDC_DESTINATION), 3, 1, 1, 2);
    fields->addWidget(AddLabel(QStringLiteral("NoAnswer # rings:"), IDC_RINGS), 4, 0);
    auto *rings = new QHBoxLayout;
    QWidget *ringsEdit = GetDlgItem(IDC_RINGS);
    ringsEdit->setMaximumWidth(ringsEdit->fontMetrics().horizontalAdvance(QStringLiteral("99999")) + 16);
    rings->addWidget(ringsEdit);
    rings->addWidget(GetDlgItem(IDC_RINGS_SPIN));
    rings->addStretch();
    fields->addLayout(rings, 4, 1, 1, 2);
    fields->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(ButtonRow(*this, {win::IDOK, win::IDCANCEL}));

    BindCheck(IDC_FORWARD_ALL, forwardAll_);
    BindText(IDC_CALLER, caller_);
    BindText(IDC_DESTINATION, destination_);
    BindCustom([this] { return ReadRings(); }, [this] { SetDlgItemText(IDC_RINGS, QString::number(rings_)); });
    OnNotify(IDC_ADDRESS, win::Notify::SelChange, [this] { OnAddressChange(); });
    OnNotify(IDC_MODE, win::Notify::SelChange, [this] { OnModeChange(); });
    OnClicked(IDC_FORWARD_ALL, [this] { OnForwardAll(); });
    for (int id : {IDC_CALLER, IDC_DESTINATION, IDC_RINGS})
        OnNotify(id, win::Notify::TextChange, [this] { UpdateForwardButton(); });
}

void CForwardDlg::OnInitDialog()
{
    SetChildFont(win::GetStockFont(win::StockFont::AnsiVariable));
    win::Dialog::OnInitDialog();
    const auto caps = line_ ? line_->GetLineCaps() : nullptr;
    dndOffered_ = (caps && (caps->dwLineFeatures & LINEFEATURE_FORWARDDND)) || win::IsCtrlKeyDown();
    LimitText(IDC_RINGS, kRingsDigits);
    SetRange(IDC_RINGS_SPIN, 0, kMaxRings);
    win::ListControl addresses = Items(IDC_ADDRESS);
    const DWORD count = line_ ? line_->GetAddressCount() : 0;
    for (DWORD i = 0; i < count; ++i) {
        if (CTapiAddress *address = line_->GetAddress(i))
            addresses.SetItemDataPtr(addresses.AddString(ToQString(address->GetAddressName())), address);
    }
    if (addresses.GetCount() > 0) {
        addresses.SetCurSel(0);
        OnAddressChange();
    }
    OnModeChange();
}

CTapiAddress *CForwardDlg::SelectedAddress() const
{
    win::ListControl addresses = Items(IDC_ADDRESS);
    const int row = addresses.GetCurSel();
    return row >= 0 ? addresses.GetItemDataPtr<CTapiAddress>(row) : nullptr;
}

bool CForwardDlg::SelectedMode(DWORD &mode) const
{
    win::ListControl modes = Items(IDC_MODE);
    const int row = modes.GetCurSel();
    if (row < 0)
        return false;
    mode = DWORD(modes.GetItemData(row));
    return true;
}

void CForwardDlg::OnAddressChange()
{
    CTapiAddress *address = SelectedAddress();
    if (!address) {
        EnableDlgItem(IDC_CALLER, false);
        UpdateForwardButton();
        return;
    }
    win::ListControl modes = Items(IDC_MODE);
    const QString remembered = modes.GetText(modes.GetCurSel());
    modes.ResetContent();
    const auto caps = address->GetAddressCaps(0, 0, true);
    if (!caps) {
        OnModeChange();
        return;
    }
    if (minRings_ == 0 && maxRings_ == 0 && IsDlgItemEnabled(IDC_RINGS)) {
        minRings_ = caps->dwMinFwdNumRings;
        maxRings_ = caps->dwMaxFwdNumRings;
        // An address without ring counts has no use for the field, now or later.
        if (minRings_ == 0 && maxRings_ == 0) {
            EnableDlgItem(IDC_RINGS, false);
            EnableDlgItem(IDC_RINGS_SPIN, false);
        }
    }
    forwardModes_ = caps->dwForwardModes;
    for (const ValueText &choice : kModeChoices) {
        if (forwardModes_ & choice.value)
            modes.SetItemData(modes.AddString(QString::fromUtf8(choice.text)), choice.value);
    }
    if ((caps->dwAddressFeatures & LINEADDRFEATURE_FORWARDDND) || dndOffered_)
        modes.SetItemData(modes.AddString(QString::fromUtf8(kDoNotDisturbText)), kDoNotDisturb);
    const int kept = remembered.isEmpty() ? -1 : modes.FindStringExact(remembered);
    modes.SetCurSel(kept >= 0 ? kept : 0);
    // The fields follow the mode now chosen, which may differ from the last one.
    OnModeChange();
}

void CForwardDlg::OnModeChange()
{
    DWORD mode = 0;
    if (!SelectedMode(mode)) {
        EnableDlgItem(IDC_CALLER, false);
        UpdateForwardButton();
        return;
    }
    if (mode == kDoNotDisturb) {
        EnableDlgItem(IDC_CALLER, false);
        EnableDlgItem(IDC_DESTINATION, false);
    } else {
        EnableDlgItem(IDC_DESTINATION);
        EnableDlgItem(IDC_CALLER, (forwardModes_ & kSpecificModes) && (mode & kBaseModes));
    }
    UpdateForwardButton();
}

void CForwardDlg::OnForwardAll()
{
    UpdateData(true);
    if (forwardAll_) {
        EnableDlgItem(IDC_ADDRESS, false);
    } else {
        EnableDlgItem(IDC_ADDRESS);
        GotoDlgCtrl(IDC_ADDRESS);
        win::ListControl addresses = Items(IDC_ADDRESS);
        if (addresses.GetCurSel() < 0 && addresses.GetCount() > 0)
            addresses.SetCurSel(0);
        OnAddressChange();
    }
    UpdateForwardButton();
}

void CForwardDlg::UpdateForwardButton()
{
    if (!IsCreated())
        return;
    UpdateData(true);
    DWORD mode = 0;
    const bool chosen = SelectedMode(mode);
    const bool withoutDestination =
        chosen && ((mode == LINEFORWARDMODE_UNCOND && dndOffered_ && destination_.isEmpty()) || mode == kDoNotDisturb);
    EnableDlgItem(win::IDOK, withoutDestination || (chosen && !destination_.isEmpty()));
}

bool CForwardDlg::ReadRings()
{
    bool ok = false;
    const uint rings = GetDlgItemText(IDC_RINGS).trimmed().toUInt(&ok);
    if (!ok || rings > uint(kMaxRings)) {
        win::MessageBox(this, QStringLiteral("Please enter a positive integer."), {}, win::MB_OK | win::MB_ICONWARNING);
        return true;
    }
    rings_ = int(rings);
    return true;
}

void CForwardDlg::OnOK()
{
    UpdateData(true);
    if (!SelectedMode(mode_))
        return;
    if (mode_ == kDoNotDisturb) {
        // Do-not-disturb is an unconditional forward without destination.
        caller_.clear();
        destination_.clear();
        mode_ = LINEFORWARDMODE_UNCOND;
    } else if (IsDlgItemEnabled(IDC_CALLER) && (mode_ & kBaseModes)) {
        mode_ = SpecificModeOf(mode_);
    } else {
        caller_.clear();
    }
    UpdateData(false);
    if (CTapiAddress *address = SelectedAddress())
        addressId_ = address->GetAddressID();
    EndDialog(win::IDOK);
}
