// "&Transfer..." and "Con&ference..." from the main window against the
// exchange: Anna (201) is the window's line; Ben (202) and Carl (203) are
// opened by the test through the object layer and answer as people would.
#include "CommandsTestSupport.h"

#include <atomic>
#include <ui/dialogs/CompleteTransferDlg.h>
#include <ui/dialogs/SetupConfDlg.h>
#include <ui/dialogs/TransferDlg.h>

#include "CTapiCall.h"
#include "CTapiLine.h"
#include "TapiClock.h"

#include <window/testing/UserInput.h>

namespace {

using win::testing::TypeText;

constexpr DWORD kBen = 1;
constexpr DWORD kCarl = 2;

class TransferCommandsTest : public CommandsTest {
protected:
    /// Opens another extension's line through the object layer, as its owner.
    static bool OpenOther(DWORD id)
    {
        return Line(id)->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE) == 0;
    }

    /// The first call on a line in one of `states`, once there is one.
    static CTapiCall *CallOn(DWORD id, DWORD states)
    {
        CTapiCall *call = nullptr;
        WaitFor([&] { return (call = Line(id)->FindCallByState(states, 0)) != nullptr; });
        return call;
    }

    /// The call ringing at a line is answered there; true once it is connected.
    static bool AnswerAt(DWORD id)
    {
        CTapiCall *ringing = CallOn(id, LINECALLSTATE_OFFERING);
        return ringing && ringing->Answer() != 0 &&
               WaitFor([&] { return ringing->GetCallState() == LINECALLSTATE_CONNECTED; });
    }

    /// Anna calls Ben from the window and Ben answers.
    bool AnnaTalksToBen()
    {
        return StartWithLine() && OpenOther(kBen) && OpenOther(kCarl) && TypeNumber(QStringLiteral("202")) &&
               Click(IDC_MAKECALL) && AnswerAt(kBen) && WaitForCallState(QStringLiteral("Connected"));
    }

    /// Plays the transfer dialog: consultation or blind, to `number`.
    static void PlayTransfer(bool consultation, const QString &number)
    {
        OnNextDialog<CTransferDlg>([=](CTransferDlg &dialog) {
            if ((dialog.IsDlgButtonChecked(CTransferDlg::IDC_CONSULTATION) != 0) != consultation)
                win::testing::Click(dialog, CTransferDlg::IDC_CONSULTATION);
            TypeText(dialog, CTransferDlg::IDC_NUMBER, number);
            win::testing::Click(dialog, win::IDOK);
        });
    }

    /// Plays the consultation window: `user` runs while it is open and presses a button.
    static void PlayConsultation(std::function<void(CCompleteTransferDlg &)> user)
    {
        OnNextDialog<CCompleteTransferDlg>(std::move(user));
    }

    /// Anna holds Ben and consults Carl, who answers while the consultation window
    /// is open; `button` then ends the window (after `conference` ticks the box).
    void ConsultCarl(int button, bool conference = false)
    {
        PlayTransfer(true, QStringLiteral("203"));
        PlayConsultation([=](CCompleteTransferDlg &dialog) {
            ASSERT_TRUE(AnswerAt(kCarl));
            if (conference)
                win::testing::Click(dialog, CCompleteTransferDlg::IDC_CONFERENCE);
            // Anna's first call waits on hold: the connected one is the consultation.
            ASSERT_TRUE(WaitFor([&] { return Line(0)->FindCallByState(LINECALLSTATE_CONNECTED, 0) != nullptr; }));
            win::testing::Click(dialog, button);
        });
        Click(IDC_TRANSFER);
    }

    /// No call of Anna's line is left in a state that is neither idle nor `allowed`.
    static bool OnlyCallsIn(DWORD allowed)
    {
        return WaitFor([&] {
            for (DWORD i = 0; i < Line(0)->GetCallCount(); ++i) {
                CTapiCall *call = Line(0)->GetCall(i);
                if (call && call->GetCallState() != LINECALLSTATE_IDLE && !(call->GetCallState() & allowed))
                    return false;
            }
            return true;
        });
    }
};

