// One phone device of the exchange: configuration and live status
// (hookswitch, volume, gain, ringer, display, lamps).
#ifndef DIALWERK_EXCHANGE_CORE_PHONE_H
#define DIALWERK_EXCHANGE_CORE_PHONE_H

#include "exchange/core/Events.h"
#include "exchange/Topology.h"
#include "exchange/core/VarStruct.h"

#include <tapi.h>

#include <string>
#include <vector>

namespace exchange {

class Phone {
public:
    Phone(DWORD id, PhoneConfig config);

    DWORD id() const { return id_; }
    const PhoneConfig &config() const { return config_; }
    /// Applies a change of configuration; lamps and display follow the new
    /// button count and display size.
    void reconfigure(PhoneConfig config);
    DWORD buttonCount() const { return static_cast<DWORD>(config_.buttons.size()); }

    VarStruct caps() const;
    /// PHONESTATUS; owner and monitor counts and the owner name are the runtime's.
    VarStruct status() const;
    /// PHONEBUTTONINFO of an existing button.
    VarStruct buttonInfo(DWORD button) const;

    // Setters. With `out` null they only check their arguments; otherwise
    // they also apply the change and report PHONE_STATE for what changed.
    // They answer 0 or a PHONEERR_ code; a display without
    // PHONEFEATURE_SETDISPLAY answers PHONEERR_OPERATIONUNAVAIL.
    LONG setHookSwitch(DWORD devices, DWORD mode, std::vector<Event> *out);
    LONG setVolume(DWORD device, DWORD volume, std::vector<Event> *out);
    LONG setGain(DWORD device, DWORD gain, std::vector<Event> *out);
    LONG setRing(DWORD ringMode, DWORD volume, std::vector<Event> *out);
    LONG setDisplay(DWORD row, DWORD column, const std::string &text, std::vector<Event> *out);
    LONG setLamp(DWORD button, DWORD lampMode, std::vector<Event> *out);
    /// The user puts a hookswitch device on or off hook (whatever an
    /// application may set); PHONE_STATE follows when it changed.
    void userHookSwitch(DWORD device, DWORD mode, std::vector<Event> &out);
    /// Sets the lamp of the first call-appearance button, if there is one.
    void showCallAppearance(DWORD lampMode, std::vector<Event> &out);

    DWORD hookSwitchMode(DWORD device) const;
    /// A removed phone keeps its identifier but serves nobody.
    bool removed() const { return removed_; }
    void markRemoved() { removed_ = true; }
    /// The display text as reported (trailing blanks removed).
    std::string displayText() const;

private:
    struct DeviceState {
        DWORD hookSwitch = PHONEHOOKSWITCHMODE_ONHOOK;
        DWORD volume = 0x8000;
        DWORD gain = 0x8000;
    };
    DeviceState *device(DWORD device);
    const DeviceState *device(DWORD device) const;
    static DWORD stateBit(DWORD device, int kind);

    DWORD id_;
    PhoneConfig config_;
    DeviceState handset_, speaker_, headset_;
    DWORD ringMode_ = 1;
    DWORD ringVolume_ = 0x8000;
    std::string display_; // rows x columns characters
    std::vector<DWORD> lamps_;
    bool removed_ = false;
};

} // namespace exchange

#endif
