#include "DemoText.h"

#include <exchange/CallRecorder.h>

#include <bit>
#include <cstring>
#include <iterator>

namespace demo {

std::string messageName(DWORD message)
{
    static const char *names[] = {"LINE_ADDRESSSTATE",  "LINE_CALLINFO",     "LINE_CALLSTATE",
                                  "LINE_CLOSE",         "LINE_DEVSPECIFIC",  "LINE_DEVSPECIFICFEATURE",
                                  "LINE_GATHERDIGITS",  "LINE_GENERATE",     "LINE_LINEDEVSTATE",
                                  "LINE_MONITORDIGITS", "LINE_MONITORMEDIA", "LINE_MONITORTONE",
                                  "LINE_REPLY",         "LINE_REQUEST",      "PHONE_BUTTON",
                                  "PHONE_CLOSE",        "PHONE_DEVSPECIFIC", "PHONE_REPLY",
                                  "PHONE_STATE",        "LINE_CREATE",       "PHONE_CREATE",
                                  "LINE_AGENTSPECIFIC", "LINE_AGENTSTATUS",  "LINE_APPNEWCALL"};
    return message < std::size(names) ? names[message] : "message " + std::to_string(message);
}

std::string callStateName(DWORD state)
{
    static const char *names[] = {"IDLE",           "OFFERING",           "ACCEPTED",     "DIALTONE",
                                  "DIALING",        "RINGBACK",           "BUSY",         "SPECIALINFO",
                                  "CONNECTED",      "PROCEEDING",         "ONHOLD",       "CONFERENCED",
                                  "ONHOLDPENDCONF", "ONHOLDPENDTRANSFER", "DISCONNECTED", "UNKNOWN"};
    if (std::has_single_bit(state) && std::countr_zero(state) < 16)
        return names[std::countr_zero(state)];
    return "state " + std::to_string(state);
}

std::string textAt(const void *structure, DWORD usedSize, DWORD offset, DWORD size)
{
    if (size < 2 || offset == 0 || uint64_t(offset) + size > usedSize)
        return "";
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), static_cast<const char *>(structure) + offset, (size / 2) * 2);
    text.resize(std::char_traits<char16_t>::length(text.c_str()));
    return exchange::toUtf8(text);
}

} // namespace demo
