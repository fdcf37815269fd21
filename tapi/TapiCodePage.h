// The user's 8-bit ("ANSI") code page, for TAPI fields that carry 8-bit text:
// the text a dialer sends as call data or user-to-user information, and a
// phone's display when it is not UTF-16.
//
// On Windows that is the code page the user has chosen. Linux has no such
// setting, so the program fixes one: Windows-1252 (Western European), the
// most common ANSI code page. Its bytes 0x00-0x7F are ASCII, 0xA0-0xFF are
// Latin-1, and 0x80-0x9F hold the typographic characters (euro sign, quotes,
// dashes, ...); the five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) decode to the control characters of the same value, as Windows does.
// A character the code page cannot encode becomes "?", Windows' default.
//
// Standard library only; any thread.
#ifndef DIALWERK_TAPI_TAPICODEPAGE_H
#define DIALWERK_TAPI_TAPICODEPAGE_H

#include "TapiPlatform.h"

#include <cstddef>
#include <string>

/// `size` bytes of 8-bit text as UTF-16, every byte one character (zero bytes
/// included: the caller decides where the text ends).
tapi_string DecodeAnsiText(const unsigned char *bytes, std::size_t size);

/// UTF-16 text as 8-bit bytes, one per character (a surrogate pair is one
/// character); no terminating zero is added.
std::string EncodeAnsiText(const tapi_string &text);

#endif