TEST_F(TransferCommandsTest, BlindTransferConnectsTheTwoFarParties)
{
    ASSERT_TRUE(AnnaTalksToBen());
    PlayTransfer(false, QStringLiteral("203"));
    ASSERT_TRUE(Click(IDC_TRANSFER));
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(Last("lineBlindTransferW").text("lpszDestAddressW"), "203");
    ASSERT_TRUE(AnswerAt(kCarl));
    CTapiCall *ben = Line(kBen)->FindCallByState(LINECALLSTATE_CONNECTED | LINECALLSTATE_RINGBACK, 0);
    ASSERT_NE(ben, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ben->GetCallState() == LINECALLSTATE_CONNECTED; }));
    EXPECT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; })) << "Anna is out of it";
}

struct Completion {
    const char *name;
    bool conferenceBox; // ticked in the consultation window
    DWORD mode;         // the transfer mode sent
};

class ConsultationCompletes : public TransferCommandsTest, public ::testing::WithParamInterface<Completion> {};

TEST_P(ConsultationCompletes, WithTheModeOfTheConsultationWindow)
{
    ASSERT_TRUE(AnnaTalksToBen());
    ConsultCarl(win::IDOK, GetParam().conferenceBox);
    EXPECT_EQ(Status(), "");
    const exchange::RecordedCall setup = Last("lineSetupTransferW");
    EXPECT_TRUE(setup.isNull("lpCallParams")) << "address 0 needs no call parameters";
    EXPECT_EQ(Last("lineDialW").text("lpszDestAddress"), "203");
    EXPECT_EQ(Last("lineCompleteTransfer").number("dwTransferMode"), GetParam().mode);
    CTapiCall *ben = Line(kBen)->FindCallByState(LINECALLSTATE_CONNECTED, 0);
    CTapiCall *carl = Line(kCarl)->FindCallByState(LINECALLSTATE_CONNECTED, 0);
    EXPECT_TRUE(ben && carl) << "both far parties still talk";
    if (GetParam().mode == LINETRANSFERMODE_TRANSFER)
        EXPECT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; }));
    else
        EXPECT_TRUE(WaitFor([&] { return Line(0)->FindCallByState(LINECALLSTATE_CONFERENCED, 0) != nullptr; }));
    EXPECT_FALSE(Window().IsReleaseDeferred());
}

