// What the phone features window's controls send: hookswitch, volume, gain,
// ringer and display requests, each waited for and reported under its TAPI
// name, and the provider's configuration dialog. A control whose request
// fails returns to the phone's last known state.
#include <ui/dialogs/PhoneCapsDlg.h>

#include <app/CMyPhone.h>
#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <ui/main/CommandSteps.h>

#include "TapiCodePage.h"

#include <QPointer>

namespace {

enum class Level { Volume, Gain, Ring };

struct SliderTarget {
    Level level;
    DWORD device; // PHONEHOOKSWITCHDEV_ (none for the ringer)
};

SliderTarget TargetOf(int sliderId)
{
    for (const CPhoneCapsDlg::HookSwitchGroup &group : CPhoneCapsDlg::HookSwitchGroups()) {
        if (sliderId == group.volume)
            return {Level::Volume, group.device};
        if (sliderId == group.gain)
            return {Level::Gain, group.device};
    }
    return {Level::Ring, 0};
}

/// The cached level a slider stands for.
DWORD CachedLevel(const PHONESTATUS &status, SliderTarget target)
{
    switch (target.level) {
    case Level::Ring:
        return status.dwRingVolume;
    case Level::Volume:
        return target.device == PHONEHOOKSWITCHDEV_HANDSET   ? status.dwHandsetVolume
               : target.device == PHONEHOOKSWITCHDEV_SPEAKER ? status.dwSpeakerVolume
                                                             : status.dwHeadsetVolume;
    case Level::Gain:
        return target.device == PHONEHOOKSWITCHDEV_HANDSET   ? status.dwHandsetGain
               : target.device == PHONEHOOKSWITCHDEV_SPEAKER ? status.dwSpeakerGain
                                                             : status.dwHeadsetGain;
    }
    return 0;
}

DWORD CachedHookSwitch(const PHONESTATUS &status, DWORD device)
{
    return device == PHONEHOOKSWITCHDEV_HANDSET   ? status.dwHandsetHookSwitchMode
           : device == PHONEHOOKSWITCHDEV_SPEAKER ? status.dwSpeakerHookSwitchMode
                                                  : status.dwHeadsetHookSwitchMode;
}

} // namespace

DWORD CPhoneCapsDlg::SelectedRingMode() const
{
    const int selected = Items(IDC_RING_MODE).GetCurSel();
    if (selected >= 0)
        return static_cast<DWORD>(selected) + 1;
    // No entry stands for the phone's own mode (0, ringing off, for instance).
    const auto status = phone_->GetPhoneStatus();
    return status ? status->dwRingMode : 0;
}

void CPhoneCapsDlg::OnHookSwitchClicked(const HookSwitchGroup &group, int radioId)
{
    ClearStatus();
    int &field = ModeField(group);
    const int previous = field;
    const int chosen = GetCheckedRadio(radioId);
    if (chosen < 0)
        return;
    field = chosen;
    QPointer<CPhoneCapsDlg> alive(this);
    const DWORD outcome = WaitAndReport("phoneSetHookSwitch", phone_->SetHookSwitch(group.device, kRadioModes[chosen]));
    if (!alive || !IsCreated() || outcome == 0)
        return;
    // Back to what the phone last said; the remembered selection when it said nothing.
    field = previous;
    if (const auto status = phone_->GetPhoneStatus())
        ShowHookSwitch(group, CachedHookSwitch(*status, group.device));
    SetCheckedRadio(radioId, field);
}

void CPhoneCapsDlg::OnSliderMoved(int sliderId, int position)
{
    SliderRequest &request = sliderRequests_[sliderId];
    if (request.waiting) {
        request.latest = position;
        return;
    }
    ClearStatus();
    request.waiting = true;
    QPointer<CPhoneCapsDlg> alive(this);
    std::optional<int> next = position;
    while (next) {
        const int value = *next;
        request.latest.reset();
        const DWORD outcome = SendSliderValue(sliderId, value);
        if (!alive || !IsCreated())
            return; // the window is gone, and its request records with it
        if (outcome != 0) {
            // The moves made meanwhile were based on a value the phone refused.
            request.latest.reset();
            RestoreSlider(sliderId);
            break;
        }
        next = request.latest;
    }
    request.waiting = false;
}

DWORD CPhoneCapsDlg::SendSliderValue(int sliderId, int position)
{
    const SliderTarget target = TargetOf(sliderId);
    const auto value = static_cast<DWORD>(position);
    switch (target.level) {
    case Level::Volume:
        return WaitAndReport("phoneSetVolume", phone_->SetVolume(target.device, value));
    case Level::Gain:
        return WaitAndReport("phoneSetGain", phone_->SetGain(target.device, value));
    case Level::Ring:
        return WaitAndReport("phoneSetRing", phone_->SetRing(SelectedRingMode(), value));
    }
    return 0;
}

void CPhoneCapsDlg::RestoreSlider(int sliderId)
{
    if (const auto status = phone_->GetPhoneStatus()) {
        const DWORD level = CachedLevel(*status, TargetOf(sliderId));
        SetPos(sliderId, level > 0xFFFF ? 0xFFFF : static_cast<int>(level));
    }
}

void CPhoneCapsDlg::OnRingModeChosen()
{
    ClearStatus();
    const auto status = phone_->GetPhoneStatus();
    const DWORD volume = status ? status->dwRingVolume : static_cast<DWORD>(GetPos(IDC_RING_VOLUME));
    QPointer<CPhoneCapsDlg> alive(this);
    const DWORD outcome = WaitAndReport("phoneSetRing", phone_->SetRing(SelectedRingMode(), volume));
    if (!alive || !IsCreated() || outcome == 0)
        return;
    if (const auto now = phone_->GetPhoneStatus()) {
        const DWORD mode = now->dwRingMode;
        Items(IDC_RING_MODE).SetCurSel(mode >= 1 && mode <= 0xFFFF ? static_cast<int>(mode) - 1 : -1);
    }
}

void CPhoneCapsDlg::OnSetDisplay()
{
    ClearStatus();
    std::string text = EncodeAnsiText(ToTapiString(GetDlgItemText(IDC_DISPLAY)));
    if (text.size() > static_cast<std::size_t>(kMaxDisplayBytes))
        text.resize(kMaxDisplayBytes);
    QPointer<CPhoneCapsDlg> alive(this);
    WaitAndReport("phoneSetDisplay", phone_->SetDisplay(text));
    if (alive && IsCreated())
        RetrieveDisplay();
}

void CPhoneCapsDlg::OnConfig()
{
    ClearStatus();
    const auto owner = static_cast<HWND>(win::ToNativeHandle(GetSafeHwnd()));
    if (const DWORD result = phone_->ConfigDialog(owner, nullptr))
        ReportResult("phoneConfigDialog", result);
}
