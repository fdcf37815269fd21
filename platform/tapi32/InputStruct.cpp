#include "tapi32/InputStruct.h"

#include <cstring>

namespace tapi32 {

bool readWide(LPCWSTR text, std::u16string &out)
{
    out.clear();
    for (size_t i = 0; i < kMaxInputChars; ++i) {
        if (text[i] == 0)
            return true;
        out += text[i];
    }
    return false;
}

LONG InputStruct::read(const void *p, DWORD fixed, std::initializer_list<uint32_t> sizeMembers, LONG tooSmall,
                       LONG invalid)
{
    DWORD total = 0;
    std::memcpy(&total, p, sizeof total);
    if (total < fixed)
        return tooSmall;
    if (total > kMaxInputStruct)
        return invalid;
    bytes_.assign(static_cast<const uint8_t *>(p), static_cast<const uint8_t *>(p) + total);
    fixed_ = fixed;
    for (uint32_t member : sizeMembers) {
        if (member + 2 * sizeof(DWORD) > fixed)
            continue; // not part of this version's structure
        const uint64_t size = dword(member);
        const uint64_t offset = dword(member + sizeof(DWORD));
        if (size == 0)
            continue;
        if (offset < fixed || offset + size > total)
            return invalid;
    }
    return 0;
}

DWORD InputStruct::dword(uint32_t offset) const
{
    DWORD v = 0;
    if (offset + sizeof v <= bytes_.size())
        std::memcpy(&v, bytes_.data() + offset, sizeof v);
    return v;
}

std::vector<uint8_t> InputStruct::bytes(uint32_t sizeMember) const
{
    if (sizeMember + 2 * sizeof(DWORD) > fixed_)
        return {};
    const uint64_t size = dword(sizeMember);
    const uint64_t offset = dword(sizeMember + sizeof(DWORD));
    if (size == 0 || offset + size > bytes_.size())
        return {};
    return {bytes_.begin() + offset, bytes_.begin() + offset + size};
}

std::u16string InputStruct::text(uint32_t sizeMember) const
{
    const std::vector<uint8_t> b = bytes(sizeMember);
    std::u16string s;
    for (size_t i = 0; i + 1 < b.size(); i += 2) {
        char16_t c;
        std::memcpy(&c, b.data() + i, sizeof c);
        if (c == 0)
            break;
        s += c;
    }
    return s;
}

} // namespace tapi32
