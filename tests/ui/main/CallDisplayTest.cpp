// The call half of the main window: calls arriving, changing and going idle,
// the fields of the call display, the button rule, and the call stepper.
#include "MainWindowFixture.h"

#include <window/MessageQueue.h>

#include <window/testing/UserInput.h>

#include <resources/resource.h>

#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

#include <map>
#include <set>

namespace {

// Every call command button of the button rule, and Merge/Conference.
const std::set<int> kRuleButtons{
    IDC_ACCEPT,   IDC_ANSWER, IDC_HOLD,       IDC_SWAP, IDC_HANGUP,    IDC_DIALDIGITS, IDC_COMPLETE,  IDC_REDIRECT,
    IDC_TRANSFER, IDC_MERGE,  IDC_CONFERENCE, IDC_PARK, IDC_SETUPCONF, IDC_ADDPARTY,   IDC_DROPPARTY, IDC_APPSPECIFIC};

class CallDisplayTest : public MainWindowTest {
protected:
    /// The buttons of the rule that are enabled now.
    std::set<int> EnabledRuleButtons() const
    {
        std::set<int> enabled;
        for (int id : kRuleButtons) {
            if (Enabled(id))
                enabled.insert(id);
        }
        return enabled;
    }

    /// A call from extension 202 to the window's line, 201; returns 202's side.
    CTapiCall *CallFrom202()
    {
        CTapiLine *caller = Line(1);
        EXPECT_EQ(caller->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
        CTapiCall *call = nullptr;
        EXPECT_EQ(caller->MakeCall(&call, TAPI_TEXT("201")), 0u);
        return call;
    }
};

TEST_F(CallDisplayTest, AnIncomingCallIsShownAnsweredAndReleased)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    CTapiCall *caller = CallFrom202();
    ASSERT_NE(caller, nullptr);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    EXPECT_EQ(Text(IDC_CALL_POSITION), "1 of 1");
    EXPECT_EQ(Text(IDC_CALLER_NUMBER), "202");
    EXPECT_EQ(Text(IDC_CALLER_NAME), "Name: Ben Carter");
    EXPECT_EQ(Text(IDC_CALLED_NUMBER), "201");
    EXPECT_EQ(Text(IDC_CALLED_NAME), "Name: Anna Berg");
    EXPECT_EQ(Text(IDC_CALLDIRECTION), "Inbound/Int");
    EXPECT_EQ(Text(IDC_CALLTYPE), "Direct");
    EXPECT_EQ(Text(IDC_MEDIA), "Voice");
    EXPECT_EQ(Text(IDC_ADDRESSID), "0x0");
    EXPECT_EQ(Text(IDC_CONNECTED_NUMBER), "");
    EXPECT_EQ(Text(IDC_CONNECTED_NAME), "");
    CTapiCall *call = CurrentCall();
    ASSERT_NE(call, nullptr);
    const DWORD features = call->GetCallStatus()->dwCallFeatures;
    EXPECT_EQ(Text(IDC_CALLFEATURES), QStringLiteral("0x%1").arg(features, 0, 16).toUpper().replace("0X", "0x"));
    EXPECT_EQ(EnabledRuleButtons(), (std::set<int>{IDC_ACCEPT, IDC_ANSWER, IDC_HANGUP, IDC_REDIRECT, IDC_APPSPECIFIC}));
    EXPECT_TRUE(Enabled(IDC_FEATURES));
    EXPECT_TRUE(Enabled(IDC_CALLDATA));
    EXPECT_TRUE(Enabled(IDC_QOSINFO));
    EXPECT_FALSE(Enabled(IDC_ISDNINFO));

