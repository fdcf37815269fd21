#include "tapitrace/TraceFormat.h"

#include "tapitrace/ConstantNames.h"

#include <cstdio>
#include <string_view>

namespace tapitrace {

namespace {

// How a numeric argument is shown, by its parameter name.
struct ArgGroup {
    std::string_view arg;
    std::string_view group;
    bool flags;
};

constexpr ArgGroup kArgGroups[] = {
    {"dwMediaModes", "LINEMEDIAMODE", true},
    {"dwPrivileges", "LINECALLPRIVILEGE", true},
    {"dwPrivilege", "LINECALLPRIVILEGE", true},
    {"dwCallPrivilege", "LINECALLPRIVILEGE", true},
    {"dwSelect", "LINECALLSELECT", false},
    {"dwTransferMode", "LINETRANSFERMODE", false},
    {"dwParkMode", "LINEPARKMODE", false},
    {"dwCompletionMode", "LINECALLCOMPLMODE", false},
    {"dwDigitMode", "LINEDIGITMODE", true},
    {"dwLineStates", "LINEDEVSTATE", true},
    {"dwAddressStates", "LINEADDRESSSTATE", true},
    {"dwStatusToChange", "LINEDEVSTATUSFLAGS", true},
    {"dwAgentState", "LINEAGENTSTATE", false},
    {"dwNextAgentState", "LINEAGENTSTATE", false},
    {"dwPhoneStates", "PHONESTATE", true},
    {"dwButtonModes", "PHONEBUTTONMODE", true},
    {"dwButtonStates", "PHONEBUTTONSTATE", true},
    {"dwHookSwitchDev", "PHONEHOOKSWITCHDEV", true},
    {"dwHookSwitchDevs", "PHONEHOOKSWITCHDEV", true},
    {"dwHookSwitchMode", "PHONEHOOKSWITCHMODE", false},
    {"dwTranslateOptions", "LINETRANSLATEOPTION", true},
};

const ArgGroup *groupOf(std::string_view arg)
{
    for (const ArgGroup &g : kArgGroups) {
        if (g.arg == arg)
            return &g;
    }
    return nullptr;
}

bool isHandle(std::string_view arg)
{
    return arg.size() > 1 && arg[0] == 'h' && arg[1] >= 'A' && arg[1] <= 'Z';
}

std::string decimal(uint64_t value)
{
    return std::to_string(value);
}

std::string argument(const std::string &name, const exchange::RecordedArg &a)
{
    using Kind = exchange::RecordedArg::Kind;
    switch (a.kind) {
    case Kind::Null:
        return name + "=NULL";
    case Kind::Text: {
        std::string quoted = name + "=\"";
        for (char c : a.text) {
            if (c == '"' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        return quoted + '"';
    }
    case Kind::Bytes:
        return name + "=<" + decimal(a.bytes.size()) + " bytes>";
    case Kind::Number:
        break;
    }
    const auto value = static_cast<uint32_t>(a.number);
    if (const ArgGroup *g = groupOf(name))
        return name + '=' + (g->flags ? FlagsOf(g->group, value) : NameOf(g->group, value));
    if (isHandle(name) || name.find("Version") != std::string::npos)
        return name + '=' + Hex(value);
    return name + '=' + decimal(a.number);
}

// Errors of line functions are LINEERR_, of phone functions PHONEERR_, of the
// assisted-telephony functions TAPIERR_.
std::string_view errorGroup(std::string_view function)
{
    if (function.starts_with("phone"))
        return "PHONEERR";
    if (function.starts_with("tapi"))
        return "TAPIERR";
    return "LINEERR";
}

std::string result(std::string_view function, LONG value)
{
    if (value == 0)
        return "0";
    if (value > 0)
        return Hex(static_cast<uint32_t>(value)) + " (request)";
    return NameOf(errorGroup(function), static_cast<uint32_t>(value));
}

// The mode that comes with a call state, named by the state it belongs to.
std::string stateMode(uint32_t state, uint32_t mode)
{
    switch (state) {
    case LINECALLSTATE_BUSY:
        return FlagsOf("LINEBUSYMODE", mode);
    case LINECALLSTATE_DIALTONE:
        return FlagsOf("LINEDIALTONEMODE", mode);
    case LINECALLSTATE_OFFERING:
        return FlagsOf("LINEOFFERINGMODE", mode);
    case LINECALLSTATE_CONNECTED:
        return FlagsOf("LINECONNECTEDMODE", mode);
    case LINECALLSTATE_DISCONNECTED:
        return FlagsOf("LINEDISCONNECTMODE", mode);
    case LINECALLSTATE_SPECIALINFO:
        return FlagsOf("LINESPECIALINFO", mode);
    default:
        return Hex(mode);
    }
}

std::string lineParams(const LINEMESSAGE &m, TraceEntry &entry)
{
    const auto p1 = static_cast<uint32_t>(m.dwParam1);
    const auto p2 = static_cast<uint32_t>(m.dwParam2);
    const auto p3 = static_cast<uint32_t>(m.dwParam3);
    const auto device = static_cast<uint32_t>(m.hDevice);
    switch (m.dwMessageID) {
    case LINE_CALLSTATE:
        entry.call = device;
        return "hCall=" + Hex(device) + ' ' + NameOf("LINECALLSTATE", p1) + ' ' + stateMode(p1, p2) +
               (p3 ? ' ' + FlagsOf("LINECALLPRIVILEGE", p3) : std::string());
    case LINE_CALLINFO:
        entry.call = device;
        return "hCall=" + Hex(device) + ' ' + FlagsOf("LINECALLINFOSTATE", p1);
    case LINE_GATHERDIGITS:
        entry.call = device;
        return "hCall=" + Hex(device) + ' ' + FlagsOf("LINEGATHERTERM", p1);
    case LINE_GENERATE:
        entry.call = device;
        return "hCall=" + Hex(device) + ' ' + NameOf("LINEGENERATETERM", p1);
    case LINE_MONITORDIGITS: {
        entry.call = device;
        const char digit = p1 >= 0x20 && p1 < 0x7F ? static_cast<char>(p1) : '?';
        return "hCall=" + Hex(device) + " digit='" + digit + "' " + FlagsOf("LINEDIGITMODE", p2);
    }
    case LINE_MONITORMEDIA:
        entry.call = device;
        return "hCall=" + Hex(device) + ' ' + FlagsOf("LINEMEDIAMODE", p1);
    case LINE_MONITORTONE:
        entry.call = device;
        return "hCall=" + Hex(device) + " tone=" + Hex(p1);
    case LINE_LINEDEVSTATE:
        entry.line = device;
        return "hLine=" + Hex(device) + ' ' + FlagsOf("LINEDEVSTATE", p1) + ' ' + Hex(p2) + ' ' + Hex(p3);
    case LINE_ADDRESSSTATE:
        entry.line = device;
        return "hLine=" + Hex(device) + " address=" + decimal(p1) + ' ' + FlagsOf("LINEADDRESSSTATE", p2);
    case LINE_AGENTSTATUS:
        entry.line = device;
        return "hLine=" + Hex(device) + " address=" + decimal(p1) + ' ' + FlagsOf("LINEAGENTSTATUS", p2) + ' ' +
               NameOf("LINEAGENTSTATE", p3);
    case LINE_APPNEWCALL:
        entry.line = device;
        entry.call = p2;
        return "hLine=" + Hex(device) + " address=" + decimal(p1) + " hCall=" + Hex(p2) + ' ' +
               FlagsOf("LINECALLPRIVILEGE", p3);
    case LINE_CLOSE:
        entry.line = device;
        return "hLine=" + Hex(device);
    case LINE_REPLY:
        return "request=" + Hex(p1) + " result=" + (p2 ? NameOf("LINEERR", p2) : std::string("0"));
    case LINE_CREATE:
    case LINE_REMOVE:
        return "device=" + decimal(p1);
    case LINE_REQUEST:
        return FlagsOf("LINEREQUESTMODE", p1);
    default:
        return "hDevice=" + Hex(device) + ' ' + Hex(p1) + ' ' + Hex(p2) + ' ' + Hex(p3);
    }
}

std::string phoneParams(const LINEMESSAGE &m)
{
    const auto p1 = static_cast<uint32_t>(m.dwParam1);
    const auto p2 = static_cast<uint32_t>(m.dwParam2);
    const auto p3 = static_cast<uint32_t>(m.dwParam3);
    const std::string phone = "hPhone=" + Hex(static_cast<uint32_t>(m.hDevice));
    switch (m.dwMessageID) {
    case PHONE_BUTTON:
        return phone + " button=" + decimal(p1) + ' ' + FlagsOf("PHONEBUTTONMODE", p2) + ' ' +
               FlagsOf("PHONEBUTTONSTATE", p3);
    case PHONE_STATE:
        return phone + ' ' + FlagsOf("PHONESTATE", p1) + ' ' + Hex(p2);
    case PHONE_CLOSE:
        return phone;
    case PHONE_REPLY:
        return "request=" + Hex(p1) + " result=" + (p2 ? NameOf("PHONEERR", p2) : std::string("0"));
    case PHONE_CREATE:
    case PHONE_REMOVE:
        return "device=" + decimal(p1);
    default:
        return phone + ' ' + Hex(p1) + ' ' + Hex(p2) + ' ' + Hex(p3);
    }
}

} // namespace

TraceEntry DescribeCall(const exchange::RecordedCall &call)
{
    TraceEntry entry;
    std::string text = call.function + '(';
    bool first = true;
    for (const auto &[name, value] : call.args) {
        if (name == "handle")
            continue; // an out-parameter the runtime notes for its own tests
        if (!first)
            text += ", ";
        first = false;
        text += argument(name, value);
        if (value.kind == exchange::RecordedArg::Kind::Number) {
            if (name == "hLine")
                entry.line = static_cast<uint32_t>(value.number);
            else if (name == "hCall")
                entry.call = static_cast<uint32_t>(value.number);
        }
    }
    text += ") = ";
    text += result(call.function, call.result);
    entry.text = std::move(text);
    return entry;
}

TraceEntry DescribeMessage(const tapi32::TracedMessage &message)
{
    TraceEntry entry;
    const LINEMESSAGE &m = message.msg;
    const auto id = static_cast<uint32_t>(m.dwMessageID);
    if (message.phone) {
        entry.text = NameOf("PHONE_", id) + ' ' + phoneParams(m);
    } else {
        entry.text = NameOf("LINE_", id) + ' ' + lineParams(m, entry);
        if (entry.line == 0)
            entry.line = message.line;
    }
    return entry;
}

std::string FormatEntry(const TraceEntry &entry)
{
    char head[48];
    std::snprintf(head, sizeof head, "%12llu us  T%-3u ", static_cast<unsigned long long>(entry.micros), entry.thread);
    return head + entry.text;
}

} // namespace tapitrace
