#include "TapiCodePage.h"

#include <array>
#include <cstdint>

namespace {

// The characters of bytes 0x80 to 0x9F; the undefined bytes map to themselves.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t DecodeByte(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

char EncodeUnit(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

tapi_string DecodeAnsiText(const unsigned char *bytes, std::size_t size)
{
    tapi_string text;
    if (!bytes)
        return text;
    text.reserve(size);
    for (std::size_t i = 0; i < size; ++i)
        text.push_back(static_cast<WCHAR>(DecodeByte(bytes[i])));
    return text;
}

std::string EncodeAnsiText(const tapi_string &text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<char16_t>(text[i]);
        // A character outside the basic plane is one character, and one "?".
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(static_cast<char16_t>(text[i + 1])))
            ++i;
        bytes.push_back(EncodeUnit(unit));
    }
    return bytes;
}
