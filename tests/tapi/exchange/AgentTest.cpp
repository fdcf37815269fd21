// The agent functions of the address object on Dana's agent extension: which
// addresses support agents, state and activity changes, and how the address
// notes that its agent status changed.
#include "OfficeFixture.h"

namespace office {
namespace {

class AgentTest : public OfficeTest {
protected:
    void SetUp() override
    {
        OfficeTest::SetUp();
        dana = lines[kDana]->GetAddress(0);
        ASSERT_NE(dana, nullptr);
    }

    /// Waits until the address has noted an agent status change.
    bool ChangeNoted() const
    {
        return WaitFor([&] { return dana->HasAgentStatusChanged(); });
    }

    CTapiAddress *dana = nullptr;
};

TEST_F(AgentTest, OnlyTheAgentExtensionSupportsAgents)
{
    EXPECT_TRUE(dana->IsAgentSupported());
    CTapiAddress *anna = lines[kAnna]->GetAddress(0);
    EXPECT_FALSE(anna->IsAgentSupported());
    EXPECT_EQ(anna->GetAgentStatus(), nullptr);
    EXPECT_EQ(anna->SetAgentState(LINEAGENTSTATE_READY, 0), DWORD{LINEERR_OPERATIONUNAVAIL});
    // A closed line is probed through a line opened for the question only.
    ASSERT_EQ(lines[kDana]->Close(), 0u);
    EXPECT_TRUE(dana->IsAgentSupported());
    EXPECT_EQ(dana->GetAgentStatus(), nullptr) << "no status while the line is closed";
    EXPECT_FALSE(lines[kDana]->IsOpen());
}

TEST_F(AgentTest, StateChangesAreNotedAndReadBack)
{
    ASSERT_NE(dana->GetAgentStatus(), nullptr);
    EXPECT_FALSE(dana->HasAgentStatusChanged()) << "reading the status takes the note away";

    const DWORD login = dana->SetAgentState(LINEAGENTSTATE_READY, LINEAGENTSTATE_READY);
    ASSERT_TRUE(IsTapiRequestId(login)) << "returned without waiting";
    EXPECT_EQ(Reply(login), 0u);
    ASSERT_TRUE(ChangeNoted());
    auto status = dana->GetAgentStatus();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->dwState, DWORD{LINEAGENTSTATE_READY});
    EXPECT_EQ(status->dwNextState, DWORD{LINEAGENTSTATE_READY});
    EXPECT_FALSE(dana->HasAgentStatusChanged());

    ASSERT_EQ(Reply(dana->SetAgentState(LINEAGENTSTATE_BUSYACD, LINEAGENTSTATE_WORKINGAFTERCALL)), 0u);
    ASSERT_TRUE(ChangeNoted());
    status = dana->GetAgentStatus();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->dwState, DWORD{LINEAGENTSTATE_BUSYACD});
    EXPECT_EQ(status->dwNextState, DWORD{LINEAGENTSTATE_WORKINGAFTERCALL});

    // A next state the address does not offer is refused and changes nothing.
    const DWORD refused = dana->SetAgentState(LINEAGENTSTATE_READY, LINEAGENTSTATE_BUSYACD);
    EXPECT_NE(Reply(refused), 0u);
    EXPECT_EQ(dana->GetAgentStatus()->dwState, DWORD{LINEAGENTSTATE_BUSYACD});
}

TEST_F(AgentTest, ActivitiesAreListedAndChosen)
{
    std::vector<CTapiAgentActivityEntry> activities;
    ASSERT_EQ(dana->GetAgentActivityList(activities), 0u);
    ASSERT_EQ(activities.size(), 3u);
    EXPECT_EQ(activities[0].activityId, 1u);
    EXPECT_EQ(Narrow(activities[0].name), "Sales");
    EXPECT_EQ(activities[2].activityId, 3u);
    EXPECT_EQ(Narrow(activities[2].name), "Break");

    ASSERT_NE(dana->GetAgentStatus(), nullptr);
    ASSERT_EQ(Reply(dana->SetAgentActivity(3)), 0u);
    ASSERT_TRUE(ChangeNoted());
    auto status = dana->GetAgentStatus();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->dwActivityID, 3u);

    EXPECT_NE(Reply(dana->SetAgentActivity(99)), 0u) << "no such activity";
    EXPECT_EQ(dana->GetAgentStatus()->dwActivityID, 3u);
}

} // namespace
} // namespace office
