// What the phone features window shows: the full refresh from the phone's
// capabilities and status, the display, the selected button, and the update
// of each PHONESTATE_ bit of a state message.
#include <ui/dialogs/PhoneCapsDlg.h>

#include <app/CMyPhone.h>
#include <app/TapiText.h>
#include <ui/dialogs/PhoneCapsTables.h>

namespace {

constexpr int kSliderMax = 0xFFFF;
// The most ring modes and buttons listed: a list of a thousand entries is
// more than anyone can use, and a provider's count is not trusted to be small.
constexpr DWORD kMaxListed = 1000;

/// The radio index of a PHONEHOOKSWITCHMODE_ value, or -1 for any other value.
int RadioOfMode(DWORD mode)
{
    for (int i = 0; i < 4; ++i)
        if (CPhoneCapsDlg::kRadioModes[i] == mode)
            return i;
    return -1;
}

DWORD HookSwitchModes(const PHONECAPS &caps, DWORD device)
{
    switch (device) {
    case PHONEHOOKSWITCHDEV_HANDSET:
        return caps.dwHandsetHookSwitchModes;
    case PHONEHOOKSWITCHDEV_SPEAKER:
        return caps.dwSpeakerHookSwitchModes;
    default:
        return caps.dwHeadsetHookSwitchModes;
    }
}

struct DeviceStatus {
    DWORD mode, volume, gain;
};

DeviceStatus StatusOf(const PHONESTATUS &status, DWORD device)
{
    switch (device) {
    case PHONEHOOKSWITCHDEV_HANDSET:
        return {status.dwHandsetHookSwitchMode, status.dwHandsetVolume, status.dwHandsetGain};
    case PHONEHOOKSWITCHDEV_SPEAKER:
        return {status.dwSpeakerHookSwitchMode, status.dwSpeakerVolume, status.dwSpeakerGain};
    default:
        return {status.dwHeadsetHookSwitchMode, status.dwHeadsetVolume, status.dwHeadsetGain};
    }
}

/// A slider position for a 32-bit level (levels above the range show at its end).
int SliderPosition(DWORD level)
{
    return level > DWORD{kSliderMax} ? kSliderMax : static_cast<int>(level);
}

} // namespace

int &CPhoneCapsDlg::ModeField(const HookSwitchGroup &group)
{
    switch (group.device) {
    case PHONEHOOKSWITCHDEV_HANDSET:
        return handsetMode_;
    case PHONEHOOKSWITCHDEV_SPEAKER:
        return speakerMode_;
    default:
        return headsetMode_;
    }
}

void CPhoneCapsDlg::FullRefresh()
{
    for (const HookSwitchGroup &group : HookSwitchGroups()) {
        SetRange(group.volume, 0, kSliderMax);
        SetRange(group.gain, 0, kSliderMax);
    }
    SetRange(IDC_RING_VOLUME, 0, kSliderMax);
    ApplyCaps();
    if (const auto status = phone_->GetPhoneStatus())
        ApplyStatus(*status);
    UpdateData(false);
}

void CPhoneCapsDlg::ApplyCaps()
{
    const auto caps = phone_->GetPhoneCaps();
    if (!caps)
        return;
    // Each control is enabled exactly when the capabilities offer it, so a
    // capability that comes back with a change of capabilities is usable again.
    const bool setRing = (caps->dwPhoneFeatures & PHONEFEATURE_SETRING) != 0;
    win::ListControl ringModes = Items(IDC_RING_MODE);
    ringModes.ResetContent();
    for (DWORD mode = 1; mode <= caps->dwNumRingModes && mode <= kMaxListed; ++mode)
        ringModes.AddString(QString::asprintf("Ring Mode #%d", static_cast<int>(mode)));
    EnableDlgItem(IDC_RING_MODE, caps->dwNumRingModes != 0 && setRing);
    EnableDlgItem(IDC_RING_VOLUME, setRing);

    for (const HookSwitchGroup &group : HookSwitchGroups()) {
        const bool present = (caps->dwHookSwitchDevs & group.device) != 0;
        const DWORD modes = HookSwitchModes(*caps, group.device);
        for (int i = 0; i < 4; ++i)
            EnableDlgItem(group.radios[i], present && (modes & kRadioModes[i]) != 0);
        EnableDlgItem(group.volume, (caps->dwVolumeFlags & group.device) != 0);
        EnableDlgItem(group.gain, (caps->dwGainFlags & group.device) != 0);
    }

    win::ListControl buttons = Items(IDC_BUTTONS);
    buttons.ResetContent();
    const DWORD buttonCount = caps->dwNumButtonLamps > kMaxListed ? kMaxListed : caps->dwNumButtonLamps;
    for (DWORD id = 0; id < buttonCount; ++id)
        buttons.AddString(QString::asprintf("Button %d", static_cast<int>(id)));
    EnableDlgItem(IDC_BUTTONS, buttonCount != 0);
    if (buttonCount != 0)
        buttons.SetCurSel(0);
    ShowButtonInfo();

    displaySize_ = QString::asprintf("%ld x %ld", static_cast<long>(caps->dwDisplayNumColumns),
                                     static_cast<long>(caps->dwDisplayNumRows));
    const bool display = caps->dwDisplayNumRows != 0 || caps->dwDisplayNumColumns != 0;
    EnableDlgItem(IDC_DISPLAY, display);
    EnableDlgItem(IDC_RETRIEVE, display);
    SetReadOnly(IDC_DISPLAY, (caps->dwPhoneFeatures & PHONEFEATURE_SETDISPLAY) == 0);
    if (display)
        RetrieveDisplay();
    else
        EnableDlgItem(IDC_SET_DISPLAY, false);
}

