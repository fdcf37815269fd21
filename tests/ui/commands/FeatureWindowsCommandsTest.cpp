// "Forward", "&Agent" and "C&omplete..." opened from the main window, each
// carried out at the exchange, and the agent-support question behind "&Agent".
#include "CommandsTestSupport.h"

#include <ui/dialogs/AgentStateDlg.h>
#include <ui/dialogs/CompleteCall.h>
#include <ui/dialogs/ForwardDlg.h>
#include <ui/dialogs/ForwardList.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiLine.h"

#include <window/testing/UserInput.h>

namespace {

using win::testing::ChooseItem;
using win::testing::TypeText;

constexpr DWORD kBen = 1;
constexpr DWORD kCarl = 2;
constexpr DWORD kDana = 3;

using FeatureWindowsTest = CommandsTest;

TEST_F(FeatureWindowsTest, ForwardSetThroughTheListSendsTheNextCallOn)
{
    // Carl's address forwards every caller alike, so "Unconditional" is sent as it is.
    ASSERT_TRUE(StartWithLine(QStringLiteral("Extension 203")));
    ASSERT_TRUE(Enabled(IDC_FORWARD));
    OnNextDialog<CForwardList>([&](CForwardList &list) {
        win::testing::OnNextModal([](win::Dialog &shown) {
            auto &entry = dynamic_cast<CForwardDlg &>(shown);
            ChooseItem(entry, CForwardDlg::IDC_MODE, QStringLiteral("Unconditional"));
            TypeText(entry, CForwardDlg::IDC_DESTINATION, QStringLiteral("202"));
            win::testing::Click(entry, win::IDOK);
        });
        win::testing::Click(list, CForwardList::IDC_ADD);
        // The address change that follows rebuilds the open list through the main window.
        EXPECT_TRUE(WaitFor([&] { return list.GetEntries().size() == 1; }));
        win::testing::Click(list, win::IDOK);
    });
    ASSERT_TRUE(Click(IDC_FORWARD));
    EXPECT_EQ(Status(), "");
    const exchange::RecordedCall sent = Last("lineForwardW");
    EXPECT_EQ(sent.dword("lpForwardList", 4), DWORD{1}) << "one entry";
    EXPECT_EQ(sent.dword("lpForwardList", 8), DWORD{LINEFORWARDMODE_UNCOND});
    IncomingCall(kCarl, u"5550199", u"Dora Engel");
    EXPECT_TRUE(WaitFor([&] { return !Exchange().legsOn(kBen).empty(); })) << "the call rings at Ben";
    EXPECT_EQ(Text(IDC_CALL_POSITION), "0 of 0");
}

TEST_F(FeatureWindowsTest, OneAgentWindowPerAddressFollowsItsAgentAndIsForgottenWhenClosed)
{
    ASSERT_TRUE(StartWithLine(QStringLiteral("Agent 204")));
    ASSERT_TRUE(WaitFor([&] {
        AdvanceTicks(1000);
        return Enabled(IDC_AGENT);
    }));
    ASSERT_TRUE(Click(IDC_AGENT));
    ASSERT_EQ(Window().GetAgentWindows().size(), 1u);
    win::Dialog *agent = Window().GetAgentWindows().begin()->second.data();
    ASSERT_NE(agent, nullptr);
    ASSERT_TRUE(Click(IDC_AGENT));
    EXPECT_EQ(Window().GetAgentWindows().begin()->second.data(), agent) << "the open window is reused";

    // The agent's state changes at the exchange: the event reaches this address's window.
    CTapiAddress *address = Line(kDana)->GetAddress(0);
    ASSERT_NE(address->SetAgentState(LINEAGENTSTATE_READY, 0), 0u);
    EXPECT_TRUE(WaitFor([&] { return agent->GetDlgItemText(CAgentStateDlg::IDC_CURRENT_STATE) == "Ready"; }));

    win::testing::PressKey(*agent, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return Window().GetAgentWindows().empty(); }));
}

