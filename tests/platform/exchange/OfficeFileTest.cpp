// Office files: the shipped default equals the built-in office, a small
// office of one's own loads, and every kind of mistake in a file is refused
// with its file, line and field.
#include <exchange/office/OfficeFile.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

using namespace exchange;

namespace {

std::string Narrow(const std::u16string &text)
{
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Every word of a capability structure, one per line, so that a difference
// shows its offset.
template <class Caps>
void DescribeCaps(std::ostream &out, const char *what, const Caps &caps)
{
    DWORD words[sizeof(Caps) / 4];
    std::memcpy(words, &caps, sizeof words);
    for (size_t i = 0; i < std::size(words); ++i)
        out << "  " << what << "+" << i * 4 << " = 0x" << std::hex << words[i] << std::dec << "\n";
}

// The whole office as text: comparing two of these compares every field.
std::string Describe(const Topology &t)
{
    std::ostringstream out;
    for (const LineConfig &l : t.lines) {
        out << "line " << Narrow(l.name) << " | " << Narrow(l.providerInfo) << " | " << Narrow(l.switchInfo) << " | "
            << Narrow(l.ownerName) << " | phone " << (l.phone ? std::to_string(*l.phone) : "-") << " | password "
            << (l.invalidPasswordState ? std::to_string(*l.invalidPasswordState) : "-") << " | pickup "
            << Narrow(l.pickupGroup) << " | isdn " << l.isdn << " | " << l.lowestVersion << "-" << l.highestVersion
            << "\n";
        DescribeCaps(out, "LINEDEVCAPS", l.caps);
        for (const AddressConfig &a : l.addresses) {
            out << " address " << Narrow(a.number) << "\n";
            DescribeCaps(out, "LINEADDRESSCAPS", a.caps);
            for (const std::string &m : a.completionMessages)
                out << "  message " << m << "\n";
        }
        for (const auto &[address, agent] : l.agents) {
            out << " agent " << address << " " << agent.validStates << " " << agent.validNextStates << "\n";
            for (const auto &[id, name] : agent.activities)
                out << "  activity " << id << " " << Narrow(name) << "\n";
            for (const AgentGroup &g : agent.groups)
                out << "  group " << g.id[0] << "." << g.id[1] << "." << g.id[2] << "." << g.id[3] << " "
                    << Narrow(g.name) << "\n";
        }
    }
    for (const PhoneConfig &p : t.phones) {
        out << "phone " << Narrow(p.name) << " | " << Narrow(p.providerInfo) << " | " << Narrow(p.phoneInfo)
            << " | line " << (p.line ? std::to_string(*p.line) : "-") << " | display " << p.display << " | "
            << p.lowestVersion << "-" << p.highestVersion << "\n";
        DescribeCaps(out, "PHONECAPS", p.caps);
        for (const ButtonConfig &b : p.buttons)
            out << " button " << b.mode << " " << b.function << " " << Narrow(b.text) << " " << b.lampMode << "\n";
    }
    for (const ExternalNumber &e : t.externals)
        out << "external " << Narrow(e.number) << " " << Narrow(e.name) << " " << static_cast<int>(e.behaviour) << " "
            << e.delay.count() << "\n";
    for (const std::u16string &slot : t.parkSlots)
        out << "park " << Narrow(slot) << "\n";
    out << "minExternalDigits " << t.minExternalDigits << " parkReminder " << t.parkReminder.count() << "\n";
    return out.str();
}

TEST(OfficeFile, TheDefaultFileIsTheBuiltInOffice)
{
    const OfficeLoad load = loadOffice(DIALWERK_OFFICE_DIR "/default.json");
    ASSERT_TRUE(load.office) << load.error;
    EXPECT_EQ(Describe(*load.office), Describe(Topology::standard()));
}

TEST(OfficeFile, ASmallOfficeOfItsOwnLoads)
{
    const OfficeLoad load = parseOffice(R"({
      "lines": [
        { "preset": "extension", "number": "301", "ownerName": "Eva Fors", "phone": "Desk 301",
          "addresses": [ {}, { "number": "3011", "callFeatures": ["LINECALLFEATURE_DROP", 4096] } ] },
        { "name": "Bare line", "maxRate": "0x2000", "addresses": [ { "number": "302" } ],
          "defaultDialParams": { "dialSpeed": 80 } }
      ],
      "phones": [ { "preset": "deskPhone", "name": "Desk 301", "buttons": [ { "text": "Línea 1" } ] } ],
      "externals": [ { "number": "4711", "behaviour": "callBack", "delayMs": 10 } ],
      "minExternalDigits": 4
    })");
    ASSERT_TRUE(load.office) << load.error;
    const Topology &t = *load.office;
    ASSERT_EQ(t.lines.size(), 2u);
    const LineConfig &ext = t.lines[0];
    EXPECT_EQ(ext.name, u"Extension 301");
    EXPECT_EQ(ext.phone, 0u);
    ASSERT_EQ(ext.addresses.size(), 2u);
    // The added address starts as a copy of the first, without its number.
    EXPECT_EQ(ext.addresses[1].number, u"3011");
    EXPECT_EQ(ext.addresses[1].caps.dwCallFeatures, DWORD{LINECALLFEATURE_DROP | 4096});
    EXPECT_EQ(ext.addresses[1].caps.dwMaxCallDataSize, ext.addresses[0].caps.dwMaxCallDataSize);
    const LineConfig &bare = t.lines[1];
    EXPECT_EQ(bare.caps.dwMaxRate, 0x2000u);
    EXPECT_EQ(bare.caps.DefaultDialParams.dwDialSpeed, 80u);
    EXPECT_EQ(bare.caps.dwLineFeatures, 0u);
    ASSERT_EQ(t.phones.size(), 1u);
    EXPECT_EQ(t.phones[0].line, 0u);
    EXPECT_EQ(t.phones[0].buttons[0].text, u"L\u00EDnea 1");
    EXPECT_EQ(t.phones[0].buttons[0].function, DWORD{PHONEBUTTONFUNCTION_CALLAPP});
    EXPECT_EQ(t.externals.at(0).behaviour, ExternalBehaviour::CallBack);
    EXPECT_EQ(t.minExternalDigits, 4u);
    EXPECT_TRUE(t.parkSlots.empty());
}

TEST(OfficeFile, SipAccountsBecomeFarLinesAfterTheOthers)
{
    ASSERT_EQ(setenv("DIALWERK_TEST_SIP_PASSWORD", "s3cret", 1), 0);
    const OfficeLoad load = parseOffice(R"json({
      "lines": [ { "preset": "extension", "number": "301" } ],
      "sip": { "guardSeconds": 5, "accounts": [
        { "name": "Anna (SIP)", "aor": "sip:201@pbx.example.org", "displayName": "Anna Berg",
          "registrar": "sip:pbx.example.org:5080;transport=tcp", "passwordVariable": "DIALWERK_TEST_SIP_PASSWORD",
          "transport": "tcp", "localPort": 5070, "bind": "127.0.0.1", "dtmf": "rfc4733", "expires": 120, "mwi": true },
        { "name": "Bo (SIP)", "aor": "sips:bo@[::1]", "authUser": "bo@example.org" } ] }
    })json");
    ASSERT_TRUE(load.office) << load.error;
    const Topology &t = *load.office;
    ASSERT_EQ(t.lines.size(), 3u);
    EXPECT_EQ(t.lines[1].name, u"Anna (SIP)");
    EXPECT_EQ(t.lines[1].addresses.at(0).number, u"201");
    EXPECT_EQ(t.lines[1].ownerName, u"Anna Berg");
    EXPECT_TRUE(t.lines[1].far);
    EXPECT_EQ(t.farGuard, std::chrono::seconds(5));
    ASSERT_EQ(t.sipAccounts.size(), 2u);
    const SipAccount &anna = t.sipAccounts[0];
    EXPECT_EQ(anna.line, 1u);
    EXPECT_EQ(anna.user, "201"); // from the AOR
    EXPECT_EQ(anna.password, "s3cret");
    EXPECT_EQ(anna.transport, "tcp");
    EXPECT_EQ(anna.localPort, 5070u);
    EXPECT_EQ(anna.bind, "127.0.0.1");
    EXPECT_EQ(anna.dtmf, "rfc4733");
    EXPECT_EQ(anna.expires, 120u);
    EXPECT_TRUE(anna.mwi);
    const SipAccount &bo = t.sipAccounts[1];
    EXPECT_EQ(bo.line, 2u);
    EXPECT_EQ(t.lines[2].addresses.at(0).number, u"bo");
    EXPECT_EQ(bo.authUser, "bo@example.org");
    EXPECT_EQ(bo.registrar, "");
    EXPECT_EQ(bo.password, "");
    EXPECT_EQ(bo.transport, "udp");
}