INSTANTIATE_TEST_SUITE_P(Modes, ConsultationCompletes,
                         ::testing::Values(Completion{"Transfer", false, LINETRANSFERMODE_TRANSFER},
                                           Completion{"Conference", true, LINETRANSFERMODE_CONFERENCE}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(TransferCommandsTest, CancelConsultationDropsItAndTakesTheFirstCallOffHold)
{
    ASSERT_TRUE(AnnaTalksToBen());
    const HCALL first = CurrentHandle();
    ConsultCarl(win::IDCANCEL);
    EXPECT_EQ(Status(), "");
    // The exchange takes the first call back itself once the consultation is
    // gone, so the unhold may find it connected already: only the outcome counts.
    EXPECT_TRUE(WaitFor([&] { return Line(kCarl)->FindCallByState(LINECALLSTATE_CONNECTED, 0) == nullptr; }));
    EXPECT_TRUE(WaitFor([&] {
        CTapiCall *call = Line(0)->FindCall(first);
        return call && call->GetCallState() == LINECALLSTATE_CONNECTED && Line(0)->GetCallCount() == 1;
    }));
}

TEST_F(TransferCommandsTest, CloseWindowLeavesBothCallsOfATransferUp)
{
    ASSERT_TRUE(AnnaTalksToBen());
    ConsultCarl(CCompleteTransferDlg::IDC_CLOSE_WINDOW);
    EXPECT_EQ(Count("lineCompleteTransfer") + Count("lineDrop") + Count("lineUnhold"), 0u);
    EXPECT_NE(Line(0)->FindCallByState(LINECALLSTATE_ONHOLDPENDTRANSFER, 0), nullptr);
    EXPECT_NE(Line(0)->FindCallByState(LINECALLSTATE_CONNECTED, 0), nullptr);
    EXPECT_FALSE(Window().IsReleaseDeferred());
}

TEST_F(TransferCommandsTest, AConsultationCallThatNeverOffersDialIsDroppedAfterFiveSeconds)
{
    ASSERT_TRUE(AnnaTalksToBen());
    Exchange().changeLine(0, [](exchange::LineConfig &line) {
        line.addresses[0].caps.dwCallFeatures &= ~DWORD{LINECALLFEATURE_DIAL};
    });
    // The wait for the feature runs on the layer's tick count: a second per look.
    // The event thread reads the tick count too, so the counter is atomic.
    static std::atomic<DWORD> tick{0};
    const TapiTickSource previous = SetTapiTickSource([] { return tick.fetch_add(1000) + 1000; });
    PlayTransfer(true, QStringLiteral("203"));
    Click(IDC_TRANSFER);
    SetTapiTickSource(previous);
    EXPECT_TRUE(Status().startsWith("Dial feature unavailable (0xffffffff)")) << Status().toStdString();
    EXPECT_EQ(Count("lineDialW"), 0u);
    EXPECT_TRUE(OnlyCallsIn(LINECALLSTATE_CONNECTED | LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_ONHOLD));
    EXPECT_TRUE(WaitFor([&] { return Line(0)->FindCallByState(LINECALLSTATE_DIALTONE, 0) == nullptr; }));
}

TEST_F(TransferCommandsTest, AFarPartyHangingUpLeavesTheConsultationWindowRunning)
{
    ASSERT_TRUE(AnnaTalksToBen());
    PlayTransfer(true, QStringLiteral("203"));
    PlayConsultation([&](CCompleteTransferDlg &dialog) {
        ASSERT_TRUE(AnswerAt(kCarl));
        CTapiCall *consult = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (consult = Line(0)->FindCallByState(LINECALLSTATE_CONNECTED, 0)); }));
        AdvanceTicks(1000);
        const QString talking = dialog.GetDlgItemText(CCompleteTransferDlg::IDC_STATE2);
        // Carl hangs up; then the consultation call goes idle, and stays allocated.
        ASSERT_NE(Line(kCarl)->FindCallByState(LINECALLSTATE_CONNECTED, 0)->Drop(), 0u);
        ASSERT_TRUE(WaitFor([&] { return consult->GetCallState() == LINECALLSTATE_DISCONNECTED; }));
        AdvanceTicks(1000);
        EXPECT_NE(dialog.GetDlgItemText(CCompleteTransferDlg::IDC_STATE2), talking);
        ASSERT_NE(consult->Drop(), 0u);
        ASSERT_TRUE(WaitFor([&] { return consult->GetCallState() == LINECALLSTATE_IDLE; }));
        ASSERT_TRUE(WaitFor([&] { return Window().GetCalls().size() == 1; })) << "listed no more";
        AdvanceTicks(1000);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(Line(0)->IsListed(consult)) << "kept for release until the window closes";
        win::testing::Click(dialog, win::IDCANCEL);
    });
    Click(IDC_TRANSFER);
    EXPECT_FALSE(Window().IsReleaseDeferred());
    EXPECT_TRUE(WaitFor([&] { return Line(0)->GetCallCount() == 1; })) << "released once the window closed";
}

struct ConferenceEnding {
    const char *name;
    int button;
    bool joined; // Carl ends up in the conference
};

class DialledConference : public TransferCommandsTest, public ::testing::WithParamInterface<ConferenceEnding> {};

TEST_P(DialledConference, JoinsThePartyOrTearsTheConferenceDown)
{
    ASSERT_TRUE(AnnaTalksToBen());
    OnNextDialog<CSetupConfDlg>([](CSetupConfDlg &dialog) {
        TypeText(dialog, CSetupConfDlg::IDC_NUMBER, QStringLiteral("203"));
        win::testing::Click(dialog, win::IDOK);
    });
    PlayConsultation([](CCompleteTransferDlg &dialog) {
        ASSERT_TRUE(AnswerAt(kCarl));
        win::testing::Click(dialog, GetParam().button);
    });
    Click(IDC_SETUPCONF);
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(Last("lineSetupConferenceW").number("dwNumParties"), 3u);
    if (GetParam().joined) {
        EXPECT_EQ(Count("lineAddToConference"), 1u);
        EXPECT_TRUE(WaitFor([&] { return Line(0)->FindCallByState(LINECALLSTATE_CONFERENCED, 0) != nullptr; }));
        return;
    }
    EXPECT_EQ(Count("lineRemoveFromConference"), 1u);
    // Nothing half built is left: no conference, no consultation; Carl is let go.
    EXPECT_TRUE(OnlyCallsIn(LINECALLSTATE_CONNECTED));
    EXPECT_TRUE(WaitFor([&] { return Line(kCarl)->FindCallByState(LINECALLSTATE_CONNECTED, 0) == nullptr; }));
}

