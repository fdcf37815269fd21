#include "exchange/core/DialString.h"

namespace exchange {

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isDtmf(char16_t c)
{
    return isDigit(c) || c == u'*' || c == u'#' || (c >= u'A' && c <= u'D') || (c >= u'a' && c <= u'd');
}

} // namespace

LONG parseDialString(std::u16string_view text, DialString &out)
{
    out = {};
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'|' || c == u'^')
            break;
        if (c == u';') {
            // Only a final ';' marks a partial number.
            if (i + 1 != text.size())
                return LINEERR_INVALADDRESS;
            out.partial = true;
            break;
        }
        if (isDtmf(c)) {
            out.digits += (c >= u'a' && c <= u'd') ? char16_t(c - u'a' + u'A') : c;
            continue;
        }
        if (c == u'+') {
            if (!out.digits.empty())
                return LINEERR_INVALADDRESS;
            out.digits += c;
            continue;
        }
        switch (c) {
        case u' ':
        case u'(':
        case u')':
        case u'-':
        case u'.':
        case u'P':
        case u'p':
        case u'T':
        case u't':
        case u'W':
        case u'w':
        case u'@':
        case u'$':
        case u'?':
        case u',':
        case u'!':
            continue;
        default:
            return LINEERR_INVALADDRESS;
        }
    }
    return 0;
}

bool validGenerateDigits(std::u16string_view digits, DWORD mode)
{
    for (char16_t c : digits) {
        if (mode == LINEDIGITMODE_PULSE ? !isDigit(c) : !isDtmf(c))
            return false;
    }
    return true;
}

} // namespace exchange