struct BadFile {
    const char *kind;
    std::string text;
    const char *error; // the whole message, or its start when it ends in "..."
};

class BadOfficeFiles : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadOfficeFiles, AreRefusedWithFileLineAndField)
{
    const BadFile &row = GetParam();
    const OfficeLoad load = parseOffice(row.text, "office.json");
    EXPECT_FALSE(load.office);
    std::string expected = row.error;
    if (expected.ends_with("...")) {
        expected.resize(expected.size() - 3);
        EXPECT_EQ(load.error.substr(0, expected.size()), expected) << load.error;
    } else {
        EXPECT_EQ(load.error, expected);
    }
}

#define SIP_ACCOUNT(fields) "{ \"lines\": [],\n \"sip\": { \"accounts\": [ {\n" fields " } ] } }"

INSTANTIATE_TEST_SUITE_P(
    Rows, BadOfficeFiles,
    ::testing::Values(
        BadFile{"syntax", "{\n  \"lines\": [\n    { \"preset\": \"extension\" \n  ]\n}",
                "office.json:4: syntax error while parsing object..."},
        BadFile{"duplicate member", "{ \"lines\": [],\n  \"lines\": [] }", "office.json:2: duplicate field lines"},
        BadFile{"not an office", "[1, 2]", "office.json:1: expected an object, found a list"},
        BadFile{"wrong type",
                "{ \"lines\": [ { \"preset\": \"extension\", \"number\": \"201\",\n"
                "  \"addresses\": [ { \"callFeatures\": \"LINECALLFEATURE_HOLD\" } ] } ] }",
                "office.json:2: lines[0].addresses[0].callFeatures: expected a list of LINECALLFEATURE_ names, "
                "found a text"},
        BadFile{"missing field", "{ \"lines\": [] ,\n \"phones\": [ { \"preset\": \"deskPhone\" } ] }",
                "office.json:2: phones[0].name: missing required field"},
        BadFile{"unknown constant",
                "{ \"lines\": [\n { \"preset\": \"extension\", \"number\": \"201\",\n"
                "  \"addresses\": [ { \"callFeatures\": [\n  \"LINECALLFEATURE_HOLD\",\n"
                "  \"LINECALLFEATURE_HOLDD\" ] } ] } ] }",
                "office.json:5: lines[0].addresses[0].callFeatures[1]: unknown constant LINECALLFEATURE_HOLDD"},
        BadFile{"constant of another field",
                "{ \"lines\": [ { \"preset\": \"extension\", \"number\": \"201\",\n"
                "  \"mediaModes\": [\"LINEBEARERMODE_VOICE\"] } ] }",
                "office.json:2: lines[0].mediaModes[0]: LINEBEARERMODE_VOICE is not a LINEMEDIAMODE_ constant"},
        BadFile{"unknown preset", "{ \"lines\": [ { \"preset\": \"extensoin\", \"number\": \"201\" } ] }",
                "office.json:1: lines[0].preset: unknown line preset \"extensoin\" (known: extension, "
                "fewFeatures, trunk, singleMedia)"},
        BadFile{"unknown behaviour",
                "{ \"lines\": [],\n \"externals\": [ { \"number\": \"5550100\", \"behaviour\": \"hangUp\" } ] }",
                "office.json:2: externals[0].behaviour: unknown behaviour \"hangUp\"..."},
        BadFile{"number too large",
                "{ \"lines\": [ { \"preset\": \"extension\", \"number\": \"201\",\n"
                "  \"maxNumActiveCalls\": 4294967296 } ] }",
                "office.json:2: lines[0].maxNumActiveCalls: 4294967296 is out of range (0 to 4294967295)"},
        // The exchange keeps every cell of a display: a huge one must not reach it.
        BadFile{"display too large",
                "{ \"lines\": [],\n \"phones\": [ { \"name\": \"P\",\n \"displayNumRows\": 65535 } ] }",
                "office.json:3: phones[0].displayNumRows: 65535 is out of range (0 to 100)"},
        BadFile{"completion message too long",
                "{ \"lines\": [ { \"preset\": \"extension\", \"number\": \"201\",\n  \"addresses\": [ {\n"
                " \"completionMessages\": [\"ok\",\n \"" + std::string(256, 'x') + "\"] } ] } ] }",
                "office.json:4: lines[0].addresses[0].completionMessages[1]: a completion message is at most 255 "
                "characters long"},
        BadFile{"negative number", "{ \"lines\": [],\n \"minExternalDigits\": -3 }",
                "office.json:2: minExternalDigits: -3 is out of range (1 to 64)"},
        BadFile{"duplicate number",
                "{ \"lines\": [\n { \"preset\": \"extension\", \"number\": \"201\" },\n"
                " { \"preset\": \"trunk\", \"name\": \"Trunk\", \"number\": \"201\" } ] }",
                "office.json:3: lines[1].number: number 201 is already used at lines[0].number"},
        BadFile{"duplicate name",
                "{ \"lines\": [\n { \"preset\": \"extension\", \"number\": \"201\" },\n"
                " { \"preset\": \"extension\", \"number\": \"202\",\n \"name\": \"Extension 201\" } ] }",
                "office.json:4: lines[1].name: there is already a line called \"Extension 201\""},
        BadFile{"phone names no line",
                "{ \"lines\": [],\n \"phones\": [ { \"name\": \"P\",\n \"line\": \"Extension 209\" } ] }",
                "office.json:3: phones[0].line: there is no line called \"Extension 209\""},
        BadFile{"line names no phone",
                "{ \"lines\": [\n { \"preset\": \"extension\", \"number\": \"201\", \"phone\": \"Phone 201\" } ] }",
                "office.json:2: lines[0].phone: there is no phone called \"Phone 201\""},
        BadFile{"unknown field",
                "{ \"lines\": [ { \"preset\": \"extension\", \"number\": \"201\",\n"
                "  \"addresses\": [ {\n \"callFeature\": [] } ] } ] }",
                "office.json:3: lines[0].addresses[0].callFeature: unknown field"},
        BadFile{"sip uri without scheme",
                SIP_ACCOUNT("\"name\": \"S\", \"aor\": \"201@pbx.example.org\""),
                "office.json:3: sip.accounts[0].aor: \"201@pbx.example.org\" is not a SIP URI (sip:user@host or "
                "sips:user@host): it starts with neither sip: nor sips:"},
        BadFile{"sip uri without host",
                SIP_ACCOUNT("\"name\": \"S\", \"aor\": \"sip:201@pbx\",\n \"registrar\": \"sip:;lr\""),
                "office.json:4: sip.accounts[0].registrar: \"sip:;lr\" is not a SIP URI (sip:user@host or "
                "sips:user@host): it has no host"},
        BadFile{"aor without user", SIP_ACCOUNT("\"name\": \"S\", \"aor\": \"sip:pbx.example.org\""),
                "office.json:3: sip.accounts[0].aor: the address of record has no user part..."},
        // A line break would start a header of its own in every message sent.
        BadFile{"line break into a header",
                SIP_ACCOUNT("\"name\": \"S\", \"aor\": \"sip:201@pbx\",\n \"displayName\": \"A\\r\\nContact: x\""),
                "office.json:4: sip.accounts[0].displayName: a control character (such as a line break) cannot go "
                "into a SIP message"},
        BadFile{"sip transport", SIP_ACCOUNT("\"name\": \"S\", \"aor\": \"sip:201@pbx\",\n \"transport\": \"tls\""),
                "office.json:4: sip.accounts[0].transport: unknown transport \"tls\" (known: udp, tcp)"},
        BadFile{"sip dtmf", SIP_ACCOUNT("\"name\": \"S\", \"aor\": \"sip:201@pbx\",\n \"dtmf\": \"inband\""),
                "office.json:4: sip.accounts[0].dtmf: unknown dtmf \"inband\" (known: info, rfc4733)"},
        BadFile{"sip port", SIP_ACCOUNT("\"name\": \"S\", \"aor\": \"sip:201@pbx\",\n \"localPort\": 0"),
                "office.json:4: sip.accounts[0].localPort: 0 is out of range (1 to 65535)"},
        BadFile{"sip password variable not set",
                SIP_ACCOUNT("\"name\": \"S\", \"aor\": \"sip:201@pbx\",\n \"passwordVariable\": \"DIALWERK_TEST_UNSET\""),
                "office.json:4: sip.accounts[0].passwordVariable: the environment variable DIALWERK_TEST_UNSET that "
                "holds the password is not set"},
        BadFile{"sip number used by a line",
                "{ \"lines\": [ { \"preset\": \"extension\", \"number\": \"201\" } ],\n"
                " \"sip\": { \"accounts\": [ { \"name\": \"S\",\n \"aor\": \"sip:201@pbx\" } ] } }",
                "office.json:3: sip.accounts[0].aor: number 201 is already used at lines[0].number"},
        BadFile{"sip unknown field", SIP_ACCOUNT("\"name\": \"S\", \"aor\": \"sip:201@pbx\",\n \"password\": \"x\""),
                "office.json:4: sip.accounts[0].password: unknown field"}),
    [](const ::testing::TestParamInfo<BadFile> &info) {
        std::string name = info.param.kind;
        for (char &c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

#undef SIP_ACCOUNT

TEST(OfficeFile, AFileThatCannotBeReadIsNamed)
{
    EXPECT_EQ(loadOffice("/nonexistent/office.json").error, "/nonexistent/office.json: cannot read the office file");
}

} // namespace
