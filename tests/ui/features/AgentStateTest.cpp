// The agent state window on Dana's agent address: what it lists and enables
// for the agent's configuration, the requests its buttons send, the events
// it follows and the ones it ignores, and closing it.
#include "FeatureTestSupport.h"

#include <app/AppMessages.h>
#include <ui/dialogs/AgentStateDlg.h>

#include "CTapiAddress.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

using win::testing::ChooseItem;
using win::testing::Click;
using win::testing::ToggleItem;
using win::testing::TypeText;

namespace {

using namespace office;

class AgentStateTest : public FeatureTest {
protected:
    /// Changes what Dana's agent address offers (before the window opens).
    void ConfigureAgent(const std::function<void(exchange::AgentConfig &)> &change)
    {
        Exchange().changeLine(kDana, [&](exchange::LineConfig &line) { change(line.agents[0]); });
    }

    /// Opens the window for Dana's address; its parent deletes it at the end of the test.
    CAgentStateDlg &Open()
    {
        auto *window = new CAgentStateDlg(Parent(), Dana(), [this](CTapiAddress *address) { forgotten = address; });
        EXPECT_TRUE(window->IsCreated());
        return *window;
    }

    CTapiAddress *Dana() const { return lines[kDana]->GetAddress(0); }

    static QStringList Rows(CAgentStateDlg &window, int id)
    {
        QStringList rows;
        const win::ListControl list = window.Items(id);
        for (int row = 0; row < list.GetCount(); ++row)
            rows << list.GetText(row);
        return rows;
    }

    CTapiAddress *forgotten = nullptr;
};

TEST_F(AgentStateTest, ListsTheAgentAndSendsWhatItsControlsAskFor)
{
    CAgentStateDlg &window = Open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Agent Status - Agent 204 204"));
    EXPECT_EQ(Rows(window, CAgentStateDlg::IDC_ACTIVITY), (QStringList{"Break", "Sales", "Support"}));
    EXPECT_EQ(Rows(window, CAgentStateDlg::IDC_GROUP_LIST), (QStringList{"Key Accounts", "Sales", "Support"}));
    EXPECT_EQ(window.GetDlgItemText(CAgentStateDlg::IDC_CURRENT_STATE), QStringLiteral("Logged Off"));

    Click(window, CAgentStateDlg::IDC_READY);
    EXPECT_EQ(Last("lineSetAgentState").number("dwAgentState"), DWORD{LINEAGENTSTATE_READY});
    EXPECT_EQ(window.GetDlgItemText(CAgentStateDlg::IDC_CURRENT_STATE), QStringLiteral("Ready"));

    ChooseItem(window, CAgentStateDlg::IDC_ACTIVITY, QStringLiteral("Support"));
    EXPECT_EQ(Last("lineSetAgentActivity").number("dwActivityID"), 2u);

    ToggleItem(window, CAgentStateDlg::IDC_GROUP_LIST, 1);
    Click(window, CAgentStateDlg::IDC_SET_GROUPS);
    EXPECT_EQ(Status(), QString());
    EXPECT_EQ(window.GetDlgItemText(CAgentStateDlg::IDC_GROUP1), QStringLiteral("Sales")) << "the group joined";

    // Typed groups go first, the second one without its trailing blanks.
    TypeText(window, CAgentStateDlg::IDC_GROUP1, QStringLiteral(" 7 "));
    TypeText(window, CAgentStateDlg::IDC_GROUP2, QStringLiteral("Night shift  "));
    Click(window, CAgentStateDlg::IDC_SET_GROUPS);
    const std::vector<uint8_t> sent = Last("lineSetAgentGroup").bytes("lpAgentGroupList");
    const auto *list = reinterpret_cast<const LINEAGENTGROUPLIST *>(sent.data());
    std::vector<CTapiAgentGroupEntry> groups;
    ASSERT_GE(sent.size(), sizeof(LINEAGENTGROUPLIST));
    ReadAgentGroups(sent.data(), list->dwListOffset, list->dwListSize, list->dwNumEntries, groups);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].name, u" 7 ");
    EXPECT_EQ(groups[1].name, u"Night shift");
    EXPECT_EQ(groups[2].name, u"Sales");
    EXPECT_EQ(Status(), QStringLiteral("lineSetAgentGroup (0x80000058) Invalid Agent group"));
}

