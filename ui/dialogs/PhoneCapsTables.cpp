#include <ui/dialogs/PhoneCapsTables.h>

#include <iterator>

namespace {

// Indexed by PHONEBUTTONFUNCTION_ value.
constexpr const char *kFunctions[] = {
    "Unknown",        "Conference",      "Transfer",     "Drop",           "Hold",          "Recall",
    "Disconnect",     "Connect",         "MsgWaitOn",    "MsgWaitOff",     "SelectRing",    "AbbrevDial",
    "Forward",        "Pickup",          "RingAgain",    "Park",           "Reject",        "Redirect",
    "Mute",           "Volume Up",       "Volume Down",  "Speaker On",     "Speaker Off",   "Flash",
    "Data On",        "Data Off",        "Do Not Disturb", "Intercom",     "BridgedApp",    "Busy",
    "Call Appearance", "Date/Time",      "Directory",    "Cover",          "CallID",        "Last Number",
    "Night Service",  "Send Calls",      "Msg Indicator", "Rep Dial",      "SetRep Dial",   "System Speed Dial",
    "Station Speed Dial", "Camp On",     "Save Repeat",  "Queue Call",     "None",
};
static_assert(std::size(kFunctions) == 47);

// Indexed by bit number, from bit 0 upward.
constexpr const char *kButtonModes[] = {"Dummy ", "Call ", "Feature ", "KeyPad ", "Local ", "Display "};
constexpr const char *kLampModes[] = {"Dummy ", "Off ",     "Steady ",         "Wink ",
                                      "Flash ", "Flutter ", "Broken Flutter ", "Unknown "};

template <std::size_t N> QString BitNames(const char *const (&names)[N], DWORD bits)
{
    QString text;
    for (std::size_t bit = 0; bit < N; ++bit)
        if (bits & (DWORD{1} << bit))
            text += QString::fromLatin1(names[bit]);
    return text;
}

} // namespace

QString ButtonFunctionName(DWORD function)
{
    if (function < std::size(kFunctions))
        return QString::fromLatin1(kFunctions[function]);
    return QString::asprintf("0x%lx", static_cast<unsigned long>(function));
}

QString ButtonModeNames(DWORD modes)
{
    return BitNames(kButtonModes, modes);
}

QString LampModeNames(DWORD modes)
{
    return BitNames(kLampModes, modes);
}
