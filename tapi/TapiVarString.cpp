#include "TapiVarString.h"

#include "TapiFields.h"

#include <algorithm>
#include <cstring>

namespace {

// Characters of a setting read as a number, terminator included.
constexpr DWORD kDecimalSettingChars = 200;

} // namespace

DWORD TapiDeviceIdOf(const VARSTRING *id)
{
    if (!id || id->dwStringSize < sizeof(DWORD) || id->dwStringOffset == 0)
        return 0xFFFFFFFF;
    return ReadTapiDword(id, id->dwStringOffset).value_or(0xFFFFFFFF);
}

int TapiDecimalSettingOf(const KTSPVarStruct<varstring_tag> &setting)
{
    const VARSTRING *text = setting.Get();
    if (!text)
        return 0;
    WCHAR digits[kDecimalSettingChars];
    if (setting.GetString(text->dwStringOffset, text->dwStringSize, digits, kDecimalSettingChars) != 0)
        return 0;
    return ParseTapiDecimal(digits);
}

int ParseTapiDecimal(const WCHAR *text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    bool negative = false;
    if (*text == '-' || *text == '+')
        negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > 0x7FFFFFFF)
            return 0;
    }
    return static_cast<int>(negative ? -value : value);
}

void CopyTapiStringBytes(const VARSTRING *text, void *buffer, DWORD bufferSize)
{
    if (!text || !buffer || !TapiFieldPresent(text, text->dwStringOffset, text->dwStringSize))
        return;
    const DWORD bytes = std::min(text->dwStringSize, bufferSize);
    std::memcpy(buffer, reinterpret_cast<const unsigned char *>(text) + text->dwStringOffset, bytes);
}