struct ValidStates {
    DWORD valid, validNext;
    bool ready, callWork, notReady, logOut; // enabled
    DWORD readyState, readyNext;            // what "&Ready" asks for
};

class AgentValidStates : public AgentStateTest, public ::testing::WithParamInterface<ValidStates> {};

TEST_P(AgentValidStates, DecideTheStateButtonsAndWhetherReadyIsNowOrNext)
{
    const ValidStates &c = GetParam();
    ConfigureAgent([&](exchange::AgentConfig &agent) {
        agent.validStates = c.valid;
        agent.validNextStates = c.validNext;
    });
    CAgentStateDlg &window = Open();
    EXPECT_EQ(window.IsDlgItemEnabled(CAgentStateDlg::IDC_READY), c.ready);
    EXPECT_EQ(window.IsDlgItemEnabled(CAgentStateDlg::IDC_CALL_WORK), c.callWork);
    EXPECT_EQ(window.IsDlgItemEnabled(CAgentStateDlg::IDC_NOT_READY), c.notReady);
    EXPECT_EQ(window.IsDlgItemEnabled(CAgentStateDlg::IDC_LOG_OUT), c.logOut);
    Click(window, CAgentStateDlg::IDC_READY);
    const exchange::RecordedCall sent = Last("lineSetAgentState");
    EXPECT_EQ(sent.number("dwAgentState"), c.readyState);
    EXPECT_EQ(sent.number("dwNextAgentState"), c.readyNext);
}

INSTANTIATE_TEST_SUITE_P(Agents, AgentValidStates,
                         ::testing::Values(ValidStates{0, 0, true, true, true, true, LINEAGENTSTATE_READY, 0},
                                           ValidStates{LINEAGENTSTATE_LOGGEDOFF | LINEAGENTSTATE_NOTREADY,
                                                       LINEAGENTSTATE_READY, true, false, true, true, 0,
                                                       LINEAGENTSTATE_READY}));

TEST_F(AgentStateTest, UnnamedGroupsAndActivitiesAreListedByTheirIdentifiers)
{
    ConfigureAgent([](exchange::AgentConfig &agent) {
        agent.activities = {{0x2a, u""}};
        agent.groups = {{{0x5a1e5, 0, 0x10, 1}, u""}};
    });
    CAgentStateDlg &window = Open();
    EXPECT_EQ(Rows(window, CAgentStateDlg::IDC_ACTIVITY), QStringList{"Activity 0x2a"});
    EXPECT_EQ(Rows(window, CAgentStateDlg::IDC_GROUP_LIST), QStringList{"0x5a1e5 0x0 0x10 0x1"});
}

TEST_F(AgentStateTest, FollowsEventsOfItsOwnAddressOnly)
{
    CAgentStateDlg &window = Open();
    ASSERT_EQ(Reply(Dana()->SetAgentState(LINEAGENTSTATE_NOTREADY, 0)), 0u);
    const std::size_t fetches = Recorder().count("lineGetAgentStatusW");
    win::SendMessage(window.GetSafeHwnd(), WM_TAPI_AGENTCHANGED, ObjectParam(lines[kCarl]->GetAddress(0)),
                     LINEAGENTSTATUS_STATE);
    EXPECT_EQ(Recorder().count("lineGetAgentStatusW"), fetches) << "another address's event";
    EXPECT_EQ(window.GetDlgItemText(CAgentStateDlg::IDC_CURRENT_STATE), QStringLiteral("Logged Off"));

    win::SendMessage(window.GetSafeHwnd(), WM_TAPI_AGENTCHANGED, ObjectParam(Dana()), LINEAGENTSTATUS_STATE);
    EXPECT_EQ(window.GetDlgItemText(CAgentStateDlg::IDC_CURRENT_STATE), QStringLiteral("Not Ready"));
}

TEST_F(AgentStateTest, ClosingTellsTheOwnerAndDeletesTheWindow)
{
    QPointer<CAgentStateDlg> window = &Open();
    window->close();
    EXPECT_EQ(forgotten, Dana());
    EXPECT_FALSE(window->IsCreated());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

} // namespace
