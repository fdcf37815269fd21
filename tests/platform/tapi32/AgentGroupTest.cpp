// Agent groups through the C API on the agent extension (line 3): the
// groups offered, logging in and out of them with LINE_AGENTSTATUS, the
// groups in the agent status, and the checks of the caller's list.
#include "TapiFixture.h"

#include <cstddef>

namespace {

using namespace tapitest;

struct Group {
    DWORD id[4] = {};
    std::u16string name;
};

/// Groups from a LINEAGENTGROUPENTRY array inside `base`.
std::vector<Group> readGroups(const uint8_t *base, DWORD offset, DWORD count)
{
    std::vector<Group> out;
    for (DWORD i = 0; i < count; ++i) {
        LINEAGENTGROUPENTRY e;
        std::memcpy(&e, base + offset + i * sizeof e, sizeof e);
        Group g{{e.GroupID.dwGroupID1, e.GroupID.dwGroupID2, e.GroupID.dwGroupID3, e.GroupID.dwGroupID4}, {}};
        const auto *name = reinterpret_cast<const char16_t *>(base + e.dwNameOffset);
        g.name.assign(name, e.dwNameSize / sizeof(char16_t) - 1);
        out.push_back(g);
    }
    return out;
}

/// A LINEAGENTGROUPLIST laid out as an application builds it: header,
/// records, then the names.
std::vector<uint8_t> groupList(const std::vector<Group> &groups)
{
    const size_t header = sizeof(LINEAGENTGROUPLIST);
    size_t size = header + groups.size() * sizeof(LINEAGENTGROUPENTRY);
    for (const Group &g : groups)
        size += (g.name.size() + 1) * sizeof(char16_t);
    std::vector<uint8_t> buf(size);
    auto *list = reinterpret_cast<LINEAGENTGROUPLIST *>(buf.data());
    list->dwTotalSize = DWORD(size);
    list->dwNumEntries = DWORD(groups.size());
    list->dwListSize = DWORD(groups.size() * sizeof(LINEAGENTGROUPENTRY));
    list->dwListOffset = DWORD(header);
    DWORD name = DWORD(header + list->dwListSize);
    for (size_t i = 0; i < groups.size(); ++i) {
        LINEAGENTGROUPENTRY e{};
        e.GroupID = {groups[i].id[0], groups[i].id[1], groups[i].id[2], groups[i].id[3]};
        e.dwNameSize = DWORD((groups[i].name.size() + 1) * sizeof(char16_t));
        e.dwNameOffset = name;
        std::memcpy(buf.data() + name, groups[i].name.data(), groups[i].name.size() * sizeof(char16_t));
        std::memcpy(buf.data() + header + i * sizeof e, &e, sizeof e);
        name += e.dwNameSize;
    }
    return buf;
}

LINEAGENTGROUPLIST *asList(std::vector<uint8_t> &buf)
{
    return reinterpret_cast<LINEAGENTGROUPLIST *>(buf.data());
}

class AgentGroupTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        app = lineApp();
        line = openLine(app, 3);
    }
    std::vector<Group> offered()
    {
        std::vector<uint8_t> buf(1024);
        asList(buf)->dwTotalSize = DWORD(buf.size());
        EXPECT_EQ(0, reply(app, lineGetAgentGroupListW(line, 0, asList(buf))));
        const LINEAGENTGROUPLIST *l = asList(buf);
        EXPECT_LE(l->dwNeededSize, l->dwUsedSize);
        EXPECT_LE(l->dwNumEntries * sizeof(LINEAGENTGROUPENTRY), l->dwListSize);
        return readGroups(buf.data(), l->dwListOffset, l->dwNumEntries);
    }
    std::vector<uint8_t> statusBuffer()
    {
        std::vector<uint8_t> buf(1024);
        auto *s = reinterpret_cast<LINEAGENTSTATUS *>(buf.data());
        s->dwTotalSize = DWORD(buf.size());
        EXPECT_EQ(0, reply(app, lineGetAgentStatusW(line, 0, s)));
        return buf;
    }
    std::vector<Group> joined()
    {
        const std::vector<uint8_t> buf = statusBuffer();
        const auto *s = reinterpret_cast<const LINEAGENTSTATUS *>(buf.data());
        EXPECT_LE(s->dwNumEntries * sizeof(LINEAGENTGROUPENTRY), s->dwGroupListSize);
        return readGroups(buf.data(), s->dwGroupListOffset, s->dwNumEntries);
    }
    HLINEAPP app = 0;
    HLINE line = 0;
};

