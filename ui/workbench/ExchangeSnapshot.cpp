#include <ui/workbench/ExchangeSnapshot.h>

#include <tapitrace/ConstantNames.h>

namespace {

QString Text(const std::u16string &text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString Party(const exchange::PartyId &party)
{
    return PartyText(Text(party.number), Text(party.name));
}

ConsoleLine ReadLine(const exchange::Line &line)
{
    ConsoleLine shown;
    shown.id = line.id();
    shown.name = Text(line.config().name);
    shown.owner = Text(line.config().ownerName);
    for (DWORD a = 0; a < line.addressCount(); ++a)
        shown.addresses.push_back({a, Text(line.address(a).number)});
    shown.phone = line.config().phone;
    shown.statusFlags = line.devStatusFlags();
    shown.removed = line.removed();
    return shown;
}

ConsolePhone ReadPhone(const exchange::Phone &phone)
{
    ConsolePhone shown;
    shown.id = phone.id();
    shown.name = Text(phone.config().name);
    shown.line = phone.config().line;
    shown.offHook = phone.hookSwitchMode(PHONEHOOKSWITCHDEV_HANDSET) != PHONEHOOKSWITCHMODE_ONHOOK;
    shown.display = QString::fromLatin1(phone.displayText());
    for (DWORD b = 0; b < phone.buttonCount(); ++b) {
        const exchange::ButtonConfig &button = phone.config().buttons[b];
        shown.buttons.push_back({b, Text(button.text), button.function});
    }
    shown.removed = phone.removed();
    return shown;
}

QString OutsideParty(const exchange::Connection *connection)
{
    if (!connection || !connection->external)
        return {};
    return PartyText(Text(connection->external->number), Text(connection->external->name));
}

/// Who waits at a park slot: the party outside, else the local party left on the call.
QString WaitingParty(const exchange::Core &core, exchange::ConnectionId id)
{
    const exchange::Connection *connection = core.connection(id);
    if (!connection)
        return {};
    if (connection->external)
        return OutsideParty(connection);
    for (exchange::LegId legId : connection->legs)
        if (const exchange::Leg *leg = core.leg(legId))
            return Party(core.partyOf(*leg));
    return {};
}

} // namespace

QString PartyText(const QString &number, const QString &name)
{
    if (number.isEmpty())
        return name;
    const QString bracketed = QLatin1Char('<') + number + QLatin1Char('>');
    return name.isEmpty() ? bracketed : name + QLatin1Char(' ') + bracketed;
}

QString CallStateText(DWORD state)
{
    const std::string name = tapitrace::NameOf("LINECALLSTATE", state);
    const std::string prefix = "LINECALLSTATE_";
    return QString::fromStdString(name.starts_with(prefix) ? name.substr(prefix.size()) : name);
}

QString ResultText(LONG result)
{
    if (result == 0)
        return QStringLiteral("OK");
    const auto value = static_cast<uint32_t>(result);
    // Phone errors start at 0x90000001, line errors at 0x80000001.
    return QString::fromStdString(tapitrace::NameOf(value >= 0x90000000u ? "PHONEERR" : "LINEERR", value));
}

const ConsoleLine *ExchangeSnapshot::FindLine(DWORD id) const
{
    for (const ConsoleLine &line : lines)
        if (line.id == id)
            return &line;
    return nullptr;
}

const ConsolePhone *ExchangeSnapshot::FindPhone(DWORD id) const
{
    for (const ConsolePhone &phone : phones)
        if (phone.id == id)
            return &phone;
    return nullptr;
}

const ConsoleCall *ExchangeSnapshot::FindCall(exchange::LegId leg) const
{
    for (const ConsoleCall &call : calls)
        if (call.leg == leg)
            return &call;
    return nullptr;
}

ExchangeSnapshot TakeSnapshot(const exchange::Exchange &exchange)
{
    return exchange.inspect([](const exchange::Switchboard &board) {
        ExchangeSnapshot snapshot;
        const exchange::Core &core = board.core();
        for (DWORD id = 0; id < board.lineCount(); ++id) {
            snapshot.lines.push_back(ReadLine(*board.line(id)));
            for (exchange::LegId legId : core.legsOn(id, std::nullopt)) {
                const exchange::Leg *leg = core.leg(legId);
                if (!leg)
                    continue;
                const exchange::CallInfoData &info = leg->info();
                snapshot.calls.push_back({legId, info.callId, leg->line(), leg->address(), leg->state(), leg->mode(),
                                          Party(info.caller), Party(info.called), Party(info.connected),
                                          OutsideParty(core.connection(leg->connection()))});
            }
        }
        for (DWORD id = 0; id < board.phoneCount(); ++id)
            snapshot.phones.push_back(ReadPhone(*board.phone(id)));
        for (const auto &[slot, connection] : board.parking().occupancy())
            snapshot.parkSlots.push_back(
                {Text(slot), connection != 0, connection ? WaitingParty(core, connection) : QString()});
        return snapshot;
    });
}
