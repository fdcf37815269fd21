#include "exchange/office/SipAccounts.h"

#include <arpa/inet.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>

namespace exchange::office {

namespace {

// Long enough for any URI or name an account needs; a longer text is a
// mistake and would only bloat every message it goes into.
constexpr size_t kMaxSipText = 255;

bool IsAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The characters a SIP URI's user part may hold unescaped, '%' for escapes.
bool IsUserChar(char c)
{
    return IsAlnum(c) || std::string_view("-_.!~*'()&=+$,;?/%").find(c) != std::string_view::npos;
}

// A text as UTF-8, at most kMaxSipText bytes, without control characters:
// a line break in a header field would start a header of its own.
std::string ReadSipText(const Node &node)
{
    ReadText(node); // refuses anything but a text
    const std::string &text = node.value().get_ref<const std::string &>();
    if (text.size() > kMaxSipText)
        node.fail("at most " + std::to_string(kMaxSipText) + " bytes");
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            node.fail("a control character (such as a line break) cannot go into a SIP message");
    }
    return text;
}

struct SipUri {
    std::string user; // empty when the URI has none
};

// sip:[user[:password]@]host[:port][;params][?headers] or the same with
// sips:. The host is a name, an IPv4 address or an IPv6 address in brackets.
SipUri ReadSipUri(const Node &node)
{
    const std::string text = ReadSipText(node);
    auto bad = [&](const std::string &why) {
        node.fail("\"" + text + "\" is not a SIP URI (sip:user@host or sips:user@host): " + why);
    };
    std::string_view rest = text;
    const auto scheme = [&](std::string_view s) {
        if (rest.size() < s.size())
            return false;
        for (size_t i = 0; i < s.size(); ++i) {
            if (static_cast<char>(std::tolower(static_cast<unsigned char>(rest[i]))) != s[i])
                return false;
        }
        return true;
    };
    if (scheme("sip:"))
        rest.remove_prefix(4);
    else if (scheme("sips:"))
        rest.remove_prefix(5);
    else
        bad("it starts with neither sip: nor sips:");

    SipUri uri;
    if (const size_t at = rest.find('@'); at != std::string_view::npos) {
        const std::string_view userInfo = rest.substr(0, at);
        uri.user = std::string(userInfo.substr(0, userInfo.find(':')));
        for (char c : uri.user) {
            if (!IsUserChar(c))
                bad(std::string("the user part has a '") + c + "'");
        }
        if (uri.user.empty())
            bad("the user part before '@' is empty");
        rest.remove_prefix(at + 1);
    }
    std::string_view hostPort = rest.substr(0, rest.find_first_of(";?"));
    std::string_view host;
    if (hostPort.starts_with('[')) {
        const size_t close = hostPort.find(']');
        if (close == std::string_view::npos)
            bad("the IPv6 address has no ']'");
        const std::string inner(hostPort.substr(1, close - 1));
        in6_addr address{};
        if (inet_pton(AF_INET6, inner.c_str(), &address) != 1)
            bad("\"" + inner + "\" is not an IPv6 address");
        host = hostPort.substr(0, close + 1);
        hostPort.remove_prefix(close + 1);
        if (!hostPort.empty() && !hostPort.starts_with(':'))
            bad("something follows the IPv6 address");
    } else {
        host = hostPort.substr(0, hostPort.find(':'));
        hostPort.remove_prefix(host.size());
        for (char c : host) {
            if (!IsAlnum(c) && c != '-' && c != '.')
                bad(std::string("the host has a '") + c + "'");
        }
    }
    if (host.empty())
        bad("it has no host");
    if (hostPort.starts_with(':')) {
        const std::string_view port = hostPort.substr(1);
        unsigned long value = 0;
        for (char c : port) {
            if (c < '0' || c > '9' || value > 65535)
                bad("the port is not a number from 1 to 65535");
            value = value * 10 + static_cast<unsigned long>(c - '0');
        }
        if (port.empty() || value < 1 || value > 65535)
            bad("the port is not a number from 1 to 65535");
    }
    return uri;
}

// An optional URI: absent or "" means none.
std::string ReadOptionalUri(const Node &account, std::string_view key)
{
    const std::optional<Node> node = account.member(key);
    if (!node)
        return {};
    const std::string text = ReadSipText(*node);
    if (!text.empty())
        ReadSipUri(*node);
    return text;
}

std::string ReadBindAddress(const Node &node)
{
    const std::string text = ReadSipText(node);
    in_addr v4{};
    in6_addr v6{};
    if (inet_pton(AF_INET, text.c_str(), &v4) != 1 && inet_pton(AF_INET6, text.c_str(), &v6) != 1)
        node.fail("\"" + text + "\" is not an IPv4 or IPv6 address");
    return text;
}

// The password, from the environment variable the file names. Only the
// variable's name ever goes into a message.
std::string ReadPassword(const Node &node)
{
    const std::string variable = ReadSipText(node);
    if (variable.empty() || variable.find('=') != std::string::npos)
        node.fail("\"" + variable + "\" is not the name of an environment variable");
    const char *value = std::getenv(variable.c_str());
    if (!value)
        node.fail("the environment variable " + variable + " that holds the password is not set");
    return value;
}

std::u16string Widen(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

} // namespace

ReadSip ReadSipAccount(const Node &node)
{
    node.expectObject({{"name", "aor", "displayName", "registrar", "outboundProxy", "user", "authUser",
                        "passwordVariable", "transport", "localPort", "bind", "dtmf", "expires", "mwi"}});
    SipAccount a;
    a.name = ReadSipText(node.required("name"));
    if (a.name.empty())
        node.failAt("name", "a SIP account has a name");
    const Node aor = node.required("aor");
    a.aor = ReadSipText(aor);
    const std::string number = ReadSipUri(aor).user;
    if (number.empty())
        aor.fail("the address of record has no user part (sip:201@pbx.example.org)");
    if (auto v = node.member("displayName"))
        a.displayName = ReadSipText(*v);
    a.registrar = ReadOptionalUri(node, "registrar");
    a.outboundProxy = ReadOptionalUri(node, "outboundProxy");
    a.user = number;
    if (auto v = node.member("user")) {
        a.user = ReadSipText(*v);
        for (char c : a.user) {
            if (!IsUserChar(c))
                v->fail(std::string("a SIP user name cannot hold a '") + c + "'");
        }
        if (a.user.empty())
            v->fail("a SIP user name is not empty");
    }
    if (auto v = node.member("authUser")) {
        a.authUser = ReadSipText(*v);
        if (a.authUser.find_first_of("\"\\") != std::string::npos)
            v->fail("a digest user name cannot hold '\"' or '\\'");
    }
    if (auto v = node.member("passwordVariable"))
        a.password = ReadPassword(*v);
    if (auto v = node.member("transport"))
        a.transport = ReadChoice(*v, "transport", {"udp", "tcp"}) == 0 ? "udp" : "tcp";
    if (auto v = node.member("localPort"))
        a.localPort = static_cast<uint16_t>(ReadNumberIn(*v, 1, 65535));
    if (auto v = node.member("bind"))
        a.bind = ReadBindAddress(*v);
    if (auto v = node.member("dtmf"))
        a.dtmf = ReadChoice(*v, "dtmf", {"info", "rfc4733"}) == 0 ? "info" : "rfc4733";
    // A day at most; 0 would take the registration back at once.
    if (auto v = node.member("expires"))
        a.expires = static_cast<uint32_t>(ReadNumberIn(*v, 1, 86'400));
    if (auto v = node.member("mwi"))
        a.mwi = ReadBool(*v);

    ReadSip out{LineConfig::farLine(ReadText(node.required("name")), Widen(number),
                                    node.member("displayName") ? ReadText(*node.member("displayName")) : u""),
                std::move(a)};
    return out;
}

} // namespace exchange::office
