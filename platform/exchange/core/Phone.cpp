#include "exchange/core/Phone.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace exchange {

namespace {

enum Kind { HookSwitch, Volume, Gain };

bool singleBit(DWORD v)
{
    return std::has_single_bit(v);
}

} // namespace

Phone::Phone(DWORD id, PhoneConfig config) : id_(id), config_(std::move(config))
{
    const size_t cells = size_t(config_.caps.dwDisplayNumRows) * config_.caps.dwDisplayNumColumns;
    display_.assign(cells, ' ');
    display_.replace(0, std::min(cells, config_.display.size()), config_.display.substr(0, cells));
    for (const ButtonConfig &b : config_.buttons)
        lamps_.push_back(b.lampMode);
}

void Phone::reconfigure(PhoneConfig config)
{
    config_ = std::move(config);
    const size_t cells = size_t(config_.caps.dwDisplayNumRows) * config_.caps.dwDisplayNumColumns;
    display_.resize(cells, ' ');
    lamps_.resize(config_.buttons.size(), PHONELAMPMODE_OFF);
}

VarStruct Phone::caps() const
{
    PHONECAPS caps = config_.caps;
    caps.dwPermanentPhoneID = 0x2000 + id_;
    caps.dwNumButtonLamps = buttonCount();
    VarStruct v = VarStruct::of(caps);
    v.addText(offsetof(PHONECAPS, dwProviderInfoSize), config_.providerInfo);
    v.addText(offsetof(PHONECAPS, dwPhoneInfoSize), config_.phoneInfo);
    v.addText(offsetof(PHONECAPS, dwPhoneNameSize), config_.name);
    std::vector<DWORD> modes, functions;
    for (const ButtonConfig &b : config_.buttons) {
        modes.push_back(b.mode);
        functions.push_back(b.function);
    }
    v.addBytes(offsetof(PHONECAPS, dwButtonModesSize), modes.data(), modes.size() * sizeof(DWORD));
    v.addBytes(offsetof(PHONECAPS, dwButtonFunctionsSize), functions.data(), functions.size() * sizeof(DWORD));
    v.addBytes(offsetof(PHONECAPS, dwLampModesSize), lamps_.data(), lamps_.size() * sizeof(DWORD));
    static constexpr char16_t classes[] = u"tapi/phone\0";
    v.addBytes(offsetof(PHONECAPS, dwDeviceClassesSize), classes, sizeof classes);
    return v;
}

VarStruct Phone::status() const
{
    PHONESTATUS s{};
    s.dwStatusFlags = PHONESTATUSFLAGS_CONNECTED;
    s.dwRingMode = ringMode_;
    s.dwRingVolume = ringVolume_;
    s.dwHandsetHookSwitchMode = handset_.hookSwitch;
    s.dwHandsetVolume = handset_.volume;
    s.dwHandsetGain = handset_.gain;
    s.dwSpeakerHookSwitchMode = speaker_.hookSwitch;
    s.dwSpeakerVolume = speaker_.volume;
    s.dwSpeakerGain = speaker_.gain;
    s.dwHeadsetHookSwitchMode = headset_.hookSwitch;
    s.dwHeadsetVolume = headset_.volume;
    s.dwHeadsetGain = headset_.gain;
    s.dwPhoneFeatures = config_.caps.dwPhoneFeatures;
    VarStruct v = VarStruct::of(s);
    const std::string text = displayText();
    v.addBytes(offsetof(PHONESTATUS, dwDisplaySize), text.data(), text.size());
    v.addBytes(offsetof(PHONESTATUS, dwLampModesSize), lamps_.data(), lamps_.size() * sizeof(DWORD));
    return v;
}

VarStruct Phone::buttonInfo(DWORD button) const
{
    const ButtonConfig &b = config_.buttons.at(button);
    PHONEBUTTONINFO info{};
    info.dwButtonMode = b.mode;
    info.dwButtonFunction = b.function;
    info.dwButtonState = PHONEBUTTONSTATE_UP;
    VarStruct v = VarStruct::of(info);
    v.addText(offsetof(PHONEBUTTONINFO, dwButtonTextSize), b.text);
    return v;
}

Phone::DeviceState *Phone::device(DWORD device)
{
    return const_cast<DeviceState *>(static_cast<const Phone &>(*this).device(device));
}

const Phone::DeviceState *Phone::device(DWORD device) const
{
    switch (device) {
    case PHONEHOOKSWITCHDEV_HANDSET:
        return &handset_;
    case PHONEHOOKSWITCHDEV_SPEAKER:
        return &speaker_;
    case PHONEHOOKSWITCHDEV_HEADSET:
        return &headset_;
    }
    return nullptr;
}

DWORD Phone::stateBit(DWORD device, int kind)
{
    static constexpr DWORD bits[3][3] = {
        {PHONESTATE_HANDSETHOOKSWITCH, PHONESTATE_HANDSETVOLUME, PHONESTATE_HANDSETGAIN},
        {PHONESTATE_SPEAKERHOOKSWITCH, PHONESTATE_SPEAKERVOLUME, PHONESTATE_SPEAKERGAIN},
        {PHONESTATE_HEADSETHOOKSWITCH, PHONESTATE_HEADSETVOLUME, PHONESTATE_HEADSETGAIN},
    };
    const int index = device == PHONEHOOKSWITCHDEV_HANDSET ? 0 : device == PHONEHOOKSWITCHDEV_SPEAKER ? 1 : 2;
    return bits[index][kind];
}

DWORD Phone::hookSwitchMode(DWORD dev) const
{
    const DeviceState *d = device(dev);
    return d ? d->hookSwitch : 0;
}

