#include "sip/SipText.h"

#include <cctype>
#include <cerrno>
#include <cstdio>

namespace sip {

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

namespace {

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && startsWithNoCase(a, b);
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

/// Calls `f` with each line of `body` (CRLF or LF), trimmed.
template <class F> void forEachLine(std::string_view body, F &&f)
{
    while (!body.empty()) {
        const size_t end = body.find('\n');
        const std::string_view line = body.substr(0, end);
        if (f(trim(line)))
            return;
        if (end == std::string_view::npos)
            return;
        body.remove_prefix(end + 1);
    }
}

/// The scheme-less rest of a sip:, sips: or tel: URI, and whether it was tel:.
std::optional<std::pair<std::string_view, bool>> schemeRest(std::string_view uri)
{
    if (startsWithNoCase(uri, "sip:"))
        return std::pair{uri.substr(4), false};
    if (startsWithNoCase(uri, "sips:"))
        return std::pair{uri.substr(5), false};
    if (startsWithNoCase(uri, "tel:"))
        return std::pair{uri.substr(4), true};
    return std::nullopt;
}

bool isDtmf(char16_t c)
{
    return (c >= u'0' && c <= u'9') || c == u'*' || c == u'#' || (c >= u'A' && c <= u'D');
}

} // namespace

DWORD disconnectModeFor(uint16_t status)
{
    switch (status) {
    case 486:
    case 600:
        return LINEDISCONNECTMODE_BUSY;
    case 603:
        return LINEDISCONNECTMODE_REJECT;
    case 404:
    case 410:
    case 484:
    case 604:
        return LINEDISCONNECTMODE_BADADDRESS;
    case 480:
        return LINEDISCONNECTMODE_UNAVAIL;
    case 408:
        return LINEDISCONNECTMODE_NOANSWER;
    case 401:
    case 403:
    case 407:
        return LINEDISCONNECTMODE_BLOCKED;
    case 488:
    case 606:
        return LINEDISCONNECTMODE_INCOMPATIBLE;
    case 487:
        return LINEDISCONNECTMODE_NORMAL;
    case 503:
        return LINEDISCONNECTMODE_CONGESTION;
    default:
        break;
    }
    if (status >= 500 && status < 600)
        return LINEDISCONNECTMODE_TEMPFAILURE;
    if (status >= 600)
        return LINEDISCONNECTMODE_REJECT;
    return LINEDISCONNECTMODE_UNAVAIL;
}

DWORD disconnectModeForError(int err)
{
    return err == ETIMEDOUT ? LINEDISCONNECTMODE_NOANSWER : LINEDISCONNECTMODE_UNREACHABLE;
}

std::string escapeHeaderValue(std::string_view text)
{
    static const std::string_view kept = "-_.!~*'()[]/?:+$";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || kept.find(c) != std::string_view::npos) {
            out += c;
            continue;
        }
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", u);
        out += hex;
    }
    return out;
}

std::string referToReplacing(std::string_view targetUri, std::string_view callId, std::string_view toTag,
                             std::string_view fromTag)
{
    std::string out = "<";
    out += targetUri;
    out += targetUri.find('?') == std::string_view::npos ? "?Replaces=" : "&Replaces=";
    out += escapeHeaderValue(callId);
    out += "%3Bto-tag%3D";
    out += escapeHeaderValue(toTag);
    out += "%3Bfrom-tag%3D";
    out += escapeHeaderValue(fromTag);
    out += '>';
    return out;
}

std::string requestUriFor(std::string_view dialed, std::string_view domain)
{
    dialed = trim(dialed);
    if (startsWithNoCase(dialed, "sip:") || startsWithNoCase(dialed, "sips:"))
        return std::string(dialed);
    std::string user;
    for (const char c : dialed) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '*')
            user += c;
        else if (c == '#')
            user += "%23";
    }
    if (user.empty() || domain.empty())
        return {};
    return "sip:" + user + "@" + std::string(domain);
}

std::string domainOf(std::string_view uri)
{
    const auto rest = schemeRest(uri);
    if (!rest || rest->second)
        return {};
    std::string_view s = rest->first;
    if (const size_t at = s.find('@'); at != std::string_view::npos)
        s.remove_prefix(at + 1);
    return std::string(s.substr(0, s.find_first_of(";?>")));
}

std::string userOf(std::string_view uri)
{
    const auto rest = schemeRest(uri);
    if (!rest)
        return {};
    std::string_view s = rest->first;
    if (rest->second)
        return std::string(s.substr(0, s.find_first_of(";?>")));
    const size_t at = s.find('@');
    if (at == std::string_view::npos)
        return {};
    s = s.substr(0, at);
    return std::string(s.substr(0, s.find_first_of(";:")));
}

