#include <ui/main/CallDisplayTexts.h>

#include <array>
#include <utility>

namespace {

using Entry = std::pair<DWORD, const char *>;

constexpr std::array<Entry, 15> kCallTypes{{
    {LINECALLREASON_DIRECT, "Direct"},
    {LINECALLREASON_FWDBUSY, "FwdBusy"},
    {LINECALLREASON_FWDNOANSWER, "FwdNoAns"},
    {LINECALLREASON_FWDUNCOND, "FwdUnc"},
    {LINECALLREASON_PICKUP, "Pickup"},
    {LINECALLREASON_UNPARK, "Unpark"},
    {LINECALLREASON_REDIRECT, "Redirect"},
    {LINECALLREASON_CALLCOMPLETION, "CallComp"},
    {LINECALLREASON_TRANSFER, "Transfer"},
    {LINECALLREASON_REMINDER, "Reminder"},
    {LINECALLREASON_UNAVAIL, "Unavail"},
    {LINECALLREASON_INTRUDE, "Intrude"},
    {LINECALLREASON_PARKED, "Parked"},
    {LINECALLREASON_CAMPEDON, "CampedOn"},
    {LINECALLREASON_ROUTEREQUEST, "Route"},
}};

constexpr std::array<Entry, 13> kMediaModes{{
    {LINEMEDIAMODE_INTERACTIVEVOICE, "Voice"},
    {LINEMEDIAMODE_AUTOMATEDVOICE, "Automated"},
    {LINEMEDIAMODE_DATAMODEM, "Modem"},
    {LINEMEDIAMODE_G3FAX, "G3FAX"},
    {LINEMEDIAMODE_TDD, "TDD"},
    {LINEMEDIAMODE_G4FAX, "G4FAX"},
    {LINEMEDIAMODE_DIGITALDATA, "DigData"},
    {LINEMEDIAMODE_TELETEX, "Teletex"},
    {LINEMEDIAMODE_VIDEOTEX, "VidTex"},
    {LINEMEDIAMODE_TELEX, "Telex"},
    {LINEMEDIAMODE_MIXED, "Mixed"},
    {LINEMEDIAMODE_ADSI, "ASDI"},
    {LINEMEDIAMODE_VOICEVIEW, "VoiceView"},
}};

template <std::size_t N> QString Lookup(const std::array<Entry, N> &table, DWORD value)
{
    for (const auto &[key, text] : table) {
        if (key == value)
            return QString::fromLatin1(text);
    }
    return QStringLiteral("Unknown");
}

} // namespace

QString CallTypeText(DWORD reason)
{
    return Lookup(kCallTypes, reason);
}

QString MediaModeText(DWORD mediaMode)
{
    return Lookup(kMediaModes, mediaMode & ~LINEMEDIAMODE_UNKNOWN);
}

QString CallDirectionText(DWORD origin)
{
    constexpr DWORD kInbound = LINECALLORIGIN_INBOUND | LINECALLORIGIN_INTERNAL | LINECALLORIGIN_EXTERNAL;
    QString text;
    if (origin & LINECALLORIGIN_CONFERENCE)
        text = QStringLiteral("Conference");
    else if (origin & LINECALLORIGIN_OUTBOUND)
        text = QStringLiteral("Outbound");
    else if (origin & kInbound)
        text = QStringLiteral("Inbound");
    else if (origin == LINECALLORIGIN_UNAVAIL)
        text = QStringLiteral("Unavail");
    if (text.isEmpty())
        return QStringLiteral("Unknown");
    if (origin & LINECALLORIGIN_INTERNAL)
        text += QStringLiteral("/Int");
    else if (origin & LINECALLORIGIN_EXTERNAL)
        text += QStringLiteral("/Ext");
    return text;
}