    ASSERT_EQ(GetTapiConnection()->WaitForReply(call->Answer(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    // The connected party comes as its own information change, which may reach
    // the display after the state.
    EXPECT_TRUE(WaitFor([&] { return Text(IDC_CONNECTED_NUMBER) == "202"; })) << Text(IDC_CONNECTED_NUMBER).toStdString();
    EXPECT_TRUE(Enabled(IDC_HOLD));
    EXPECT_EQ(Text(IDC_HOLD), "Ho&ld");
    EXPECT_TRUE(Enabled(IDC_DIALDIGITS));
    EXPECT_FALSE(Enabled(IDC_ANSWER));

    // The far end hangs up, this end too; the idle call leaves the window.
    ASSERT_EQ(GetTapiConnection()->WaitForReply(caller->Drop(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Disconnected")));
    EXPECT_EQ(EnabledRuleButtons(), (std::set<int>{IDC_HANGUP, IDC_APPSPECIFIC}));
    ASSERT_EQ(GetTapiConnection()->WaitForReply(call->Drop(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitFor([&] { return window.GetCalls().empty(); }));
    EXPECT_TRUE(WaitFor([&] { return Line(0)->GetCallCount() == 0; })) << "the idle call is deallocated";
    EXPECT_EQ(Text(IDC_CALL_POSITION), "0 of 0");
    EXPECT_EQ(Text(IDC_CALLTIME), "00:00:00");
    EXPECT_EQ(Text(IDC_CALLSTATE), "");
    EXPECT_TRUE(EnabledRuleButtons().empty());
    EXPECT_FALSE(Enabled(IDC_FEATURES));
    EXPECT_FALSE(Enabled(IDC_CALLDATA));
}

TEST_F(CallDisplayTest, AHeldCallOffersUnhold)
{
    Start(QStringLiteral("Extension 201"));
    IncomingCall(0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    CTapiCall *call = CurrentCall();
    ASSERT_EQ(GetTapiConnection()->WaitForReply(call->Answer(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    ASSERT_EQ(GetTapiConnection()->WaitForReply(call->Hold(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("On Hold")));
    EXPECT_EQ(Text(IDC_HOLD), "Unho&ld");
    EXPECT_TRUE(Enabled(IDC_HOLD));
    EXPECT_EQ(Text(IDC_CALLDIRECTION), "Inbound/Ext");
    EXPECT_EQ(Text(IDC_TRUNKID), "0x1");
    ASSERT_EQ(GetTapiConnection()->WaitForReply(call->Unhold(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    EXPECT_EQ(Text(IDC_HOLD), "Ho&ld");
}

TEST_F(CallDisplayTest, TheDisplayFollowsTheNewestCallAndTheStepper)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    IncomingCall(0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    CTapiCall *first = CurrentCall();
    CTapiCall *caller = CallFrom202();
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "2 of 2" && Text(IDC_CALLER_NUMBER) == "202"; }));

    ASSERT_TRUE(win::testing::StepUpDown(window, IDC_CALL_SPIN, -1));
    EXPECT_EQ(Text(IDC_CALL_POSITION), "1 of 2");
    EXPECT_EQ(Text(IDC_CALLER_NUMBER), "5550100");
    EXPECT_EQ(CurrentCall(), first);
    ASSERT_TRUE(win::testing::StepUpDown(window, IDC_CALL_SPIN, -1));
    EXPECT_EQ(Text(IDC_CALL_POSITION), "1 of 2");
    ASSERT_TRUE(win::testing::StepUpDown(window, IDC_CALL_SPIN, +1));
    ASSERT_TRUE(win::testing::StepUpDown(window, IDC_CALL_SPIN, +1));
    EXPECT_EQ(Text(IDC_CALL_POSITION), "2 of 2");

    // The second call goes idle: the display shows entry 0.
    CTapiCall *second = CurrentCall();
    ASSERT_EQ(GetTapiConnection()->WaitForReply(caller->Drop(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitFor([&] { return second->GetCallState() != LINECALLSTATE_OFFERING; }));
    if (second->GetCallState() != LINECALLSTATE_IDLE) {
        ASSERT_EQ(GetTapiConnection()->WaitForReply(second->Drop(), kTapiReplyTimeout), 0u);
    }
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "1 of 1"; }));
    EXPECT_EQ(CurrentCall(), first);
    EXPECT_EQ(Text(IDC_CALLER_NUMBER), "5550100");
}

TEST_F(CallDisplayTest, TheTimeInStateCountsWholeSecondsWithinTheDay)
{
    Start(QStringLiteral("Extension 201"));
    IncomingCall(0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    EXPECT_EQ(Text(IDC_CALLTIME), "00:00:00");
    AdvanceExchange(65000);
    AdvanceTicks(1000);
    EXPECT_EQ(Text(IDC_CALLTIME), "00:01:05");
    AdvanceExchange(25 * 3600 * 1000 - 65000);
    AdvanceTicks(1000);
    EXPECT_EQ(Text(IDC_CALLTIME), "01:00:00");
}

TEST_F(CallDisplayTest, ACallWhoseInformationCannotBeReadShowsNothingOfAnotherCall)
{
    Start(QStringLiteral("Extension 201"));
    IncomingCall(0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    EXPECT_EQ(Text(IDC_CALLER_NUMBER), "5550100");
    Faults().failNext("lineGetCallStatus", LINEERR_OPERATIONFAILED, 1000);
    CallFrom202();
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "2 of 2"; }));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    EXPECT_EQ(Text(IDC_CALLER_NUMBER), "");
    EXPECT_EQ(Text(IDC_CALLER_NAME), "");
    EXPECT_EQ(Text(IDC_CALLFEATURES), "");
    EXPECT_TRUE(EnabledRuleButtons().empty());
    Faults().clear();
}

TEST_F(CallDisplayTest, DeferredReleaseKeepsIdleCallsUntilItEnds)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    const exchange::LegId leg = IncomingCall(0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    CTapiCall *call = CurrentCall();
    window.BeginDeferredRelease();
    ASSERT_EQ(Exchange().remoteHangUp(leg), 0);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Disconnected")));
    ASSERT_EQ(GetTapiConnection()->WaitForReply(call->Drop(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitFor([&] { return window.GetCalls().empty(); }));
    EXPECT_EQ(Line(0)->GetCallCount(), 1u) << "the idle call is kept";
    EXPECT_EQ(call->GetCallState(), static_cast<DWORD>(LINECALLSTATE_IDLE));
    // A line event rebuilds the list from the line, which still has the idle call:
    // it stays kept, and is released once, when the deferral ends.
    Exchange().raiseLineState(0, LINEDEVSTATE_OTHER);
    AdvanceExchange(0);
    ASSERT_TRUE(WaitFor([] { return win::MessageQueue::Instance().QueuedSent() == 0; }));
    EXPECT_EQ(Line(0)->GetCallCount(), 1u);
    EXPECT_EQ(Recorder().count("lineDeallocateCall"), 0u);
    window.EndDeferredRelease();
    EXPECT_EQ(Line(0)->GetCallCount(), 0u);
    EXPECT_EQ(Recorder().count("lineDeallocateCall"), 1u);
    EXPECT_EQ(Text(IDC_STATUS), "");
    EXPECT_FALSE(window.IsReleaseDeferred());
}

TEST_F(CallDisplayTest, TheFeaturesWindowIsHandedTheShownCallsFeatures)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    auto *features = new win::Dialog(&window);
    ASSERT_TRUE(features->Create());
    std::vector<tapi_string> texts;
    window.AttachFeaturesWindow(features, [&](const tapi_string &text) { texts.push_back(text); });
    const exchange::LegId leg = IncomingCall(0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), CurrentCall()->GetCallFeaturesText());
    EXPECT_EQ(window.GetFeaturesText(), texts.back());
    ASSERT_EQ(Exchange().remoteHangUp(leg), 0);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Disconnected")));
    ASSERT_EQ(GetTapiConnection()->WaitForReply(CurrentCall()->Drop(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitFor([&] { return window.GetCalls().empty(); }));
    EXPECT_TRUE(texts.back().empty()) << "a cleared display clears the features window";
    const QPointer<win::Dialog> watch(features);
    CloseWindow();
    EXPECT_TRUE(watch.isNull()) << "the main window destroys it";
}

TEST_F(CallDisplayTest, AnAddressChangeRefreshesTheForwardingList)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    int refreshed = 0;
    window.SetForwardListRefresh([&] { ++refreshed; });
    ASSERT_TRUE(TypeNumber(QStringLiteral("55")));
    EXPECT_EQ(refreshed, 2);
    window.SetForwardListRefresh({});
    ASSERT_TRUE(TypeNumber(QStringLiteral("5")));
    EXPECT_EQ(refreshed, 2);
}

// The button rule, for feature sets the exchange does not produce on its own.
struct RuleRow {
    const char *name;
    DWORD features;
    DWORD features2;
    DWORD transferModes;
    std::set<int> enabled;
    const char *holdCaption;
};

class ButtonRuleTest : public MainWindowTest, public ::testing::WithParamInterface<RuleRow> {};

TEST_P(ButtonRuleTest, EnablesExactlyTheCommandsOfTheFeatures)
{
    CPhoneDlg &window = Start();
    const RuleRow &row = GetParam();
    window.UpdateCallButtons(row.features, row.features2, row.transferModes);
    std::set<int> enabled;
    for (int id : kRuleButtons) {
        if (Enabled(id))
            enabled.insert(id);
    }
    EXPECT_EQ(enabled, row.enabled);
    EXPECT_EQ(Text(IDC_HOLD), row.holdCaption);
}

constexpr DWORD kBothModes = LINETRANSFERMODE_TRANSFER | LINETRANSFERMODE_CONFERENCE;

INSTANTIATE_TEST_SUITE_P(
    FeatureSets, ButtonRuleTest,
    ::testing::Values(
        RuleRow{"none", 0, 0, kBothModes, {}, "Ho&ld"},
        RuleRow{"hold", LINECALLFEATURE_HOLD, 0, 0, {IDC_HOLD, IDC_APPSPECIFIC}, "Ho&ld"},
        RuleRow{"unhold", LINECALLFEATURE_UNHOLD, 0, 0, {IDC_HOLD, IDC_APPSPECIFIC}, "Unho&ld"},
        RuleRow{"digits", LINECALLFEATURE_GENERATEDIGITS, 0, 0, {IDC_DIALDIGITS, IDC_APPSPECIFIC}, "Ho&ld"},
        RuleRow{"transfers",
                LINECALLFEATURE_BLINDTRANSFER | LINECALLFEATURE_PARK | LINECALLFEATURE_COMPLETECALL,
                0,
                0,
                {IDC_TRANSFER, IDC_PARK, IDC_COMPLETE, IDC_APPSPECIFIC},
                "Ho&ld"},
        RuleRow{"merge",
                LINECALLFEATURE_COMPLETETRANSF,
                LINECALLFEATURE2_TRANSFERNORM,
                kBothModes,
                {IDC_MERGE, IDC_APPSPECIFIC},
                "Ho&ld"},
        RuleRow{"conference",
                LINECALLFEATURE_COMPLETETRANSF,
                LINECALLFEATURE2_TRANSFERCONF,
                kBothModes,
                {IDC_CONFERENCE, IDC_APPSPECIFIC},
                "Ho&ld"},
        RuleRow{"merge without the address's mode",
                LINECALLFEATURE_COMPLETETRANSF,
                LINECALLFEATURE2_TRANSFERNORM | LINECALLFEATURE2_TRANSFERCONF,
                LINETRANSFERMODE_CONFERENCE,
                {IDC_CONFERENCE, IDC_APPSPECIFIC},
                "Ho&ld"},
        RuleRow{"parties",
                LINECALLFEATURE_PREPAREADDCONF | LINECALLFEATURE_REMOVEFROMCONF | LINECALLFEATURE_SETUPCONF,
                0,
                0,
                {IDC_ADDPARTY, IDC_DROPPARTY, IDC_SETUPCONF, IDC_APPSPECIFIC},
                "Ho&ld"},
        RuleRow{"offering",
                LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP | LINECALLFEATURE_REDIRECT |
                    LINECALLFEATURE_SWAPHOLD,
                0,
                0,
                {IDC_ACCEPT, IDC_ANSWER, IDC_HANGUP, IDC_REDIRECT, IDC_SWAP, IDC_APPSPECIFIC},
                "Ho&ld"},
        RuleRow{"data features only", LINECALLFEATURE_SETCALLDATA, 0, 0, {IDC_APPSPECIFIC}, "Ho&ld"}),
    [](const ::testing::TestParamInfo<RuleRow> &info) {
        std::string name = info.param.name;
        for (char &c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

} // namespace
