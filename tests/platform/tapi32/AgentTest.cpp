// Agents through the C API on the agent extension (line 3): state, next
// state and activity with their LINE_AGENTSTATUS bits, the status and the
// activity list written with the reply, and the errors.
#include "TapiFixture.h"

namespace {

using namespace tapitest;

class AgentTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        app = lineApp();
        line = openLine(app, 3);
    }
    LINEAGENTSTATUS status()
    {
        std::vector<uint8_t> buf(1024);
        auto *s = reinterpret_cast<LINEAGENTSTATUS *>(buf.data());
        s->dwTotalSize = DWORD(buf.size());
        EXPECT_EQ(0, reply(app, lineGetAgentStatusW(line, 0, s)));
        return *s;
    }
    HLINEAPP app = 0;
    HLINE line = 0;
};

TEST_F(AgentTest, StateAndActivityChangesAreReportedWithTheirBits)
{
    EXPECT_EQ(DWORD(LINEAGENTSTATE_LOGGEDOFF), status().dwState);
    EXPECT_EQ(0, reply(app, lineSetAgentState(line, 0, LINEAGENTSTATE_READY, LINEAGENTSTATE_NOTREADY)));
    Msg m = next(app);
    EXPECT_EQ(DWORD(LINE_AGENTSTATUS), m.id);
    EXPECT_EQ(DWORD_PTR(LINEAGENTSTATUS_STATE | LINEAGENTSTATUS_NEXTSTATE), m.p2);
    const LINEAGENTSTATUS s = status();
    EXPECT_EQ(DWORD(LINEAGENTSTATE_READY), s.dwState);
    EXPECT_EQ(DWORD(LINEAGENTSTATE_NOTREADY), s.dwNextState);
    EXPECT_TRUE(s.dwAgentFeatures & LINEAGENTFEATURE_SETAGENTSTATE);

    EXPECT_EQ(0, reply(app, lineSetAgentActivity(line, 0, 2)));
    EXPECT_EQ(DWORD_PTR(LINEAGENTSTATUS_ACTIVITY), next(app).p2);
    EXPECT_EQ(2u, status().dwActivityID);
    EXPECT_TRUE(quiet(app));
}

TEST_F(AgentTest, InvalidRequestsAreRefused)
{
    EXPECT_EQ(LONG(LINEERR_INVALAGENTSTATE), lineSetAgentState(line, 0, LINEAGENTSTATE_UNAVAIL, 0));
    EXPECT_EQ(LONG(LINEERR_INVALAGENTSTATE),
              lineSetAgentState(line, 0, LINEAGENTSTATE_READY | LINEAGENTSTATE_NOTREADY, 0));
    EXPECT_EQ(LONG(LINEERR_INVALAGENTSTATE), lineSetAgentState(line, 0, 0, LINEAGENTSTATE_BUSYACD));
    EXPECT_EQ(LONG(LINEERR_INVALAGENTACTIVITY), lineSetAgentActivity(line, 0, 99));
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineSetAgentActivity(line + 100, 0, 1));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineSetAgentActivity(line, 5, 1));
    LINEAGENTSTATUS small{};
    small.dwTotalSize = 8;
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL), lineGetAgentStatusW(line, 0, &small));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineGetAgentStatusW(line, 0, nullptr));
    const HLINE plain = openLine(app, 0);
    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineSetAgentState(plain, 0, LINEAGENTSTATE_READY, 0));
    EXPECT_TRUE(quiet(app));
}

TEST_F(AgentTest, ActivityListNamesEachActivity)
{
    std::vector<uint8_t> buf(1024);
    auto *list = reinterpret_cast<LINEAGENTACTIVITYLIST *>(buf.data());
    list->dwTotalSize = DWORD(buf.size());
    EXPECT_EQ(0, reply(app, lineGetAgentActivityListW(line, 0, list)));
    ASSERT_EQ(3u, list->dwNumEntries);
    LINEAGENTACTIVITYENTRY e;
    std::memcpy(&e, buf.data() + list->dwListOffset + sizeof e, sizeof e);
    EXPECT_EQ(2u, e.dwID);
    EXPECT_EQ(u"Support", std::u16string(reinterpret_cast<const char16_t *>(buf.data() + e.dwNameOffset)));
}

} // namespace
