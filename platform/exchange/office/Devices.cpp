#include "exchange/office/Devices.h"

#include "exchange/office/CapsFields.h"

#include <algorithm>
#include <limits>

namespace exchange::office {

namespace {

constexpr size_t kMaxCompletionMessages = 64;
constexpr size_t kMaxCompletionMessageLength = 255;
constexpr DWORD kMaxDisplayRows = 100;
constexpr DWORD kMaxDisplayColumns = 1000;

void ReadVersions(const Node &device, DWORD &lowest, DWORD &highest)
{
    if (auto v = device.member("lowestVersion"))
        lowest = ReadNumber(*v);
    if (auto v = device.member("highestVersion"))
        highest = ReadNumber(*v);
    if (lowest > highest)
        device.failAt(device.member("highestVersion") ? "highestVersion" : "lowestVersion",
                      "the lowest version is above the highest");
}

LINEDIALPARAMS ReadDialParams(const Node &node, LINEDIALPARAMS params)
{
    node.expectObject({{"dialPause", "dialSpeed", "digitDuration", "waitForDialtone"}});
    if (auto v = node.member("dialPause"))
        params.dwDialPause = ReadNumber(*v);
    if (auto v = node.member("dialSpeed"))
        params.dwDialSpeed = ReadNumber(*v);
    if (auto v = node.member("digitDuration"))
        params.dwDigitDuration = ReadNumber(*v);
    if (auto v = node.member("waitForDialtone"))
        params.dwWaitForDialtone = ReadNumber(*v);
    return params;
}

AgentConfig ReadAgent(const Node &node)
{
    node.expectObject({{"validStates", "validNextStates", "activities", "groups"}});
    AgentConfig agent;
    if (auto v = node.member("validStates"))
        agent.validStates = ReadFlags(*v, "LINEAGENTSTATE");
    if (auto v = node.member("validNextStates"))
        agent.validNextStates = ReadFlags(*v, "LINEAGENTSTATE");
    if (auto list = node.member("activities")) {
        for (const Node &a : list->elements()) {
            a.expectObject({{"id", "name"}});
            agent.activities.emplace_back(ReadNumber(a.required("id")), ReadText(a.required("name")));
        }
    }
    if (auto list = node.member("groups")) {
        for (const Node &g : list->elements()) {
            g.expectObject({{"id", "name"}});
            const Node id = g.required("id");
            const std::vector<Node> words = id.elements();
            if (words.size() != 4)
                id.fail("a group identifier is four numbers, found " + std::to_string(words.size()));
            AgentGroup group;
            for (size_t i = 0; i < 4; ++i)
                group.id[i] = ReadNumber(words[i]);
            for (const AgentGroup &earlier : agent.groups) {
                if (earlier.id == group.id)
                    id.fail("two groups with the same identifier");
            }
            group.name = ReadText(g.required("name"));
            agent.groups.push_back(std::move(group));
        }
    }
    return agent;
}

void ReadAddress(const Node &node, AddressConfig &address, std::optional<AgentConfig> &agent)
{
    static const std::vector<std::string_view> own = {"number", "completionMessages", "agent"};
    node.expectObject({own, FieldNames(AddressCapsFields())});
    ReadTextIfGiven(node, "number", address.number);
    if (auto v = node.member("completionMessages")) {
        // LINEADDRESSCAPS carries every message in an entry as long as the
        // longest, so one long message among many would blow up the caps.
        address.completionMessages.clear();
        const std::vector<Node> messages = v->elements();
        if (messages.size() > kMaxCompletionMessages)
            v->fail(std::to_string(messages.size()) + " messages are too many (at most " +
                    std::to_string(kMaxCompletionMessages) + ")");
        for (const Node &m : messages) {
            address.completionMessages.push_back(ReadText8(m));
            if (address.completionMessages.back().size() > kMaxCompletionMessageLength)
                m.fail("a completion message is at most " + std::to_string(kMaxCompletionMessageLength) +
                       " characters long");
        }
    }
    ReadCaps(node, address.caps, AddressCapsFields());
    if (auto v = node.member("agent"))
        agent = ReadAgent(*v);
}

enum LinePreset { Extension, FewFeatures, Trunk, SingleMedia };

LineConfig LineFromPreset(const Node &line)
{
    const std::optional<Node> preset = line.member("preset");
    if (!preset) {
        if (line.member("number"))
            line.failAt("number", "a line without a preset gives the number with each address");
        if (!line.member("addresses"))
            line.failAt("addresses", "missing required field (a line without a preset lists its addresses)");
        return {};
    }
    const size_t which = ReadChoice(*preset, "line preset", {"extension", "fewFeatures", "trunk", "singleMedia"});
    const std::u16string number = ReadText(line.required("number"));
    std::u16string owner;
    ReadTextIfGiven(line, "ownerName", owner);
    switch (static_cast<LinePreset>(which)) {
    case Extension:
        return LineConfig::extension(number, owner);
    case FewFeatures:
        return LineConfig::fewFeatures(number, owner);
    case Trunk: {
        LineConfig trunk = LineConfig::trunk(u"", number);
        trunk.ownerName = owner;
        return trunk;
    }
    case SingleMedia:
        return LineConfig::singleMedia(number, owner, ReadFlags(line.required("mediaModes"), "LINEMEDIAMODE"));
    }
    return {};
}

} // namespace

ReadLine ReadLineDevice(const Node &line)
{
    static const std::vector<std::string_view> own = {
        "preset", "name", "number", "ownerName", "providerInfo", "switchInfo", "phone", "pickupGroup", "isdn",
        "invalidPasswordState", "lowestVersion", "highestVersion", "minDialParams", "maxDialParams",
        "defaultDialParams", "addresses"};
    // A capability of the address given with the line is the likeliest slip.
    for (const CapsField<LINEADDRESSCAPS> &f : AddressCapsFields()) {
        const bool lineField = std::find(own.begin(), own.end(), f.name) != own.end() ||
                               std::ranges::any_of(LineCapsFields(), [&](auto &l) { return l.name == f.name; });
        if (!lineField && line.member(f.name))
            line.failAt(f.name, "unknown field for a line; " + std::string(f.name) + " is set per address, in addresses");
    }
    line.expectObject({own, FieldNames(LineCapsFields())});
    ReadLine out{LineFromPreset(line), line.member("phone")};
    LineConfig &l = out.config;
    ReadTextIfGiven(line, "name", l.name);
    if (l.name.empty())
        line.failAt("name", "missing required field (every line has a name)");
    ReadTextIfGiven(line, "ownerName", l.ownerName);
    ReadTextIfGiven(line, "providerInfo", l.providerInfo);
    ReadTextIfGiven(line, "switchInfo", l.switchInfo);
    ReadTextIfGiven(line, "pickupGroup", l.pickupGroup);
    if (auto v = line.member("isdn"))
        l.isdn = ReadBool(*v);
    if (auto v = line.member("invalidPasswordState")) {
        if (v->value().is_null()) {
            l.invalidPasswordState.reset();
        } else if (v->value().is_number_integer() && !v->value().is_number_unsigned()) {
            const int64_t n = v->value().get<int64_t>();
            if (n < std::numeric_limits<int32_t>::min())
                v->fail(std::to_string(n) + " is out of range (-2147483648 to 2147483647)");
            l.invalidPasswordState = static_cast<long>(n);
        } else {
            l.invalidPasswordState = static_cast<long>(ReadNumberIn(*v, 0, 0x7FFFFFFF));
        }
    }
    ReadVersions(line, l.lowestVersion, l.highestVersion);
    ReadCaps(line, l.caps, LineCapsFields());
    if (auto v = line.member("minDialParams"))
        l.caps.MinDialParams = ReadDialParams(*v, l.caps.MinDialParams);
    if (auto v = line.member("maxDialParams"))
        l.caps.MaxDialParams = ReadDialParams(*v, l.caps.MaxDialParams);
    if (auto v = line.member("defaultDialParams"))
        l.caps.DefaultDialParams = ReadDialParams(*v, l.caps.DefaultDialParams);

    // The file's addresses lay over the preset's, one by one; more than the
    // preset has start as a copy of its first address without a number.
    if (auto list = line.member("addresses")) {
        const std::vector<Node> given = list->elements();
        if (given.empty() && l.addresses.empty())
            list->fail("a line has at least one address");
        for (size_t i = 0; i < given.size(); ++i) {
            if (i >= l.addresses.size()) {
                AddressConfig extra = l.addresses.empty() ? AddressConfig{} : l.addresses[0];
                extra.number.clear();
                l.addresses.push_back(std::move(extra));
            }
            std::optional<AgentConfig> agent;
            ReadAddress(given[i], l.addresses[i], agent);
            if (agent)
                l.agents[static_cast<DWORD>(i)] = std::move(*agent);
        }
    }
    return out;
}

ReadPhone ReadPhoneDevice(const Node &phone)
{
    static const std::vector<std::string_view> own = {
        "preset", "variations", "name", "line", "providerInfo", "phoneInfo", "display", "lowestVersion",
        "highestVersion", "buttons"};
    phone.expectObject({own, FieldNames(PhoneCapsFields())});
    ReadPhone out{{}, phone.member("line")};
    PhoneConfig &p = out.config;
    if (auto preset = phone.member("preset")) {
        ReadChoice(*preset, "phone preset", {"deskPhone"});
        p = PhoneConfig::deskPhone(u"", 0);
        p.line.reset(); // set from the line's name once every line is known
    }
    if (auto list = phone.member("variations")) {
        for (const Node &v : list->elements()) {
            switch (ReadChoice(v, "phone variation", {"readOnlyDisplay", "speakerWithoutMicSpeaker", "agentKeys",
                                                      "noDisplay"})) {
            case 0:
                PhoneConfig::readOnlyDisplay(p);
                break;
            case 1:
                PhoneConfig::speakerWithoutMicSpeaker(p);
                break;
            case 2:
                PhoneConfig::agentKeys(p);
                break;
            default:
                PhoneConfig::noDisplay(p);
                break;
            }
        }
    }
    p.name = ReadText(phone.required("name"));
    if (p.name.empty())
        phone.failAt("name", "a phone's name is not empty");
    ReadTextIfGiven(phone, "providerInfo", p.providerInfo);
    ReadTextIfGiven(phone, "phoneInfo", p.phoneInfo);
    if (auto v = phone.member("display"))
        p.display = ReadText8(*v);
    ReadVersions(phone, p.lowestVersion, p.highestVersion);
    ReadCaps(phone, p.caps, PhoneCapsFields());
    // The exchange keeps every cell of the display: a display the size of a
    // page is plenty, and one of 4294967295 rows would not fit in memory.
    if (p.caps.dwDisplayNumRows > kMaxDisplayRows)
        phone.failAt("displayNumRows", std::to_string(p.caps.dwDisplayNumRows) + " is out of range (0 to " +
                                           std::to_string(kMaxDisplayRows) + ")");
    if (p.caps.dwDisplayNumColumns > kMaxDisplayColumns)
        phone.failAt("displayNumColumns", std::to_string(p.caps.dwDisplayNumColumns) + " is out of range (0 to " +
                                              std::to_string(kMaxDisplayColumns) + ")");
    // As with addresses: the file's buttons lay over the preset's.
    if (auto list = phone.member("buttons")) {
        const std::vector<Node> given = list->elements();
        for (size_t i = 0; i < given.size(); ++i) {
            const Node &b = given[i];
            b.expectObject({{"mode", "function", "text", "lampMode"}});
            if (i >= p.buttons.size())
                p.buttons.emplace_back();
            ButtonConfig &button = p.buttons[i];
            if (auto v = b.member("mode"))
                button.mode = ReadFlags(*v, "PHONEBUTTONMODE");
            if (auto v = b.member("function"))
                button.function = ReadEnum(*v, "PHONEBUTTONFUNCTION");
            ReadTextIfGiven(b, "text", button.text);
            if (auto v = b.member("lampMode"))
                button.lampMode = ReadFlags(*v, "PHONELAMPMODE");
        }
    }
    return out;
}

} // namespace exchange::office
