#include "tapi32/StructWriter.h"

#include "tapi32/StructFaults.h"

#include <cstddef>
#include <cstring>

namespace tapi32 {

DWORD fixedSize(Struct s, DWORD v)
{
    switch (s) {
    case Struct::LineDevCaps:
        if (v < 0x00020000)
            return offsetof(LINEDEVCAPS, dwSettableDevStatus);
        if (v < 0x00020002)
            return offsetof(LINEDEVCAPS, PermanentLineGuid);
        if (v < 0x00030000)
            return offsetof(LINEDEVCAPS, dwAddressTypes);
        return sizeof(LINEDEVCAPS);
    case Struct::LineAddressCaps:
        if (v < 0x00020000)
            return offsetof(LINEADDRESSCAPS, dwPredictiveAutoTransferStates);
        if (v < 0x00030000)
            return offsetof(LINEADDRESSCAPS, dwAvailableMediaModes);
        return sizeof(LINEADDRESSCAPS);
    case Struct::LineDevStatus:
        return v < 0x00020000 ? offsetof(LINEDEVSTATUS, dwAvailableMediaModes) : sizeof(LINEDEVSTATUS);
    case Struct::LineAddressStatus:
        return sizeof(LINEADDRESSSTATUS);
    case Struct::LineCallInfo:
        if (v < 0x00020000)
            return offsetof(LINECALLINFO, dwCallTreatment);
        if (v < 0x00030000)
            return offsetof(LINECALLINFO, dwCallerIDAddressType);
        return sizeof(LINECALLINFO);
    case Struct::LineCallStatus:
        return v < 0x00020000 ? offsetof(LINECALLSTATUS, dwCallFeatures2) : sizeof(LINECALLSTATUS);
    case Struct::LineCallParams:
        if (v < 0x00020000)
            return offsetof(LINECALLPARAMS, dwPredictiveAutoTransferStates);
        if (v < 0x00030000)
            return offsetof(LINECALLPARAMS, dwAddressType);
        return sizeof(LINECALLPARAMS);
    case Struct::PhoneCaps:
        if (v < 0x00020000)
            return offsetof(PHONECAPS, dwDeviceClassesSize);
        if (v < 0x00020002)
            return offsetof(PHONECAPS, PermanentPhoneGuid);
        return sizeof(PHONECAPS);
    case Struct::PhoneStatus:
        return v < 0x00020000 ? offsetof(PHONESTATUS, dwPhoneFeatures) : sizeof(PHONESTATUS);
    }
    return 0;
}

DWORD totalSizeOf(const void *buffer)
{
    DWORD total = 0;
    if (buffer)
        std::memcpy(&total, buffer, sizeof total);
    return total;
}

LONG writeStruct(void *buffer, const exchange::VarStruct &answer, DWORD fixed, const StructFaults &faults,
                 LONG tooSmall, LONG invalPointer)
{
    if (!buffer)
        return invalPointer;
    const DWORD total = totalSizeOf(buffer);
    if (total < fixed || fixed < 3 * sizeof(DWORD) || fixed > answer.fixed.size())
        return tooSmall;

    // Place the variable fields after the fixed part, each on a 4-byte
    // boundary so that arrays of DWORDs can be read in place.
    std::vector<PlacedField> placed;
    uint64_t end = fixed;
    for (const auto &f : answer.fields) {
        if (f.sizeMember + 2 * sizeof(DWORD) > fixed)
            continue;
        end = (end + 3) & ~uint64_t(3);
        placed.push_back({f.sizeMember, DWORD(end), &f});
        end += f.bytes.size();
    }
    Layout layout;
    layout.total = total;
    layout.fixed = fixed;
    layout.needed = end + faults.extraNeeded;
    layout.fill = end <= total;
    layout.used = layout.fill ? DWORD(end) : fixed;
    applyFaults(faults, placed, layout);

    auto *out = static_cast<uint8_t *>(buffer);
    std::memcpy(out + 3 * sizeof(DWORD), answer.fixed.data() + 3 * sizeof(DWORD), fixed - 3 * sizeof(DWORD));
    // Size and offset members of fields that are not written stay 0.
    for (const auto &f : answer.fields) {
        if (f.sizeMember + 2 * sizeof(DWORD) <= fixed)
            std::memset(out + f.sizeMember, 0, 2 * sizeof(DWORD));
    }
    if (layout.fill) {
        for (const PlacedField &p : placed) {
            const DWORD size = p.size();
            if (p.written)
                std::memcpy(out + p.offset, p.field->bytes.data(), size);
            std::memcpy(out + p.sizeMember, &size, sizeof size);
            std::memcpy(out + p.sizeMember + sizeof(DWORD), &p.offset, sizeof p.offset);
        }
        if (layout.zeroFrom < total)
            std::memset(out + layout.zeroFrom, 0, total - layout.zeroFrom);
    }
    const DWORD neededOut = layout.needed > 0xFFFFFFFFu ? 0xFFFFFFFFu : DWORD(layout.needed);
    std::memcpy(out + sizeof(DWORD), &neededOut, sizeof neededOut);
    std::memcpy(out + 2 * sizeof(DWORD), &layout.used, sizeof layout.used);
    return 0;
}

exchange::VarStruct varString(DWORD format, const void *data, size_t size)
{
    VARSTRING v{};
    v.dwStringFormat = format;
    exchange::VarStruct out = exchange::VarStruct::of(v);
    out.addBytes(offsetof(VARSTRING, dwStringSize), data, size);
    if (format == STRINGFORMAT_UNICODE && !out.fields.empty())
        out.fields.back().text = true;
    return out;
}

} // namespace tapi32
