#include "exchange/Line.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

namespace exchange {

Line::Line(DWORD id, LineConfig config) : id_(id), config_(std::move(config)) {}

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

const AddressForwarding &Line::forwarding(DWORD address) const
{
    static const AddressForwarding none;
    auto it = forwarding_.find(address);
    return it == forwarding_.end() ? none : it->second;
}

namespace {

/// The forward list as LINEADDRESSSTATUS carries it: LINEFORWARD entries
/// followed by their strings, with offsets from the start of the structure
/// (the list is its first variable field, right after the fixed part).
std::vector<uint8_t> forwardBlock(const std::vector<ForwardEntry> &entries)
{
    const size_t base = sizeof(LINEADDRESSSTATUS);
    std::vector<uint8_t> block(entries.size() * sizeof(LINEFORWARD));
    auto addText = [&](const std::u16string &text, DWORD &size, DWORD &offset) {
        if (text.empty())
            return;
        offset = DWORD(base + block.size());
        size = DWORD((text.size() + 1) * sizeof(char16_t));
        const auto *p = reinterpret_cast<const uint8_t *>(text.c_str());
        block.insert(block.end(), p, p + size);
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        LINEFORWARD f{};
        f.dwForwardMode = entries[i].mode;
        f.dwDestCountryCode = entries[i].destCountryCode;
        addText(entries[i].caller, f.dwCallerAddressSize, f.dwCallerAddressOffset);
        addText(entries[i].dest, f.dwDestAddressSize, f.dwDestAddressOffset);
        std::memcpy(block.data() + i * sizeof f, &f, sizeof f);
    }
    return block;
}

} // namespace

VarStruct Line::addressStatus(DWORD address, const CallCounts &counts) const
{
    LINEADDRESSSTATUS s{};
    const AddressForwarding &f = forwarding(address);
    s.dwNumRingsNoAnswer = f.ringsNoAnswer;
    s.dwForwardNumEntries = DWORD(f.entries.size());
    s.dwNumInUse = counts.inUse ? 1 : 0;
    s.dwNumActiveCalls = counts.active;
    s.dwNumOnHoldCalls = counts.onHold;
    s.dwNumOnHoldPendCalls = counts.onHoldPending;
    s.dwAddressFeatures = config_.addresses.at(address).caps.dwAddressFeatures;
    VarStruct out = VarStruct::of(s);
    out.addBytes(offsetof(LINEADDRESSSTATUS, dwForwardSize), forwardBlock(f.entries));
    return out;
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
