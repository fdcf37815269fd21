#include "TapiFields.h"

#include <algorithm>
#include <cstdint>

namespace {

DWORD TotalSize(const void *structure)
{
    DWORD total;
    std::memcpy(&total, structure, sizeof total);
    return total;
}

// Sums in 64 bits so that an offset near 4 GiB cannot wrap back into the buffer.
bool WithinTotal(const void *structure, DWORD offset, std::uint64_t size)
{
    return structure && std::uint64_t{offset} + size <= TotalSize(structure);
}

} // namespace

bool TapiFieldPresent(const void *structure, DWORD offset, DWORD size)
{
    return offset != 0 && size != 0 && WithinTotal(structure, offset, size);
}

tapi_string ReadTapiString(const void *structure, DWORD offset, DWORD size)
{
    tapi_string text;
    if (!TapiFieldPresent(structure, offset, size))
        return text;
    const auto *at = static_cast<const unsigned char *>(structure) + offset;
    for (DWORD i = 0; i + sizeof(WCHAR) <= size; i += sizeof(WCHAR)) {
        WCHAR unit;
        std::memcpy(&unit, at + i, sizeof unit);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

std::optional<DWORD> ReadTapiDword(const void *structure, DWORD offset)
{
    if (!WithinTotal(structure, offset, sizeof(DWORD)))
        return std::nullopt;
    DWORD value;
    std::memcpy(&value, static_cast<const unsigned char *>(structure) + offset, sizeof value);
    return value;
}

std::vector<const unsigned char *> TapiRecords(const void *structure, DWORD offset, DWORD size, DWORD count,
                                               DWORD stride)
{
    std::vector<const unsigned char *> records;
    if (count == 0 || stride == 0 || !TapiFieldPresent(structure, offset, size))
        return records;
    const std::uint64_t fits = std::min<std::uint64_t>(size / stride, count);
    const auto *base = static_cast<const unsigned char *>(structure) + offset;
    records.reserve(static_cast<std::size_t>(fits));
    for (std::uint64_t i = 0; i < fits; ++i)
        records.push_back(base + i * stride);
    return records;
}