struct AgentQuestion {
    const char *name;
    const char *line;
    bool refusedInReply; // the provider refuses only in its reply
    bool enabled;
};

class AgentButton : public FeatureWindowsTest, public ::testing::WithParamInterface<AgentQuestion> {};

TEST_P(AgentButton, ShowsTheProvidersAnswerAndAsksOncePerOpenLine)
{
    if (GetParam().refusedInReply)
        Faults().failNext("lineGetAgentStatusW", LINEERR_OPERATIONUNAVAIL);
    ASSERT_TRUE(StartWithLine(QString::fromUtf8(GetParam().line)));
    CTapiAddress *address = Window().GetSelectedAddress();
    ASSERT_TRUE(WaitFor([&] { return address->GetAgentSupport() != CTapiAgentSupport::Pending; }));
    AdvanceTicks(1000);
    EXPECT_EQ(Enabled(IDC_AGENT), GetParam().enabled);
    const std::size_t asked = Count("lineGetAgentStatusW");
    EXPECT_LE(asked, 2u);
    for (const char *number : {"2", "20", "203"})
        ASSERT_TRUE(TypeNumber(QString::fromUtf8(number)));
    EXPECT_EQ(Count("lineGetAgentStatusW"), asked) << "no question per keystroke";
    EXPECT_EQ(Enabled(IDC_AGENT), GetParam().enabled);
}

INSTANTIATE_TEST_SUITE_P(Lines, AgentButton,
                         ::testing::Values(AgentQuestion{"NoAgents", "Extension 201", false, false},
                                           AgentQuestion{"Agent", "Agent 204", false, true},
                                           AgentQuestion{"RefusedInTheReply", "Agent 204", true, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(FeatureWindowsTest, CampOnAtABusyExtensionRingsItOnceFree)
{
    // Ben takes one call at a time and is talking to Carl.
    Exchange().changeLine(kBen, [](exchange::LineConfig &line) { line.addresses[0].caps.dwMaxNumOnHoldCalls = 0; });
    ASSERT_TRUE(StartWithLine());
    for (DWORD id : {kBen, kCarl})
        ASSERT_EQ(Line(id)->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    CTapiCall *ben = nullptr;
    ASSERT_EQ(Line(kBen)->MakeCall(&ben, TAPI_TEXT("203")), 0u);
    CTapiCall *carl = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (carl = Line(kCarl)->FindCallByState(LINECALLSTATE_OFFERING, 0)); }));
    ASSERT_NE(carl->Answer(), 0u);
    ASSERT_TRUE(WaitFor([&] { return ben->GetCallState() == LINECALLSTATE_CONNECTED; }));

    ASSERT_TRUE(MakeCall(QStringLiteral("202"), QStringLiteral("Busy")));
    ASSERT_TRUE(Enabled(IDC_COMPLETE));
    OnNextDialog<CCompleteCall>([](CCompleteCall &dialog) {
        ChooseItem(dialog, CCompleteCall::IDC_MODE, QStringLiteral("Camp On"));
        win::testing::Click(dialog, win::IDOK);
    });
    ASSERT_TRUE(Click(IDC_COMPLETE));
    EXPECT_EQ(Last("lineCompleteCall").number("dwCompletionMode"), DWORD{LINECALLCOMPLMODE_CAMPON});
    EXPECT_TRUE(Status().startsWith("Call Completion ID 0x")) << Status().toStdString();
    EXPECT_NE(Status(), "Call Completion ID 0x0");

    ASSERT_NE(ben->Drop(), 0u);
    CTapiCall *ringing = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (ringing = Line(kBen)->FindCallByState(LINECALLSTATE_OFFERING, 0)); }));
    EXPECT_EQ(ringing->GetCallInfo(true)->dwReason, DWORD{LINECALLREASON_CALLCOMPLETION});
}

} // namespace
