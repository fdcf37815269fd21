#include "TapiDeviceTexts.h"

#include "TapiCodePage.h"
#include "TapiFields.h"

#include <cstdint>

tapi_string TapiLineNameOf(const LINEDEVCAPS *caps)
{
    if (!caps)
        return TAPI_TEXT("Line unavailable");
    // A name that lies outside the structure counts as no name.
    if (TapiFieldPresent(caps, caps->dwLineNameOffset, caps->dwLineNameSize))
        return ReadTapiString(caps, caps->dwLineNameOffset, caps->dwLineNameSize);
    return TAPI_TEXT("Line unnamed");
}

tapi_string TapiAddressNameOf(const LINEADDRESSCAPS *caps)
{
    if (caps && TapiFieldPresent(caps, caps->dwAddressOffset, caps->dwAddressSize))
        return ReadTapiString(caps, caps->dwAddressOffset, caps->dwAddressSize);
    return TAPI_TEXT("Address unknown");
}

tapi_string TapiPhoneNameOf(const PHONECAPS *caps)
{
    if (!caps)
        return TAPI_TEXT("Phone unavailable");
    if (TapiFieldPresent(caps, caps->dwPhoneNameOffset, caps->dwPhoneNameSize))
        return ReadTapiString(caps, caps->dwPhoneNameOffset, caps->dwPhoneNameSize);
    return TAPI_TEXT("Phone unnamed");
}

tapi_string TapiPhoneDisplayOf(const PHONESTATUS *status)
{
    tapi_string display;
    if (!status || !TapiFieldPresent(status, status->dwDisplayOffset, status->dwDisplaySize))
        return display;
    const auto *bytes = reinterpret_cast<const unsigned char *>(status) + status->dwDisplayOffset;
    const DWORD size = status->dwDisplaySize;
    // UTF-16 text looks like a one-character 8-bit string: a character, then a zero byte.
    if (size > 1 && bytes[0] != 0 && bytes[1] == 0)
        return ReadTapiString(status, status->dwDisplayOffset, size);
    // 8-bit text: the whole field in the program's 8-bit code page. Zero bytes
    // at the end are the terminator and its padding; one inside the text is an
    // empty display cell and shows as a blank, so nothing after it is lost.
    DWORD length = size;
    while (length > 0 && bytes[length - 1] == 0)
        --length;
    display = DecodeAnsiText(bytes, length);
    for (WCHAR &ch : display)
        if (ch == 0)
            ch = ' ';
    return display;
}

DWORD TapiLampModeOf(const PHONESTATUS *status, DWORD lampId)
{
    if (!status || std::uint64_t{lampId} * 4 + 4 > status->dwLampModesSize)
        return PHONELAMPMODE_UNKNOWN;
    if (!TapiFieldPresent(status, status->dwLampModesOffset, status->dwLampModesSize))
        return PHONELAMPMODE_UNKNOWN;
    // Offset + size lies within the structure, so the lamp's offset cannot wrap.
    return ReadTapiDword(status, status->dwLampModesOffset + lampId * 4).value_or(PHONELAMPMODE_UNKNOWN);
}
