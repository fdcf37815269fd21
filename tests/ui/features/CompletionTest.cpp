// The call completion window over a call that found its party busy: the
// modes and messages the address offers and when "Complete" may be pressed,
// then the completion carried out at the exchange with what the window chose.
#include "FeatureTestSupport.h"

#include <ui/dialogs/CompleteCall.h>

using win::testing::ChooseItem;
using win::testing::Click;

namespace {

using namespace office;

class CompletionTest : public FeatureTest {
protected:
    /// Ben, who takes one call at a time, talks to Carl; Anna calls Ben and
    /// hears busy. Returns Anna's call.
    CTapiCall *AnnaFindsBenBusy()
    {
        Exchange().changeLine(kBen, [](exchange::LineConfig &line) { line.addresses[0].caps.dwMaxNumOnHoldCalls = 0; });
        benWithCarl = Talk(kBen, kCarl).first;
        CTapiCall *call = nullptr;
        EXPECT_EQ(lines[kAnna]->MakeCall(&call, Number(kBen)), 0u);
        EXPECT_TRUE(Reaches(call, LINECALLSTATE_BUSY));
        return call;
    }

    /// Runs the window for `call`; `user` chooses and presses "Complete".
    void Choose(CCompleteCall &dialog, std::function<void(CCompleteCall &)> user)
    {
        ASSERT_EQ(RunModal<CCompleteCall>(dialog, std::move(user)), win::IDOK);
    }

    CTapiCall *benWithCarl = nullptr;
};

TEST_F(CompletionTest, MessageModeNeedsAMessageAndOtherModesNone)
{
    Exchange().changeLine(kAnna, [](exchange::LineConfig &line) {
        line.addresses[0].caps.dwCallCompletionModes = LINECALLCOMPLMODE_CAMPON | LINECALLCOMPLMODE_MESSAGE;
    });
    CTapiCall *call = AnnaFindsBenBusy();
    ASSERT_TRUE(call->GetAddress()->GetAddressCaps(0, 0, true));
    CCompleteCall dialog(Parent(), call);
    Choose(dialog, [](CCompleteCall &shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Complete a Call"));
        EXPECT_EQ(shown.GetDlgItemText(CCompleteCall::IDC_PARTY_NUMBER), QStringLiteral("202"));
        const win::ListControl modes = shown.Items(CCompleteCall::IDC_MODE);
        ASSERT_EQ(modes.GetCount(), 2);
        EXPECT_EQ(modes.GetText(0), QStringLiteral("Camp On"));
        EXPECT_EQ(modes.GetText(1), QStringLiteral("Message"));
        EXPECT_EQ(modes.GetCurSel(), 0);
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK));
        EXPECT_FALSE(shown.IsDlgItemEnabled(CCompleteCall::IDC_MESSAGE));

        ChooseItem(shown, CCompleteCall::IDC_MODE, QStringLiteral("Message"));
        EXPECT_TRUE(shown.IsDlgItemEnabled(CCompleteCall::IDC_MESSAGE));
        EXPECT_FALSE(shown.IsDlgItemEnabled(win::IDOK)) << "until a message is chosen";
        const win::ListControl messages = shown.Items(CCompleteCall::IDC_MESSAGE);
        ASSERT_EQ(messages.GetCount(), 3);
        EXPECT_EQ(messages.GetText(0), QStringLiteral("I will call again")) << "sorted";
        EXPECT_EQ(messages.GetItemData(0), 2u) << "keeps its index";
        ChooseItem(shown, CCompleteCall::IDC_MESSAGE, QStringLiteral("I will call again"));
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK));

        ChooseItem(shown, CCompleteCall::IDC_MODE, QStringLiteral("Camp On"));
        EXPECT_FALSE(shown.IsDlgItemEnabled(CCompleteCall::IDC_MESSAGE));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(dialog.GetCompletionMode(), DWORD{LINECALLCOMPLMODE_CAMPON});
    EXPECT_EQ(dialog.GetMessageId(), 2u) << "the list keeps the message chosen";
}

TEST_F(CompletionTest, CampOnRingsTheBusyExtensionOnceItIsFree)
{
    CTapiCall *call = AnnaFindsBenBusy();
    CCompleteCall dialog(Parent(), call);
    Choose(dialog, [](CCompleteCall &shown) {
        EXPECT_EQ(shown.Items(CCompleteCall::IDC_MODE).GetText(0), QStringLiteral("Call back"));
        ChooseItem(shown, CCompleteCall::IDC_MODE, QStringLiteral("Camp On"));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(dialog.GetMessageId(), CCompleteCall::kNoMessage);
    DWORD id = 0;
    ASSERT_EQ(Reply(call->CompleteCall(&id, dialog.GetCompletionMode(), dialog.GetMessageId())), 0u);
    EXPECT_NE(id, 0u);
    ASSERT_EQ(Reply(benWithCarl->Drop()), 0u);
    CTapiCall *ringing = RingsAt(kBen);
    ASSERT_NE(ringing, nullptr);
    EXPECT_EQ(ringing->GetCallInfo(true)->dwReason, DWORD{LINECALLREASON_CALLCOMPLETION});
}

TEST_F(CompletionTest, MessageIsLeftAtTheBusyExtension)
{
    CTapiCall *call = AnnaFindsBenBusy();
    CCompleteCall dialog(Parent(), call);
    Choose(dialog, [](CCompleteCall &shown) {
        ChooseItem(shown, CCompleteCall::IDC_MODE, QStringLiteral("Message"));
        ChooseItem(shown, CCompleteCall::IDC_MESSAGE, QStringLiteral("Urgent: call me"));
        Click(shown, win::IDOK);
    });
    ASSERT_EQ(dialog.GetCompletionMode(), DWORD{LINECALLCOMPLMODE_MESSAGE});
    DWORD id = 0;
    ASSERT_EQ(Reply(call->CompleteCall(&id, dialog.GetCompletionMode(), dialog.GetMessageId())), 0u);
    const auto left = Exchange().completionMessages(kBen);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].messageId, 1u);
    EXPECT_EQ(left[0].completionId, id);
    EXPECT_EQ(left[0].caller, u"201");
}

} // namespace
