#include "exchange/core/VarStruct.h"

namespace exchange {

void VarStruct::addText(uint32_t sizeMember, std::u16string_view text)
{
    if (text.empty())
        return;
    Field f{sizeMember, {}, true};
    f.bytes.resize((text.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(f.bytes.data(), text.data(), text.size() * sizeof(char16_t));
    fields.push_back(std::move(f));
}

void VarStruct::addBytes(uint32_t sizeMember, const void *data, size_t size)
{
    if (size == 0)
        return;
    Field f{sizeMember, {}, false};
    f.bytes.resize(size);
    std::memcpy(f.bytes.data(), data, size);
    fields.push_back(std::move(f));
}

DWORD VarStruct::get(uint32_t offset) const
{
    DWORD value = 0;
    if (offset + sizeof(DWORD) <= fixed.size())
        std::memcpy(&value, fixed.data() + offset, sizeof value);
    return value;
}

void VarStruct::set(uint32_t offset, DWORD value)
{
    if (offset + sizeof(DWORD) <= fixed.size())
        std::memcpy(fixed.data() + offset, &value, sizeof value);
}

} // namespace exchange
