// The phone features window: shows and drives one open phone device, its
// display, the hookswitch, volume and gain of handset, speakerphone and
// headset, its ringer, its buttons and lamps and its connected and suspended
// flags. Every control maps onto one operation of the phone object; every
// PHONE_STATE of the phone arrives as WM_TAPI_PHONECHANGED and refreshes what
// it names.
#pragma once

#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <QString>

#include <map>
#include <optional>
#include <span>

class CMyPhone;

/// A modeless window on the user-interface thread, one per phone.
///
/// Lifetime. The window exists from construction until the user closes it or
/// the phone reports PHONESTATE_REINIT; closing closes the phone, detaches the
/// window from it (CMyPhone::SetPhoneWindow) and deletes the window. Its Qt
/// parent (the main window) may delete it earlier, which closes and detaches
/// it the same way. The phone is not owned: the session keeps it until
/// shutdown, after the windows are gone.
///
/// Threads. The phone event thread reaches the window only through the
/// window handle it got from the phone (a sent message, which returns at
/// once when the window is gone), so it never touches the window object.
/// Each setter waits for its reply with the message pump running: further
/// state messages and user input are handled meanwhile, and the window may
/// be closed under the wait; every handler checks that it still exists before
/// going on.
class CPhoneCapsDlg final : public win::Dialog {
public:
    static constexpr int IDC_HANDSET_MIC = 1000;
    static constexpr int IDC_HANDSET_SPEAKER = 1001;
    static constexpr int IDC_SPEAKER_MIC = 1002;
    static constexpr int IDC_SPEAKER_SPEAKER = 1003;
    static constexpr int IDC_HEADSET_MIC = 1004;
    static constexpr int IDC_HEADSET_SPEAKER = 1005;
    static constexpr int IDC_HANDSET_MICSPEAKER = 1012;
    static constexpr int IDC_SPEAKER_MICSPEAKER = 1013;
    static constexpr int IDC_HEADSET_MICSPEAKER = 1014;
    static constexpr int IDC_HANDSET_ONHOOK = 1019;
    static constexpr int IDC_SPEAKER_ONHOOK = 1020;
    static constexpr int IDC_HEADSET_ONHOOK = 1021;
    static constexpr int IDC_CONNECTED = 1060;
    static constexpr int IDC_SUSPENDED = 1061;
    static constexpr int IDC_RETRIEVE = 1085;
    static constexpr int IDC_SET_DISPLAY = 1086;
    static constexpr int IDC_DISPLAY = 1087;
    static constexpr int IDC_HANDSET_VOLUME = 2017;
    static constexpr int IDC_HANDSET_GAIN = 2018;
    static constexpr int IDC_SPEAKER_VOLUME = 2019;
    static constexpr int IDC_SPEAKER_GAIN = 2020;
    static constexpr int IDC_HEADSET_VOLUME = 2021;
    static constexpr int IDC_HEADSET_GAIN = 2022;
    static constexpr int IDC_DISPLAY_SIZE = 2023;
    static constexpr int IDC_RING_VOLUME = 2024;
    static constexpr int IDC_BUTTONS = 2026;
    static constexpr int IDC_BUTTON_TEXT = 2027;
    static constexpr int IDC_BUTTON_FUNCTION = 2028;
    static constexpr int IDC_BUTTON_MODE = 2029;
    static constexpr int IDC_BUTTON_LAMP = 2030;
    static constexpr int IDC_CONFIG = 2031;
    static constexpr int IDC_RING_MODE = 2033;

    /// The most bytes "&Set" sends to the display.
    static constexpr int kMaxDisplayBytes = 499;

    /// Creates and shows the window for an open phone and attaches it to the phone.
    CPhoneCapsDlg(QWidget *parent, CMyPhone *phone);
    /// Closes the phone and detaches, when the window still exists.
    ~CPhoneCapsDlg() override;

    CMyPhone *GetPhone() const { return phone_; }

    /// One hookswitch device of the phone and its controls.
    struct HookSwitchGroup {
        DWORD device;         // PHONEHOOKSWITCHDEV_
        int radios[4];        // Onhook, Microphone, Mic/Speaker, Speaker
        int volume, gain;     // sliders
        DWORD hookSwitchState; // PHONESTATE_ bits of its hookswitch, volume and gain
        DWORD volumeState, gainState;
    };
    /// Handset, speakerphone and headset, in that order.
    static std::span<const HookSwitchGroup> HookSwitchGroups();
    /// PHONEHOOKSWITCHMODE_ value of each radio index (Onhook, Microphone, Mic/Speaker, Speaker).
    static constexpr DWORD kRadioModes[4] = {PHONEHOOKSWITCHMODE_ONHOOK, PHONEHOOKSWITCHMODE_MIC,
                                             PHONEHOOKSWITCHMODE_MICSPEAKER, PHONEHOOKSWITCHMODE_SPEAKER};

protected:
    void OnInitDialog() override;
    void OnClose() override;
    void OnCancel() override { OnClose(); }
    /// Closes the phone and detaches the window from it.
    void OnDestroy() override;
    void PostNcDestroy() override;

private:
    // Construction (PhoneCapsDlg.cpp).
    void CreateControls();
    void LayOutControls();
    void BindFieldsAndHandlers();

    // Showing the phone (PhoneCapsRefresh.cpp).
    void FullRefresh();
    void ApplyCaps();
    void ApplyStatus(const PHONESTATUS &status);
    void RetrieveDisplay();
    void ShowButtonInfo();
    /// Handles WM_TAPI_PHONECHANGED; false once the window has closed.
    bool OnPhoneChanged(DWORD states, DWORD details);
    bool ApplyStateBit(DWORD bit, DWORD details);
    void ShowHookSwitch(const HookSwitchGroup &group, DWORD mode);
    int &ModeField(const HookSwitchGroup &group);

    // Driving the phone (PhoneCapsSetters.cpp).
    void OnHookSwitchClicked(const HookSwitchGroup &group, int radioId);
    void OnSliderMoved(int sliderId, int position);
    /// Sends one slider's value and waits; the outcome (0 on success).
    DWORD SendSliderValue(int sliderId, int position);
    /// Puts a slider back to the phone's cached value.
    void RestoreSlider(int sliderId);
    void OnRingModeChosen();
    void OnSetDisplay();
    void OnConfig();
    /// The ring mode of the list's selection (entry i is ring mode i + 1);
    /// without one, the phone's current mode.
    DWORD SelectedRingMode() const;

    CMyPhone *phone_;
    bool destroying_ = false; // the destructor runs: no self-deletion

    // Fields shown by data exchange.
    int handsetMode_ = -1; // radio index in each group, -1 for none
    int speakerMode_ = -1;
    int headsetMode_ = -1;
    bool connected_ = false;
    bool suspended_ = false;
    QString displaySize_;
    QString buttonText_;
    QString buttonFunction_;
    QString buttonMode_;
    QString buttonLamp_;

    // A slider's setter in flight and the newest position the user moved it
    // to meanwhile: moves during a wait replace each other, and the newest is
    // sent once the wait is over, so notifications never pile up.
    struct SliderRequest {
        bool waiting = false;
        std::optional<int> latest;
    };
    std::map<int, SliderRequest> sliderRequests_;
};
