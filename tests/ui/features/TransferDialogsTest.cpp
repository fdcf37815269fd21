// The transfer, conference set-up and consultation windows over real calls:
// what each offers for the call's features and the address's transfer modes,
// when OK may be pressed, the elapsed time, and calls that change or vanish
// while the consultation window is open.
#include "FeatureTestSupport.h"

#include <ui/dialogs/CompleteTransferDlg.h>
#include <ui/dialogs/SetupConfDlg.h>
#include <ui/dialogs/TransferDlg.h>

using win::testing::Click;
using win::testing::PressKey;
using win::testing::TypeText;

namespace {

using namespace office;

class TransferDialogsTest : public FeatureTest {
protected:
    /// Takes `features` out of (or puts them back into) the call features Anna's address offers.
    void OfferOnAnna(DWORD features, bool offered)
    {
        Exchange().changeLine(kAnna, [&](exchange::LineConfig &line) {
            DWORD &caps = line.addresses[0].caps.dwCallFeatures;
            caps = offered ? caps | features : caps & ~features;
        });
    }

    /// A customer talks to Anna, who consults Ben; Ben answers. Sets first and consult.
    void Consult()
    {
        first = CustomerTalksTo(kAnna);
        ASSERT_EQ(Reply(first->SetupTransfer(&consult)), 0u);
        ASSERT_TRUE(consult && consult->WaitForFeatures(LINECALLFEATURE_DIAL, 5000));
        ASSERT_EQ(Reply(consult->Dial(Number(kBen))), 0u);
        ben = RingsAt(kBen);
        Answer(ben);
        ASSERT_TRUE(Reaches(consult, LINECALLSTATE_CONNECTED));
    }

    CTapiCall *first = nullptr;
    CTapiCall *consult = nullptr;
    CTapiCall *ben = nullptr;
};

struct TransferKind {
    DWORD withdrawn; // call features the address stops offering
    bool checked;    // consultation transfer
    bool choice;     // the user may change it
};

class TransferKinds : public TransferDialogsTest, public ::testing::WithParamInterface<TransferKind> {};

TEST_P(TransferKinds, FollowTheCallsFeaturesAndOkNeedsANumber)
{
    CTapiCall *call = AnnaCallsOutside();
    OfferOnAnna(GetParam().withdrawn, false);
    CTransferDlg dialog(Parent(), call);
    const int result = RunModal<CTransferDlg>(dialog, [&](CTransferDlg &shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Transfer a Call"));
        EXPECT_EQ(shown.GetDlgItemText(CTransferDlg::IDC_PARTY_NUMBER), QStringLiteral("5550105")) << "called party";
        EXPECT_EQ(shown.IsDlgButtonChecked(CTransferDlg::IDC_CONSULTATION) != 0, GetParam().checked);
        EXPECT_EQ(shown.IsDlgItemEnabled(CTransferDlg::IDC_CONSULTATION), GetParam().choice);
        EXPECT_FALSE(shown.IsDlgItemEnabled(win::IDOK));
        TypeText(shown, CTransferDlg::IDC_NUMBER, QStringLiteral("2"));
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK)) << "the first character enables OK";
        TypeText(shown, CTransferDlg::IDC_NUMBER, QString());
        EXPECT_FALSE(shown.IsDlgItemEnabled(win::IDOK)) << "erasing disables it again";
        TypeText(shown, CTransferDlg::IDC_NUMBER, QStringLiteral("203"));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(result, win::IDOK);
    EXPECT_EQ(dialog.GetConsultation(), GetParam().checked ? 1 : 0);
    EXPECT_EQ(dialog.GetNumber(), QStringLiteral("203"));
}

INSTANTIATE_TEST_SUITE_P(
    Features, TransferKinds,
    ::testing::Values(TransferKind{0, false, true}, TransferKind{LINECALLFEATURE_BLINDTRANSFER, true, false},
                      TransferKind{LINECALLFEATURE_SETUPTRANSFER, false, false},
                      TransferKind{LINECALLFEATURE_BLINDTRANSFER | LINECALLFEATURE_SETUPTRANSFER, true, false}));

TEST_F(TransferDialogsTest, ConferenceSetupWithMergeOfferedNeedsNoNumberUntilUnchecked)
{
    CTapiCall *call = CustomerTalksTo(kAnna);
    CSetupConfDlg dialog(Parent(), call, true);
    RunModal<CSetupConfDlg>(dialog, [&](CSetupConfDlg &shown) {
        EXPECT_EQ(shown.GetDlgItemText(CSetupConfDlg::IDC_PARTY_NAME), QStringLiteral("Dora Engel")) << "caller";
        EXPECT_EQ(shown.GetDlgItemText(CSetupConfDlg::IDC_PARTY_NUMBER), QStringLiteral("5551234"));
        EXPECT_TRUE(shown.IsDlgButtonChecked(CSetupConfDlg::IDC_MERGE));
        EXPECT_FALSE(shown.IsDlgItemEnabled(CSetupConfDlg::IDC_NUMBER));
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK));
        Click(shown, CSetupConfDlg::IDC_MERGE);
        EXPECT_TRUE(shown.IsDlgItemEnabled(CSetupConfDlg::IDC_NUMBER));
        EXPECT_EQ(shown.focusWidget(), shown.GetDlgItem(CSetupConfDlg::IDC_NUMBER));
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK)) << "until the number changes";
        TypeText(shown, CSetupConfDlg::IDC_NUMBER, QStringLiteral("2"));
        TypeText(shown, CSetupConfDlg::IDC_NUMBER, QString());
        EXPECT_FALSE(shown.IsDlgItemEnabled(win::IDOK));
        Click(shown, CSetupConfDlg::IDC_MERGE);
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(dialog.GetMerge(), 1);
    EXPECT_EQ(dialog.GetNumber(), QString());
}

