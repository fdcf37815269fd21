#include "exchange/core/Line.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

namespace exchange {

Line::Line(DWORD id, LineConfig config) : id_(id), config_(std::move(config))
{
    // A far line is in service once the network says so (registration).
    if (config_.far)
        devStatusFlags_ &= ~DWORD(LINEDEVSTATUSFLAGS_INSERVICE);
}

VarStruct Line::devCaps() const
{
    LINEDEVCAPS caps = config_.caps;
    caps.dwPermanentLineID = 0x1000 + id_;
    caps.dwNumAddresses = addressCount();
    VarStruct v = VarStruct::of(caps);
    v.addText(offsetof(LINEDEVCAPS, dwProviderInfoSize), config_.providerInfo);
    v.addText(offsetof(LINEDEVCAPS, dwSwitchInfoSize), config_.switchInfo);
    v.addText(offsetof(LINEDEVCAPS, dwLineNameSize), config_.name);
    // Device classes: a list of zero-terminated names ending with an empty one.
    static constexpr char16_t classes[] = u"tapi/line\0tapi/phone\0ktelx/InvalidPasswordState\0";
    v.addBytes(offsetof(LINEDEVCAPS, dwDeviceClassesSize), classes, sizeof classes);
    return v;
}

VarStruct Line::addressCaps(DWORD address) const
{
    const AddressConfig &a = config_.addresses.at(address);
    LINEADDRESSCAPS caps = a.caps;
    caps.dwLineDeviceID = id_;
    // Completion messages: fixed-size entries, each zero-padded to the
    // longest text plus its terminator.
    size_t entry = 0;
    for (const std::string &m : a.completionMessages)
        entry = std::max(entry, m.size() + 1);
    std::vector<uint8_t> messages(entry * a.completionMessages.size(), 0);
    for (size_t i = 0; i < a.completionMessages.size(); ++i)
        std::memcpy(messages.data() + i * entry, a.completionMessages[i].data(), a.completionMessages[i].size());
    caps.dwNumCompletionMessages = DWORD(a.completionMessages.size());
    caps.dwCompletionMsgTextEntrySize = DWORD(entry);
    VarStruct v = VarStruct::of(caps);
    v.addText(offsetof(LINEADDRESSCAPS, dwAddressSize), a.number);
    v.addBytes(offsetof(LINEADDRESSCAPS, dwCompletionMsgTextSize), messages);
    return v;
}

VarStruct Line::devStatus(const CallCounts &counts) const
{
    LINEDEVSTATUS s{};
    s.dwNumActiveCalls = counts.active;
    s.dwNumOnHoldCalls = counts.onHold;
    s.dwNumOnHoldPendCalls = counts.onHoldPending;
    s.dwLineFeatures = config_.caps.dwLineFeatures;
    s.dwRingMode = 1;
    s.dwSignalLevel = 0xFFFF;
    s.dwBatteryLevel = 0xFFFF;
    s.dwRoamMode = LINEROAMMODE_UNAVAIL;
    s.dwDevStatusFlags = devStatusFlags_;
    s.dwAvailableMediaModes = config_.caps.dwMediaModes;
    return VarStruct::of(s);
}

VarStruct Line::addressStatus(DWORD address, const CallCounts &counts) const
{
    LINEADDRESSSTATUS s{};
    s.dwNumInUse = counts.inUse ? 1 : 0;
    s.dwNumActiveCalls = counts.active;
    s.dwNumOnHoldCalls = counts.onHold;
    s.dwNumOnHoldPendCalls = counts.onHoldPending;
    s.dwAddressFeatures = config_.addresses.at(address).caps.dwAddressFeatures;
    return VarStruct::of(s);
}

LONG Line::checkDevStatus(DWORD statusToChange) const
{
    if (!std::has_single_bit(statusToChange) || !(config_.caps.dwSettableDevStatus & statusToChange))
        return LINEERR_INVALPARAM;
    return 0;
}

void Line::setDevStatus(DWORD statusToChange, bool on, std::vector<Event> &out)
{
    const DWORD before = devStatusFlags_;
    devStatusFlags_ = on ? (before | statusToChange) : (before & ~statusToChange);
    if (before == devStatusFlags_)
        return;
    DWORD state = LINEDEVSTATE_OTHER;
    switch (statusToChange) {
    case LINEDEVSTATUSFLAGS_CONNECTED:
        state = on ? LINEDEVSTATE_CONNECTED : LINEDEVSTATE_DISCONNECTED;
        break;
    case LINEDEVSTATUSFLAGS_MSGWAIT:
        state = on ? LINEDEVSTATE_MSGWAITON : LINEDEVSTATE_MSGWAITOFF;
        break;
    case LINEDEVSTATUSFLAGS_INSERVICE:
        state = on ? LINEDEVSTATE_INSERVICE : LINEDEVSTATE_OUTOFSERVICE;
        break;
    case LINEDEVSTATUSFLAGS_LOCKED:
        state = LINEDEVSTATE_LOCK;
        break;
    }
    out.push_back(Event::lineState(id_, state));
}

} // namespace exchange
