#include "tapitrace/ConstantNames.h"

#include <tapinames/Constants.h>

#include <cstdio>

namespace tapitrace {

using tapinames::AllConstants;
using tapinames::Constant;

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
    return text;
}

std::string NameOf(std::string_view group, uint32_t value)
{
    for (const Constant &c : AllConstants()) {
        if (c.value == value && group == c.group)
            return c.name;
    }
    return Hex(value);
}

std::vector<std::pair<std::string, uint32_t>> ConstantsIn(std::string_view group)
{
    std::vector<std::pair<std::string, uint32_t>> constants;
    for (const Constant &c : AllConstants()) {
        if (group == c.group)
            constants.emplace_back(c.name, c.value);
    }
    return constants;
}

std::string FlagsOf(std::string_view group, uint32_t value)
{
    if (value == 0)
        return "0";
    std::string text;
    uint32_t left = value;
    for (const Constant &c : AllConstants()) {
        // Only single bits name flags; masks and zero values of a group do not.
        if (group != c.group || c.value == 0 || (c.value & (c.value - 1)) != 0 || (left & c.value) == 0)
            continue;
        if (!text.empty())
            text += '|';
        text += c.name;
        left &= ~c.value;
    }
    if (left != 0) {
        if (!text.empty())
            text += '|';
        text += Hex(left);
    }
    return text;
}

} // namespace tapitrace