INSTANTIATE_TEST_SUITE_P(Endings, DialledConference,
                         ::testing::Values(ConferenceEnding{"Ok", win::IDOK, true},
                                           ConferenceEnding{"CancelConsultation", win::IDCANCEL, false},
                                           ConferenceEnding{"CloseWindow", CCompleteTransferDlg::IDC_CLOSE_WINDOW,
                                                            false}),
                         [](const auto &info) { return std::string(info.param.name); });

class MergeSweep : public TransferCommandsTest, public ::testing::WithParamInterface<int> {};

TEST_P(MergeSweep, JoinsEveryHeldCall)
{
    const int calls = GetParam();
    ASSERT_TRUE(StartWithLine());
    for (int i = 0; i < calls; ++i)
        ASSERT_TRUE(ConnectedCall());
    OnNextDialog<CSetupConfDlg>([](CSetupConfDlg &dialog) {
        EXPECT_TRUE(dialog.IsDlgItemEnabled(CSetupConfDlg::IDC_MERGE)) << "merge offered";
        if (!dialog.IsDlgButtonChecked(CSetupConfDlg::IDC_MERGE))
            win::testing::Click(dialog, CSetupConfDlg::IDC_MERGE);
        win::testing::Click(dialog, win::IDOK);
    });
    Click(IDC_SETUPCONF);
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(Last("lineCompleteTransfer").number("dwTransferMode"), DWORD{LINETRANSFERMODE_CONFERENCE});
    EXPECT_EQ(Count("lineAddToConference"), size_t(calls - 2)) << "the third held call is swept in";
    EXPECT_TRUE(WaitFor([&] {
        int conferenced = 0;
        for (DWORD i = 0; i < Line(0)->GetCallCount(); ++i)
            conferenced += Line(0)->GetCall(i) && Line(0)->GetCall(i)->GetCallState() == LINECALLSTATE_CONFERENCED;
        return conferenced == calls;
    }));
}

INSTANTIATE_TEST_SUITE_P(Calls, MergeSweep, ::testing::Values(2, 3));

struct Failure {
    const char *function; // the TAPI function that fails
    int command;          // 0 blind, 1 consultation, 2 dialled conference, 3 stopped before the dialog
    const char *reported; // the status line starts with this
};

class CommandFailure : public TransferCommandsTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(CommandFailure, IsReportedAndLeavesNothingHalfBuilt)
{
    ASSERT_TRUE(AnnaTalksToBen());
    Faults().failNext(GetParam().function, LINEERR_OPERATIONFAILED);
    if (GetParam().command == 2) {
        OnNextDialog<CSetupConfDlg>([](CSetupConfDlg &dialog) {
            TypeText(dialog, CSetupConfDlg::IDC_NUMBER, QStringLiteral("203"));
            win::testing::Click(dialog, win::IDOK);
        });
        Click(IDC_SETUPCONF);
    } else {
        if (GetParam().command != 3)
            PlayTransfer(GetParam().command == 1, QStringLiteral("203"));
        Click(IDC_TRANSFER);
    }
    EXPECT_EQ(Status(), QString::fromUtf8(GetParam().reported) + " (0x80000048) Operation Failed");
    EXPECT_TRUE(OnlyCallsIn(LINECALLSTATE_CONNECTED | LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_ONHOLD));
    EXPECT_TRUE(WaitFor([&] { return Line(kCarl)->GetCallCount() == 0; })) << "Carl never rings for long";
}

INSTANTIATE_TEST_SUITE_P(
    Functions, CommandFailure,
    ::testing::Values(Failure{"lineSetCallPrivilege", 3, "lineSetCallPrivilege"},
                      Failure{"lineBlindTransferW", 0, "lineBlindTransfer"},
                      Failure{"lineSetupTransferW", 1, "lineSetupTransfer"},
                      Failure{"lineDialW", 1, "lineDial"},
                      Failure{"lineSetupConferenceW", 2, "lineSetupConference"},
                      Failure{"lineDialW", 2, "lineDial"}),
    [](const auto &info) { return std::string(info.param.function).substr(4) + std::to_string(info.param.command); });

} // namespace
