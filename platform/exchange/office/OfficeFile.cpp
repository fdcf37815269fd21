#include "exchange/office/OfficeFile.h"

#include "exchange/office/Devices.h"
#include "exchange/office/JsonWithLines.h"
#include "exchange/office/Node.h"
#include "exchange/office/SipAccounts.h"

#include "exchange/CallRecorder.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace exchange {

namespace {

using office::Node;

// Every dialable number (addresses, external numbers, park slots) reaches
// one party only, so a number may appear once in the whole office.
class NumberBook {
public:
    void add(const std::u16string &number, const Node &where)
    {
        if (number.empty())
            return;
        auto [it, added] = owners_.emplace(number, where.path());
        if (!added)
            where.fail("number " + toUtf8(number) + " is already used at " + it->second);
    }

private:
    std::map<std::u16string, std::string> owners_;
};

// Looks up devices by name; a second device of the same name is refused.
class DeviceNames {
public:
    explicit DeviceNames(const char *kind) : kind_(kind) {}
    void add(const std::u16string &name, DWORD index, const Node &where)
    {
        if (!byName_.emplace(name, index).second)
            where.failAt("name", std::string("there is already a ") + kind_ + " called \"" + toUtf8(name) + "\"");
    }
    DWORD find(const Node &reference) const
    {
        const std::u16string name = office::ReadText(reference);
        auto it = byName_.find(name);
        if (it == byName_.end())
            reference.fail(std::string("there is no ") + kind_ + " called \"" + toUtf8(name) + "\"");
        return it->second;
    }

private:
    const char *kind_;
    std::map<std::u16string, DWORD> byName_;
};

// Where the file gives the number of a line's address: with the address,
// or for the first one as the line's "number".
Node NumberNode(const Node &line, size_t address)
{
    if (auto list = line.member("addresses"); list && address < list->value().size()) {
        const Node entry = list->elements()[address];
        if (auto number = entry.member("number"))
            return *number;
    }
    if (address == 0) {
        if (auto number = line.member("number"))
            return *number;
    }
    return Node(line.value(), office::ElementPath(line.path() + ".addresses", address));
}

ExternalNumber ReadExternal(const Node &node)
{
    node.expectObject({{"number", "name", "behaviour", "delayMs"}});
    ExternalNumber e;
    e.number = office::ReadText(node.required("number"));
    if (e.number.empty())
        node.failAt("number", "an external number is not empty");
    if (auto v = node.member("name"))
        e.name = office::ReadText(*v);
    if (auto v = node.member("behaviour")) {
        e.behaviour = static_cast<ExternalBehaviour>(office::ReadChoice(
            *v, "behaviour", {"answer", "busy", "noAnswer", "reject", "unreachable", "callBack"}));
    }
    // Up to a day: longer only ever looks like a hang.
    if (auto v = node.member("delayMs"))
        e.delay = Millis(office::ReadNumberIn(*v, 0, 86'400'000));
    return e;
}

// Pairs lines and phones: either side may name the other, and a line has at
// most one phone and a phone at most one line.
void PairDevices(Topology &t, const std::vector<office::ReadLine> &lines, const std::vector<office::ReadPhone> &phones,
                 const DeviceNames &lineNames, const DeviceNames &phoneNames)
{
    std::vector<std::optional<Node>> pairedBy(t.lines.size()); // the reference that gave a line its phone
    auto pair = [&](DWORD line, DWORD phone, const Node &reference) {
        if (t.lines[line].far)
            reference.fail("line \"" + toUtf8(t.lines[line].name) + "\" is a SIP line: it has no phone");
        std::optional<DWORD> &lineSide = t.lines[line].phone;
        std::optional<DWORD> &phoneSide = t.phones[phone].line;
        if ((lineSide && *lineSide != phone) || (phoneSide && *phoneSide != line)) {
            reference.fail("line \"" + toUtf8(t.lines[line].name) + "\" and phone \"" + toUtf8(t.phones[phone].name) +
                           "\" cannot be paired: one of them already belongs to another device");
        }
        lineSide = phone;
        phoneSide = line;
    };
    for (DWORD i = 0; i < lines.size(); ++i) {
        if (lines[i].phone)
            pair(i, phoneNames.find(*lines[i].phone), *lines[i].phone);
    }
    for (DWORD i = 0; i < phones.size(); ++i) {
        if (phones[i].line)
            pair(lineNames.find(*phones[i].line), i, *phones[i].line);
    }
}

// The "sip" section: each account becomes a far line after the lines the
// file lists, with the AOR's user part as its number.
void ReadSipSection(const Node &sip, Topology &t, NumberBook &numbers, DeviceNames &lineNames)
{
    sip.expectObject({{"guardSeconds", "accounts"}});
    if (auto v = sip.member("guardSeconds"))
        t.farGuard = std::chrono::seconds(office::ReadNumberIn(*v, 1, 3600));
    const std::optional<Node> accounts = sip.member("accounts");
    if (!accounts)
        return;
    for (const Node &node : accounts->elements()) {
        office::ReadSip read = office::ReadSipAccount(node);
        read.account.line = static_cast<DWORD>(t.lines.size());
        lineNames.add(read.line.name, read.account.line, node);
        numbers.add(read.line.addresses.at(0).number, node.required("aor"));
        t.lines.push_back(std::move(read.line));
        t.sipAccounts.push_back(std::move(read.account));
    }
}

Topology ReadOffice(const Node &root)
{
    root.expectObject(
        {{"lines", "phones", "externals", "minExternalDigits", "parkSlots", "parkReminderMs", "sip"}});
    Topology t;
    NumberBook numbers;
    DeviceNames lineNames("line"), phoneNames("phone");

    std::vector<office::ReadLine> lines;
    for (const Node &node : root.required("lines").elements()) {
        lines.push_back(office::ReadLineDevice(node));
        const LineConfig &l = lines.back().config;
        lineNames.add(l.name, static_cast<DWORD>(t.lines.size()), node);
        for (size_t a = 0; a < l.addresses.size(); ++a)
            numbers.add(l.addresses[a].number, NumberNode(node, a));
        t.lines.push_back(l);
    }
    if (auto sip = root.member("sip"))
        ReadSipSection(*sip, t, numbers, lineNames);
    std::vector<office::ReadPhone> phones;
    if (auto list = root.member("phones")) {
        for (const Node &node : list->elements()) {
            phones.push_back(office::ReadPhoneDevice(node));
            phoneNames.add(phones.back().config.name, static_cast<DWORD>(t.phones.size()), node);
            t.phones.push_back(phones.back().config);
        }
    }
    PairDevices(t, lines, phones, lineNames, phoneNames);

    if (auto list = root.member("externals")) {
        for (const Node &node : list->elements()) {
            t.externals.push_back(ReadExternal(node));
            numbers.add(t.externals.back().number, node);
        }
    }
    if (auto list = root.member("parkSlots")) {
        for (const Node &node : list->elements()) {
            t.parkSlots.push_back(office::ReadText(node));
            if (t.parkSlots.back().empty())
                node.fail("a park slot has a number");
            numbers.add(t.parkSlots.back(), node);
        }
    }
    if (auto v = root.member("minExternalDigits"))
        t.minExternalDigits = office::ReadNumberIn(*v, 1, 64);
    if (auto v = root.member("parkReminderMs"))
        t.parkReminder = Millis(office::ReadNumberIn(*v, 1, 86'400'000));
    return t;
}

} // namespace

OfficeLoad parseOffice(std::string_view text, const std::string &fileName)
{
    OfficeLoad out;
    const office::JsonWithLines json = office::ReadJsonWithLines(text);
    if (!json.error.empty()) {
        out.error = fileName + ":" + std::to_string(json.errorLine) + ": " + json.error;
        return out;
    }
    try {
        out.office = ReadOffice(Node(json.root, ""));
    } catch (const office::Fault &fault) {
        out.error = fileName + ":" + std::to_string(json.lineOf(fault.path)) + ": " +
                    (fault.path.empty() ? "" : fault.path + ": ") + fault.what;
    } catch (const std::exception &e) {
        out.error = fileName + ": " + e.what();
    }
    return out;
}

OfficeLoad loadOffice(const std::string &path)
{
    std::error_code error;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, error))
        in.open(path, std::ios::binary);
    std::ostringstream text;
    if (in.is_open())
        text << in.rdbuf();
    if (!in.is_open() || in.bad()) {
        OfficeLoad out;
        out.error = path + ": cannot read the office file";
        return out;
    }
    return parseOffice(text.str(), path);
}

} // namespace exchange