LONG Phone::setHookSwitch(DWORD devices, DWORD mode, std::vector<Event> *out)
{
    const PHONECAPS &c = config_.caps;
    if (devices == 0 || (devices & ~c.dwHookSwitchDevs) != 0)
        return PHONEERR_INVALHOOKSWITCHDEV;
    if (!singleBit(mode))
        return PHONEERR_INVALHOOKSWITCHMODE;
    const std::pair<DWORD, DWORD> settable[] = {{PHONEHOOKSWITCHDEV_HANDSET, c.dwSettableHandsetHookSwitchModes},
                                                {PHONEHOOKSWITCHDEV_SPEAKER, c.dwSettableSpeakerHookSwitchModes},
                                                {PHONEHOOKSWITCHDEV_HEADSET, c.dwSettableHeadsetHookSwitchModes}};
    for (auto [dev, modes] : settable)
        if ((devices & dev) && !(modes & mode))
            return PHONEERR_INVALHOOKSWITCHMODE;
    if (!out)
        return 0;
    DWORD changed = 0;
    for (auto [dev, modes] : settable) {
        DeviceState *d = device(dev);
        if ((devices & dev) && d->hookSwitch != mode) {
            d->hookSwitch = mode;
            changed |= stateBit(dev, HookSwitch);
        }
    }
    if (changed)
        out->push_back(Event::phoneState(id_, changed, mode));
    return 0;
}

void Phone::userHookSwitch(DWORD dev, DWORD mode, std::vector<Event> &out)
{
    DeviceState *d = device(dev);
    if (!d || d->hookSwitch == mode)
        return;
    d->hookSwitch = mode;
    out.push_back(Event::phoneState(id_, stateBit(dev, HookSwitch), mode));
}

LONG Phone::setVolume(DWORD dev, DWORD volume, std::vector<Event> *out)
{
    if (!singleBit(dev) || !(config_.caps.dwVolumeFlags & dev) || !device(dev))
        return PHONEERR_INVALHOOKSWITCHDEV;
    if (!out)
        return 0;
    // Values above the published range are taken as the loudest setting.
    volume = std::min<DWORD>(volume, 0xFFFF);
    DeviceState *d = device(dev);
    if (d->volume != volume) {
        d->volume = volume;
        out->push_back(Event::phoneState(id_, stateBit(dev, Volume), 0));
    }
    return 0;
}

LONG Phone::setGain(DWORD dev, DWORD gain, std::vector<Event> *out)
{
    if (!singleBit(dev) || !(config_.caps.dwGainFlags & dev) || !device(dev))
        return PHONEERR_INVALHOOKSWITCHDEV;
    if (!out)
        return 0;
    gain = std::min<DWORD>(gain, 0xFFFF);
    DeviceState *d = device(dev);
    if (d->gain != gain) {
        d->gain = gain;
        out->push_back(Event::phoneState(id_, stateBit(dev, Gain), 0));
    }
    return 0;
}

LONG Phone::setRing(DWORD ringMode, DWORD volume, std::vector<Event> *out)
{
    if (ringMode > config_.caps.dwNumRingModes)
        return PHONEERR_INVALRINGMODE;
    if (!out)
        return 0;
    volume = std::min<DWORD>(volume, 0xFFFF);
    DWORD changed = 0;
    if (ringMode_ != ringMode)
        changed |= PHONESTATE_RINGMODE;
    if (ringVolume_ != volume)
        changed |= PHONESTATE_RINGVOLUME;
    ringMode_ = ringMode;
    ringVolume_ = volume;
    if (changed)
        out->push_back(Event::phoneState(id_, changed, 0));
    return 0;
}

LONG Phone::setDisplay(DWORD row, DWORD column, const std::string &text, std::vector<Event> *out)
{
    const PHONECAPS &c = config_.caps;
    if (!(c.dwPhoneFeatures & PHONEFEATURE_SETDISPLAY))
        return PHONEERR_OPERATIONUNAVAIL;
    if (row >= c.dwDisplayNumRows || column >= c.dwDisplayNumColumns)
        return PHONEERR_INVALPARAM;
    if (!out)
        return 0;
    // The text is written from (row, column) on and cut at the display's end.
    const size_t start = size_t(row) * c.dwDisplayNumColumns + column;
    const size_t n = std::min(text.size(), display_.size() - start);
    display_.replace(start, n, text.substr(0, n));
    out->push_back(Event::phoneState(id_, PHONESTATE_DISPLAY, 0));
    return 0;
}

LONG Phone::setLamp(DWORD button, DWORD lampMode, std::vector<Event> *out)
{
    if (button >= lamps_.size())
        return PHONEERR_INVALBUTTONLAMPID;
    if (!singleBit(lampMode))
        return PHONEERR_INVALLAMPMODE;
    if (!out)
        return 0;
    if (lamps_[button] != lampMode) {
        lamps_[button] = lampMode;
        out->push_back(Event::phoneState(id_, PHONESTATE_LAMP, button));
    }
    return 0;
}

void Phone::showCallAppearance(DWORD lampMode, std::vector<Event> &out)
{
    const auto &buttons = config_.buttons;
    const auto lamp = std::find_if(buttons.begin(), buttons.end(),
                                   [](const ButtonConfig &b) { return b.function == PHONEBUTTONFUNCTION_CALLAPP; });
    if (lamp != buttons.end())
        setLamp(DWORD(lamp - buttons.begin()), lampMode, &out);
}

std::string Phone::displayText() const
{
    const size_t end = display_.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : display_.substr(0, end + 1);
}

} // namespace exchange