TEST_F(TransferDialogsTest, ConferenceSetupWithoutMergeAsksForTheParty)
{
    CTapiCall *call = AnnaCallsOutside();
    CSetupConfDlg dialog(Parent(), call, false);
    RunModal<CSetupConfDlg>(dialog, [&](CSetupConfDlg &shown) {
        EXPECT_FALSE(shown.IsDlgItemEnabled(CSetupConfDlg::IDC_MERGE));
        EXPECT_FALSE(shown.IsDlgButtonChecked(CSetupConfDlg::IDC_MERGE));
        EXPECT_EQ(shown.focusWidget(), shown.GetDlgItem(CSetupConfDlg::IDC_NUMBER));
        EXPECT_FALSE(shown.IsDlgItemEnabled(win::IDOK));
        TypeText(shown, CSetupConfDlg::IDC_NUMBER, QStringLiteral("202"));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(dialog.GetMerge(), 0);
    EXPECT_EQ(dialog.GetNumber(), QStringLiteral("202"));
}

TEST_F(TransferDialogsTest, CompletionRefusedWhileTheCallsCannotCompleteKeepsTheWindowOpen)
{
    Consult();
    for (int conferenceMode : {0, 1}) {
        OfferOnAnna(LINECALLFEATURE_COMPLETETRANSF | LINECALLFEATURE_ADDTOCONF, false);
        CCompleteTransferDlg dialog(Parent(), first, consult, conferenceMode);
        const int result = RunModal<CCompleteTransferDlg>(dialog, [&](CCompleteTransferDlg &shown) {
            if (conferenceMode) {
                EXPECT_EQ(shown.windowTitle(), QStringLiteral("Complete the Conference"));
                EXPECT_EQ(shown.GetDlgItemText(win::IDOK), QStringLiteral("Conference"));
                EXPECT_FALSE(shown.GetDlgItem(CCompleteTransferDlg::IDC_CONFERENCE)->isVisible());
            }
            Click(shown, win::IDOK);
            EXPECT_EQ(Status(), conferenceMode ? QStringLiteral("Call not in proper state to add to the conference")
                                               : QStringLiteral("Call not in proper state to complete the transfer"));
            EXPECT_TRUE(shown.isVisible());
            OfferOnAnna(LINECALLFEATURE_COMPLETETRANSF | LINECALLFEATURE_ADDTOCONF, true);
            Click(shown, win::IDOK);
        });
        EXPECT_EQ(result, win::IDOK) << "completes once the calls allow it";
        EXPECT_EQ(dialog.GetConference(), conferenceMode);
    }
}

TEST_F(TransferDialogsTest, ElapsedTimeCountsWholeSecondsWithinADay)
{
    Consult();
    CCompleteTransferDlg dialog(Parent(), first, consult, 0);
    const int result = RunModal<CCompleteTransferDlg>(dialog, [&](CCompleteTransferDlg &shown) {
        const auto elapsed = [&] { return shown.GetDlgItemText(CCompleteTransferDlg::IDC_ELAPSED); };
        EXPECT_EQ(elapsed(), QStringLiteral("00:00:00"));
        for (auto [step, text] :
             {std::pair{std::chrono::seconds(1), "00:00:01"}, std::pair{std::chrono::seconds(3599), "01:00:00"},
              std::pair{std::chrono::seconds(24 * 3600), "01:00:00"}}) {
            now += step;
            win::Clock::Advance(CCompleteTransferDlg::kTimerPeriodMs);
            EXPECT_EQ(elapsed(), QString::fromUtf8(text));
        }
        EXPECT_TRUE(shown.GetDlgItemText(CCompleteTransferDlg::IDC_STATE1).startsWith("On Hold"));
        Click(shown, CCompleteTransferDlg::IDC_CLOSE_WINDOW);
    });
    EXPECT_EQ(result, CCompleteTransferDlg::IDC_CLOSE_WINDOW);

    CCompleteTransferDlg again(Parent(), first, consult, 0);
    EXPECT_EQ(
        RunModal<CCompleteTransferDlg>(again, [](CCompleteTransferDlg &shown) { PressKey(shown, Qt::Key_Escape); }),
        win::IDCANCEL);
}

TEST_F(TransferDialogsTest, CallsThatEndOrVanishWhileOpenLeaveTheWindowRunning)
{
    Consult();
    CCompleteTransferDlg dialog(Parent(), first, consult, 0);
    RunModal<CCompleteTransferDlg>(dialog, [&](CCompleteTransferDlg &shown) {
        const auto consultState = [&] { return shown.GetDlgItemText(CCompleteTransferDlg::IDC_STATE2); };
        EXPECT_TRUE(consultState().startsWith("Connected"));
        ASSERT_EQ(Reply(ben->Drop()), 0u);
        ASSERT_TRUE(WaitFor([&] { return consult->GetCallState() == LINECALLSTATE_DISCONNECTED; }));
        win::Clock::Advance(CCompleteTransferDlg::kTimerPeriodMs);
        EXPECT_TRUE(consultState().startsWith("Disconnected")) << consultState().toStdString();

        // Closing the line deletes its calls: the window no longer touches them.
        ASSERT_EQ(lines[kAnna]->Close(), 0u);
        now += std::chrono::seconds(5);
        win::Clock::Advance(CCompleteTransferDlg::kTimerPeriodMs);
        EXPECT_EQ(shown.GetDlgItemText(CCompleteTransferDlg::IDC_ELAPSED), QStringLiteral("00:00:05"));
        EXPECT_TRUE(consultState().startsWith("Disconnected")) << "the last state seen";
        Click(shown, win::IDOK);
        EXPECT_EQ(Status(), QStringLiteral("Call not in proper state to complete the transfer"));
        Click(shown, win::IDCANCEL);
    });
}

} // namespace