TEST_F(AgentGroupTest, OfferedGroupsAreListedWithTheirNames)
{
    const std::vector<Group> groups = offered();
    ASSERT_EQ(3u, groups.size());
    EXPECT_EQ(u"Sales", groups[0].name);
    EXPECT_EQ(u"Support", groups[1].name);
    EXPECT_EQ(u"Key Accounts", groups[2].name);
    EXPECT_NE(0, std::memcmp(groups[0].id, groups[1].id, sizeof groups[0].id));
    EXPECT_TRUE(quiet(app));
}

TEST_F(AgentGroupTest, ListSizesFollowTheVariableStructureRules)
{
    std::vector<uint8_t> buf(sizeof(LINEAGENTGROUPLIST));
    asList(buf)->dwTotalSize = DWORD(buf.size());
    EXPECT_EQ(0, reply(app, lineGetAgentGroupListW(line, 0, asList(buf))));
    const LINEAGENTGROUPLIST *l = asList(buf);
    EXPECT_EQ(DWORD(sizeof(LINEAGENTGROUPLIST)), l->dwUsedSize);
    EXPECT_GT(l->dwNeededSize, l->dwUsedSize);
    EXPECT_EQ(3u, l->dwNumEntries);
    EXPECT_EQ(0u, l->dwListSize);
    EXPECT_EQ(0u, l->dwListOffset);

    const DWORD needed = l->dwNeededSize;
    buf.assign(needed, 0);
    asList(buf)->dwTotalSize = needed;
    EXPECT_EQ(0, reply(app, lineGetAgentGroupListW(line, 0, asList(buf))));
    EXPECT_EQ(needed, asList(buf)->dwUsedSize);
    EXPECT_EQ(3u, readGroups(buf.data(), asList(buf)->dwListOffset, 3).size());

    LINEAGENTGROUPLIST small{};
    small.dwTotalSize = sizeof small - 4;
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL), lineGetAgentGroupListW(line, 0, &small));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineGetAgentGroupListW(line, 0, nullptr));
    EXPECT_TRUE(quiet(app));
}

TEST_F(AgentGroupTest, JoiningGroupsIsReportedAndShownInTheStatus)
{
    const std::vector<Group> groups = offered();
    EXPECT_TRUE(joined().empty());
    {
        const std::vector<uint8_t> buf = statusBuffer();
        const auto *s = reinterpret_cast<const LINEAGENTSTATUS *>(buf.data());
        EXPECT_TRUE(s->dwAgentFeatures & LINEAGENTFEATURE_SETAGENTGROUP);
        EXPECT_TRUE(s->dwAgentFeatures & LINEAGENTFEATURE_GETAGENTGROUP);
    }

    // Asked for in another order and with a different name: the identifier counts.
    std::vector<uint8_t> list =
        groupList({{{groups[2].id[0], groups[2].id[1], groups[2].id[2], groups[2].id[3]}, u"whatever"}, groups[0]});
    EXPECT_EQ(0, reply(app, lineSetAgentGroup(line, 0, asList(list))));
    Msg m = next(app);
    EXPECT_EQ(DWORD(LINE_AGENTSTATUS), m.id);
    EXPECT_EQ(DWORD_PTR(0), m.p1);
    EXPECT_EQ(DWORD_PTR(LINEAGENTSTATUS_GROUP), m.p2);
    std::vector<Group> in = joined();
    ASSERT_EQ(2u, in.size());
    EXPECT_EQ(u"Sales", in[0].name);
    EXPECT_EQ(u"Key Accounts", in[1].name);
    EXPECT_EQ(0, std::memcmp(groups[2].id, in[1].id, sizeof in[1].id));

    // The same groups again change nothing and report nothing.
    list = groupList({groups[0], groups[2]});
    EXPECT_EQ(0, reply(app, lineSetAgentGroup(line, 0, asList(list))));
    EXPECT_TRUE(quiet(app));

    // No list logs the agent out of every group; the activity text still follows the groups.
    EXPECT_EQ(0, reply(app, lineSetAgentActivity(line, 0, 2)));
    EXPECT_EQ(DWORD_PTR(LINEAGENTSTATUS_ACTIVITY), next(app).p2);
    EXPECT_EQ(0, reply(app, lineSetAgentGroup(line, 0, nullptr)));
    EXPECT_EQ(DWORD_PTR(LINEAGENTSTATUS_GROUP), next(app).p2);
    const std::vector<uint8_t> buf = statusBuffer();
    const auto *s = reinterpret_cast<const LINEAGENTSTATUS *>(buf.data());
    EXPECT_EQ(0u, s->dwNumEntries);
    EXPECT_EQ(0u, s->dwGroupListSize);
    EXPECT_EQ(u"Support", std::u16string(reinterpret_cast<const char16_t *>(buf.data() + s->dwActivityOffset)));
    EXPECT_TRUE(quiet(app));
}