std::optional<NameAddr> parseNameAddr(std::string_view value)
{
    value = trim(value);
    NameAddr out;
    const size_t open = value.find('<');
    if (open == std::string_view::npos) {
        // A bare URI without angle brackets ends at the first header parameter.
        out.uri = std::string(trim(value.substr(0, value.find(';'))));
        return out.uri.empty() ? std::nullopt : std::optional(out);
    }
    const size_t close = value.find('>', open);
    if (close == std::string_view::npos)
        return std::nullopt;
    out.uri = std::string(trim(value.substr(open + 1, close - open - 1)));
    std::string_view display = trim(value.substr(0, open));
    if (display.size() >= 2 && display.front() == '"' && display.back() == '"') {
        display = display.substr(1, display.size() - 2);
        for (size_t i = 0; i < display.size(); ++i) {
            if (display[i] == '\\' && i + 1 < display.size())
                ++i;
            out.display += display[i];
        }
    } else {
        out.display = std::string(display);
    }
    return out;
}

bool privacyHidesId(std::string_view privacy)
{
    bool hides = false;
    while (!privacy.empty() && !hides) {
        const size_t end = privacy.find(';');
        const std::string_view token = trim(privacy.substr(0, end));
        hides = equalsNoCase(token, "id") || equalsNoCase(token, "header") || equalsNoCase(token, "user");
        if (end == std::string_view::npos)
            break;
        privacy.remove_prefix(end + 1);
    }
    return hides;
}

exchange::PartyId partyIdFrom(std::string_view nameAddr, bool privacyId)
{
    exchange::PartyId party;
    const auto parsed = parseNameAddr(nameAddr);
    if (!parsed)
        return party;
    const std::string user = userOf(parsed->uri);
    const std::string host = domainOf(parsed->uri);
    const bool anonymous = equalsNoCase(user, "anonymous") || equalsNoCase(host, "anonymous.invalid") ||
                           equalsNoCase(parsed->display, "anonymous");
    if (privacyId || anonymous) {
        party.flags = LINECALLPARTYID_BLOCKED;
        return party;
    }
    party.number = fromUtf8(user);
    party.name = fromUtf8(parsed->display);
    party.flags = 0;
    if (!party.number.empty())
        party.flags |= LINECALLPARTYID_ADDRESS;
    if (!party.name.empty())
        party.flags |= LINECALLPARTYID_NAME;
    if (party.flags == 0)
        party.flags = LINECALLPARTYID_UNKNOWN;
    return party;
}

std::string dtmfRelayBody(char16_t digit, unsigned durationMs)
{
    return "Signal=" + std::string(1, static_cast<char>(digit)) + "\r\nDuration=" + std::to_string(durationMs) +
           "\r\n";
}

std::optional<char16_t> dtmfDigitOf(std::string_view body, bool relay)
{
    std::optional<char16_t> digit;
    if (!relay) {
        body = trim(body);
        if (body.size() == 1 && isDtmf(static_cast<char16_t>(std::toupper(static_cast<unsigned char>(body[0])))))
            digit = static_cast<char16_t>(std::toupper(static_cast<unsigned char>(body[0])));
        return digit;
    }
    forEachLine(body, [&](std::string_view line) {
        if (!startsWithNoCase(line, "signal"))
            return false;
        line.remove_prefix(6);
        line = trim(line);
        if (line.empty() || line.front() != '=')
            return true;
        const std::string_view value = trim(line.substr(1));
        if (value == "10")
            digit = u'*';
        else if (value == "11")
            digit = u'#';
        else if (value.size() == 1) {
            const auto c = static_cast<char16_t>(std::toupper(static_cast<unsigned char>(value[0])));
            if (isDtmf(c))
                digit = c;
        }
        return true;
    });
    return digit;
}

std::optional<bool> messagesWaiting(std::string_view body)
{
    std::optional<bool> waiting;
    forEachLine(body, [&](std::string_view line) {
        if (!startsWithNoCase(line, "messages-waiting"))
            return false;
        line.remove_prefix(16);
        line = trim(line);
        if (line.empty() || line.front() != ':')
            return true;
        const std::string_view value = trim(line.substr(1));
        if (equalsNoCase(value, "yes"))
            waiting = true;
        else if (equalsNoCase(value, "no"))
            waiting = false;
        return true;
    });
    return waiting;
}

uint16_t sipfragStatus(std::string_view body)
{
    body = trim(body);
    if (!startsWithNoCase(body, "SIP/2.0 "))
        return 0;
    body.remove_prefix(8);
    if (body.size() < 3)
        return 0;
    uint16_t code = 0;
    for (size_t i = 0; i < 3; ++i) {
        if (body[i] < '0' || body[i] > '9')
            return 0;
        code = static_cast<uint16_t>(code * 10 + (body[i] - '0'));
    }
    if (body.size() > 3 && body[3] != ' ' && body[3] != '\r' && body[3] != '\n')
        return 0;
    return code >= 100 && code < 700 ? code : 0;
}

std::u16string fromUtf8(std::string_view text)
{
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len != 0 && i + len <= text.size();
        for (size_t k = 1; ok && k < len; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            ok = (c >> 6) == 2;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

} // namespace sip
