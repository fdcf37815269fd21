// Dialable address strings: checking them and reducing them to the digits
// the exchange routes on.
#ifndef DIALWERK_EXCHANGE_CORE_DIALSTRING_H
#define DIALWERK_EXCHANGE_CORE_DIALSTRING_H

#include <tapi.h>

#include <string>
#include <string_view>

namespace exchange {

struct DialString {
    std::u16string digits; // what to route on: 0-9, A-D, *, #, leading +
    bool partial = false;  // ended in ';': more digits follow with lineDial
};

/// Parses a dialable address. Formatting characters (blank, parentheses,
/// '-', '.') and dialing controls (P, T, W, @, $, ?, ',', '!') are accepted
/// and left out of the digits; a subaddress or name ('|', '^') ends the
/// number. Answers 0 or LINEERR_INVALADDRESS for any other character.
LONG parseDialString(std::u16string_view text, DialString &out);

/// True when the digits are valid for digit generation in that mode
/// (LINEDIGITMODE_PULSE: 0-9; DTMF and DTMFEND: 0-9, A-D, *, #).
bool validGenerateDigits(std::u16string_view digits, DWORD mode);

} // namespace exchange

#endif