TEST_F(AgentGroupTest, StatusTooSmallForTheGroupsKeepsTheFixedPart)
{
    const std::vector<Group> groups = offered();
    std::vector<uint8_t> list = groupList(groups);
    EXPECT_EQ(0, reply(app, lineSetAgentGroup(line, 0, asList(list))));
    next(app);
    LINEAGENTSTATUS s{};
    s.dwTotalSize = sizeof s;
    EXPECT_EQ(0, reply(app, lineGetAgentStatusW(line, 0, &s)));
    EXPECT_EQ(3u, s.dwNumEntries);
    EXPECT_EQ(0u, s.dwGroupListOffset);
    EXPECT_EQ(DWORD(sizeof s), s.dwUsedSize);
    EXPECT_GE(s.dwNeededSize, sizeof s + 3 * sizeof(LINEAGENTGROUPENTRY));
}

TEST_F(AgentGroupTest, UnknownGroupsAndMalformedListsAreRefused)
{
    const std::vector<Group> groups = offered();
    std::vector<uint8_t> unknown = groupList({groups[0], {{7, 7, 7, 7}, u"Sales"}});
    EXPECT_EQ(LONG(LINEERR_INVALAGENTGROUP), lineSetAgentGroup(line, 0, asList(unknown)));

    std::vector<uint8_t> good = groupList(groups);
    std::vector<uint8_t> bad = good;
    asList(bad)->dwTotalSize = sizeof(LINEAGENTGROUPLIST) - 4;
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL), lineSetAgentGroup(line, 0, asList(bad)));

    bad = good; // the records run past the end of the structure
    asList(bad)->dwListOffset = asList(bad)->dwTotalSize - 8;
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineSetAgentGroup(line, 0, asList(bad)));

    bad = good; // more entries than the record array holds
    asList(bad)->dwNumEntries = 4;
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineSetAgentGroup(line, 0, asList(bad)));

    bad = good; // a count whose byte size wraps around 32 bits
    asList(bad)->dwNumEntries = 0x0AAAAAAB;
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineSetAgentGroup(line, 0, asList(bad)));

    bad = good; // a name reaching past the end
    auto *entry =
        reinterpret_cast<LINEAGENTGROUPENTRY *>(bad.data() + sizeof(LINEAGENTGROUPLIST) + sizeof(LINEAGENTGROUPENTRY));
    entry->dwNameSize = 0xFFFFFFF0u;
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineSetAgentGroup(line, 0, asList(bad)));

    bad = good; // a name inside the header
    entry = reinterpret_cast<LINEAGENTGROUPENTRY *>(bad.data() + sizeof(LINEAGENTGROUPLIST));
    entry->dwNameOffset = 4;
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineSetAgentGroup(line, 0, asList(bad)));

    bad = good; // more bytes claimed than any list may have
    asList(bad)->dwTotalSize = 0x7FFFFFFF;
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineSetAgentGroup(line, 0, asList(bad)));

    EXPECT_TRUE(joined().empty());
    EXPECT_TRUE(quiet(app));
}

TEST_F(AgentGroupTest, OnlyAgentAddressesHaveGroups)
{
    std::vector<uint8_t> list = groupList(offered());
    std::vector<uint8_t> buf(1024);
    asList(buf)->dwTotalSize = DWORD(buf.size());
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineSetAgentGroup(line + 100, 0, asList(list)));
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineGetAgentGroupListW(line + 100, 0, asList(buf)));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineSetAgentGroup(line, 5, asList(list)));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineGetAgentGroupListW(line, 5, asList(buf)));
    const HLINE plain = openLine(app, 0);
    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineSetAgentGroup(plain, 0, asList(list)));
    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineSetAgentGroup(plain, 0, nullptr));
    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineGetAgentGroupListW(plain, 0, asList(buf)));
    EXPECT_TRUE(quiet(app));
}

} // namespace