void CPhoneCapsDlg::ApplyStatus(const PHONESTATUS &status)
{
    connected_ = (status.dwStatusFlags & PHONESTATUSFLAGS_CONNECTED) != 0;
    suspended_ = (status.dwStatusFlags & PHONESTATUSFLAGS_SUSPENDED) != 0;
    const DWORD ringMode = status.dwRingMode;
    Items(IDC_RING_MODE).SetCurSel(ringMode >= 1 && ringMode <= 0xFFFF ? static_cast<int>(ringMode) - 1 : -1);
    for (const HookSwitchGroup &group : HookSwitchGroups()) {
        const DeviceStatus device = StatusOf(status, group.device);
        ShowHookSwitch(group, device.mode);
        SetPos(group.volume, SliderPosition(device.volume));
        SetPos(group.gain, SliderPosition(device.gain));
    }
    SetPos(IDC_RING_VOLUME, SliderPosition(status.dwRingVolume));
}

void CPhoneCapsDlg::ShowHookSwitch(const HookSwitchGroup &group, DWORD mode)
{
    const int radio = RadioOfMode(mode);
    if (radio >= 0)
        ModeField(group) = radio;
}

void CPhoneCapsDlg::RetrieveDisplay()
{
    phone_->GetPhoneStatus(true);
    SetDlgItemText(IDC_DISPLAY, ToQString(phone_->GetDisplay()));
    // Showing the text notifies like an edit does; only the user's edits enable "&Set".
    EnableDlgItem(IDC_SET_DISPLAY, false);
}

void CPhoneCapsDlg::ShowButtonInfo()
{
    buttonText_.clear();
    buttonFunction_.clear();
    buttonMode_.clear();
    buttonLamp_.clear();
    const int selected = Items(IDC_BUTTONS).GetCurSel();
    CTapiButtonInfo info;
    if (selected >= 0 && phone_->GetButtonInfo(static_cast<DWORD>(selected), info) == 0) {
        buttonText_ = QStringLiteral("\"%1\"").arg(ToQString(info.buttonText));
        buttonFunction_ = ButtonFunctionName(info.buttonFunction);
        buttonMode_ = ButtonModeNames(info.buttonMode);
        buttonLamp_ = LampModeNames(phone_->GetLampMode(static_cast<DWORD>(selected)));
    }
    for (const auto &[id, text] : {std::pair{IDC_BUTTON_TEXT, &buttonText_}, {IDC_BUTTON_FUNCTION, &buttonFunction_},
                                   {IDC_BUTTON_MODE, &buttonMode_}, {IDC_BUTTON_LAMP, &buttonLamp_}})
        SetDlgItemText(id, *text);
}

bool CPhoneCapsDlg::OnPhoneChanged(DWORD states, DWORD details)
{
    UpdateData(true);
    phone_->GetPhoneStatus(true);
    for (DWORD bit = 0x1; bit != 0 && bit <= 0x40000000; bit <<= 1) {
        if ((states & bit) && !ApplyStateBit(bit, details))
            return false;
    }
    UpdateData(false);
    return true;
}

bool CPhoneCapsDlg::ApplyStateBit(DWORD bit, DWORD details)
{
    const auto status = phone_->GetPhoneStatus();
    switch (bit) {
    case PHONESTATE_OTHER:
    case PHONESTATE_CAPSCHANGE:
        FullRefresh();
        return true;
    case PHONESTATE_CONNECTED:
        connected_ = true;
        return true;
    case PHONESTATE_DISCONNECTED:
        connected_ = false;
        return true;
    case PHONESTATE_SUSPEND:
        suspended_ = true;
        return true;
    case PHONESTATE_RESUME:
        suspended_ = false;
        return true;
    case PHONESTATE_DISPLAY:
        RetrieveDisplay();
        return true;
    case PHONESTATE_LAMP:
        if (static_cast<int>(details) == Items(IDC_BUTTONS).GetCurSel() && details <= 0x7FFFFFFF)
            ShowButtonInfo();
        return true;
    case PHONESTATE_REINIT:
        DestroyWindow();
        return false;
    default:
        break;
    }
    if (!status)
        return true;
    if (bit == PHONESTATE_RINGMODE) {
        const DWORD mode = status->dwRingMode;
        Items(IDC_RING_MODE).SetCurSel(mode >= 1 && mode <= 0xFFFF ? static_cast<int>(mode) - 1 : -1);
    } else if (bit == PHONESTATE_RINGVOLUME) {
        SetPos(IDC_RING_VOLUME, SliderPosition(status->dwRingVolume));
    }
    for (const HookSwitchGroup &group : HookSwitchGroups()) {
        const DeviceStatus device = StatusOf(*status, group.device);
        if (bit == group.hookSwitchState)
            ShowHookSwitch(group, device.mode);
        else if (bit == group.volumeState)
            SetPos(group.volume, SliderPosition(device.volume));
        else if (bit == group.gainState)
            SetPos(group.gain, SliderPosition(device.gain));
    }
    return true;
}
