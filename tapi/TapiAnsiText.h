// The 8-bit texts of TAPI structures (a phone's display, for example) and
// the program's wide text.
//
// TAPI passes such texts in "the user's 8-bit code page". This program
// fixes that code page to Windows-1252 on every platform: it is the 8-bit
// code page of Western European Windows installations, a superset of
// Latin-1's printable range, and the same text then reads the same on
// every machine whatever its locale. Its five unassigned bytes (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) stand for the control characters of the same number, as
// Windows itself converts them.
#ifndef DIALWERK_TAPI_TAPIANSITEXT_H
#define DIALWERK_TAPI_TAPIANSITEXT_H

#include "TapiPlatform.h"

#include <cstddef>
#include <string>

/// Converts `size` bytes of Windows-1252 text into wide text, byte by byte:
/// nothing is cut at a zero byte (the caller decides how much to pass).
tapi_string DecodeAnsiText(const unsigned char *bytes, std::size_t size);
inline tapi_string DecodeAnsiText(const std::string &text)
{
    return DecodeAnsiText(reinterpret_cast<const unsigned char *>(text.data()), text.size());
}

/// Converts wide text into Windows-1252; a character the code page lacks
/// (a surrogate pair counts as one) becomes '?'.
std::string EncodeAnsiText(const tapi_string &text);

#endif
