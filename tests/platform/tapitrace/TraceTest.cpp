// The TAPI trace over the runtime: a call between two extensions reads in
// order with its functions, results and messages decoded, and the file gets
// the same lines.
#include "TapiFixture.h"

#include <tapitrace/ConstantNames.h>
#include <tapitrace/TraceLog.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using tapitrace::FlagsOf;
using tapitrace::NameOf;

TEST(ConstantNamesTest, ValuesAndFlagsReadAsTheirNames)
{
    EXPECT_EQ(NameOf("LINECALLSTATE", LINECALLSTATE_OFFERING), "LINECALLSTATE_OFFERING");
    EXPECT_EQ(NameOf("LINEERR", static_cast<uint32_t>(LINEERR_INVALCALLHANDLE)), "LINEERR_INVALCALLHANDLE");
    EXPECT_EQ(NameOf("LINE_", LINE_REPLY), "LINE_REPLY");
    EXPECT_EQ(NameOf("PHONE_", PHONE_STATE), "PHONE_STATE");
    EXPECT_EQ(NameOf("LINECALLSTATE", 0x40000000), "0x40000000") << "no such state";
    EXPECT_EQ(FlagsOf("LINEMEDIAMODE", LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM),
              "LINEMEDIAMODE_INTERACTIVEVOICE|LINEMEDIAMODE_DATAMODEM");
    EXPECT_EQ(FlagsOf("LINECALLPRIVILEGE", LINECALLPRIVILEGE_OWNER | 0x80000000u), "LINECALLPRIVILEGE_OWNER|0x80000000");
    EXPECT_EQ(FlagsOf("LINEDEVSTATE", 0), "0");
}

class TraceTest : public tapitest::TapiFixture {
protected:
    void TearDown() override
    {
        tapitrace::StopTrace();
        TapiFixture::TearDown();
    }

    // The texts of the kept entries, and the entries themselves.
    std::vector<std::string> Texts(std::vector<tapitrace::TraceEntry> *entries = nullptr)
    {
        uint64_t next = 0;
        const auto all = log->Since(0, next);
        std::vector<std::string> texts;
        for (const auto &e : all)
            texts.push_back(e.text);
        if (entries)
            *entries = all;
        return texts;
    }

    std::shared_ptr<tapitrace::TraceLog> log = tapitrace::StartTrace();
};

// Finds each expected fragment in a later line than the one before.
void ExpectInOrder(const std::vector<std::string> &texts, const std::vector<std::string> &fragments)
{
    size_t at = 0;
    for (const std::string &fragment : fragments) {
        while (at < texts.size() && texts[at].find(fragment) == std::string::npos)
            ++at;
        ASSERT_LT(at, texts.size()) << "not found in order: " << fragment;
        ++at;
    }
}

TEST_F(TraceTest, ACallBetweenTwoExtensionsReadsInOrderWithNamesAndGoesToTheFile)
{
    const std::string path = ::testing::TempDir() + "dialwerk-trace.txt";
    std::string error;
    ASSERT_TRUE(log->WriteTo(path, error)) << error;

    const HLINEAPP appA = lineApp(u"A");
    const HLINEAPP appB = lineApp(u"B");
    const HLINE lineA = openLine(appA, 0);
    const HLINE lineB = openLine(appB, 1);
    const HCALL a = makeCall(appA, lineA, u"202");
    drain(appA);
    HCALL b = 0;
    for (const tapitest::Msg &m : drain(appB)) {
        if (m.id == LINE_APPNEWCALL)
            b = HCALL(m.p2);
    }
    ASSERT_NE(b, 0u);
    EXPECT_EQ(reply(appB, lineAnswer(b, nullptr, 0)), 0);
    drain(appA);
    EXPECT_EQ(reply(appA, lineDrop(a, nullptr, 0)), 0);
    drain(appA);
    drain(appB);
    EXPECT_EQ(lineAnswer(0xDEAD, nullptr, 0), LINEERR_INVALCALLHANDLE);

    std::vector<tapitrace::TraceEntry> entries;
    const auto texts = Texts(&entries);
    char caller[16], callee[16];
    std::snprintf(caller, sizeof caller, "0x%08x", unsigned(a));
    std::snprintf(callee, sizeof callee, "0x%08x", unsigned(b));
    ExpectInOrder(texts, {
                             "lineOpenW(hLineApp=",
                             "dwPrivileges=LINECALLPRIVILEGE_MONITOR|LINECALLPRIVILEGE_OWNER",
                             "lineMakeCallW(hLine=",
                             "LINE_REPLY request=",
                             std::string("LINE_CALLSTATE hCall=") + caller + " LINECALLSTATE_DIALTONE LINEDIALTONEMODE_NORMAL",
                             std::string("LINE_CALLSTATE hCall=") + caller + " LINECALLSTATE_RINGBACK",
                             std::string(" hCall=") + callee + " LINECALLPRIVILEGE_OWNER",
                             std::string("LINE_CALLSTATE hCall=") + callee + " LINECALLSTATE_OFFERING",
                             std::string("lineAnswer(hCall=") + callee,
                             std::string("LINE_CALLSTATE hCall=") + caller + " LINECALLSTATE_CONNECTED",
                             std::string("lineDrop(hCall=") + caller,
                             std::string("LINE_CALLSTATE hCall=") + caller + " LINECALLSTATE_IDLE",
                             "lineAnswer(hCall=0x0000dead",
                         });
    EXPECT_TRUE(texts.back().ends_with(") = LINEERR_INVALCALLHANDLE")) << texts.back();
    // The handles the entries name, for the window's filters.
    for (const auto &e : entries) {
        if (e.text.starts_with("lineMakeCallW")) {
            EXPECT_EQ(e.line, lineA);
        }
        if (e.text.starts_with("LINE_CALLSTATE hCall=") && e.call == b) {
            EXPECT_EQ(e.line, lineB) << e.text;
        }
    }

    tapitrace::StopTrace();
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), entries.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], tapitrace::FormatEntry(entries[i]));
}

} // namespace
