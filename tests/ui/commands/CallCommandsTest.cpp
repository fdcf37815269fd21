// Commands on one call: the owner step, the request and its arguments, and
// the status line after an injected failure.
#include "CommandsTestSupport.h"

#include <ui/main/DialDlg.h>
#include <ui/main/MakeCallExtended.h>

#include <window/testing/UserInput.h>

#include "CTapiLine.h"

#include <algorithm>

using win::testing::TypeText;

namespace {

// Extension 201 can also redirect offering calls and park connected ones.
class CallCommandsTest : public CommandsTest {
protected:
    exchange::Topology Topology() const override
    {
        exchange::Topology topology = exchange::Topology::standard();
        topology.lines[0].addresses[0].caps.dwCallFeatures |= LINECALLFEATURE_REDIRECT | LINECALLFEATURE_PARK;
        return topology;
    }

    // Position of the first recorded call of `function` (with `handle` when non-zero).
    std::ptrdiff_t Position(const std::string &function, HCALL handle = 0) const
    {
        const auto calls = Recorder().calls();
        const auto it = std::find_if(calls.begin(), calls.end(), [&](const exchange::RecordedCall &c) {
            return c.function == function && (handle == 0 || c.number("hCall") == handle);
        });
        return it == calls.end() ? -1 : it - calls.begin();
    }
};

TEST_F(CallCommandsTest, HangUpWithoutACallDoesNothing)
{
    ASSERT_TRUE(StartWithLine());
    Window().OnHangUp();
    EXPECT_EQ(Count("lineDrop"), 0u);
    EXPECT_EQ(Count("lineSetCallPrivilege"), 0u);
    EXPECT_EQ(Status(), "");
}

TEST_F(CallCommandsTest, AnswerMakesTheProgramOwnerFirst)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(IncomingOffering());
    const HCALL handle = CurrentHandle();
    Recorder().clear();
    ASSERT_TRUE(Click(IDC_ANSWER));
    EXPECT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    const exchange::RecordedCall owner = Last("lineSetCallPrivilege");
    EXPECT_EQ(owner.number("hCall"), handle);
    EXPECT_EQ(owner.number("dwCallPrivilege"), DWORD{LINECALLPRIVILEGE_OWNER});
    EXPECT_EQ(Last("lineAnswer").number("hCall"), handle);
    EXPECT_LT(Position("lineSetCallPrivilege"), Position("lineAnswer"));
    EXPECT_EQ(Status(), "");
}

TEST_F(CallCommandsTest, AcceptThenHangUp)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(IncomingOffering());
    ASSERT_TRUE(Click(IDC_ACCEPT));
    EXPECT_TRUE(WaitForCallState(QStringLiteral("Accepted")));
    EXPECT_EQ(Last("lineAccept").number("hCall"), CurrentHandle());
    ASSERT_TRUE(Click(IDC_HANGUP));
    EXPECT_EQ(Count("lineDrop"), 1u);
    EXPECT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "0 of 0"; }));
    EXPECT_EQ(Status(), "");
}

struct FailureCase {
    int button;
    const char *function;
    const char *report;
    bool connected; // on a connected outgoing call, else on an offering one
};

class CallCommandFailures : public CallCommandsTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CallCommandFailures, AreReportedUnderTheOperationName)
{
    const FailureCase &c = GetParam();
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(c.connected ? ConnectedCall() : IncomingOffering());
    Faults().failNext(c.function, LINEERR_INVALCALLSTATE);
    ASSERT_TRUE(Click(c.button));
    EXPECT_EQ(Status(), QString::fromUtf8(c.report));
    EXPECT_EQ(Count(c.function), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CallCommandFailures,
    ::testing::Values(FailureCase{IDC_ACCEPT, "lineAccept", "lineAccept (0x8000001c) Call not in proper state", false},
                      FailureCase{IDC_ANSWER, "lineAnswer", "lineAnswer (0x8000001c) Call not in proper state", false},
                      FailureCase{IDC_HANGUP, "lineDrop", "lineDrop (0x8000001c) Call not in proper state", false},
                      FailureCase{IDC_HOLD, "lineHold", "lineHold (0x8000001c) Call not in proper state", true}));

TEST_F(CallCommandsTest, APrivilegeFailureStopsTheCommand)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(IncomingOffering());
    Faults().failNext("lineSetCallPrivilege", LINEERR_INVALCALLHANDLE);
    ASSERT_TRUE(Click(IDC_ANSWER));
    EXPECT_EQ(Status(), "lineSetCallPrivilege (0x80000018) Invalid Call handle");
    EXPECT_EQ(Count("lineAnswer"), 0u);
}

TEST_F(CallCommandsTest, OneButtonHoldsAndTakesOffHold)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    ASSERT_TRUE(Click(IDC_HOLD));
    EXPECT_TRUE(WaitForCallState(QStringLiteral("On Hold")));
    EXPECT_EQ(Count("lineHold"), 1u);
    EXPECT_EQ(Text(IDC_HOLD), "Unho&ld");
    ASSERT_TRUE(Click(IDC_HOLD));
    EXPECT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    EXPECT_EQ(Count("lineUnhold"), 1u);
    EXPECT_EQ(Count("lineHold"), 1u);
    EXPECT_EQ(Status(), "");
}

TEST_F(CallCommandsTest, DialDigitsDialsOnACallThatCanDial)
{
    ASSERT_TRUE(StartWithLine());
    HoldCtrl(true);
    OnNextDialog<MakeCallExtended>([](MakeCallExtended &dialog) { win::testing::Click(dialog, win::IDOK); });
    ASSERT_TRUE(Click(IDC_MAKECALL));
    HoldCtrl(false);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Dialtone")));

    OnNextDialog<CDialDlg>([](CDialDlg &dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Dial a Number");
        TypeText(dialog, CDialDlg::IDC_NUMBER, QStringLiteral("5550105"));
        win::testing::Click(dialog, win::IDOK);
    });
    ASSERT_TRUE(Click(IDC_DIALDIGITS));
    const exchange::RecordedCall dial = Last("lineDialW");
    EXPECT_EQ(dial.number("hCall"), CurrentHandle());
    EXPECT_EQ(dial.text("lpszDestAddress"), "5550105");
    EXPECT_EQ(dial.number("dwCountryCode"), 0u);
    EXPECT_EQ(Count("lineGenerateDigitsW"), 0u);
    EXPECT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    EXPECT_EQ(Status(), "");
}

TEST_F(CallCommandsTest, DialDigitsOnAConnectedCallGeneratesTones)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    for (bool fail : {false, true}) {
        OnNextDialog<CDialDlg>([](CDialDlg &dialog) {
            TypeText(dialog, CDialDlg::IDC_NUMBER, QStringLiteral("123#"));
            win::testing::Click(dialog, win::IDOK);
        });
        if (fail)
            Faults().failNext("lineGenerateDigitsW", LINEERR_INVALDIGITS);
        ASSERT_TRUE(Click(IDC_DIALDIGITS));
    }
    const exchange::RecordedCall tones = Last("lineGenerateDigitsW");
    EXPECT_EQ(tones.number("dwDigitMode"), DWORD{LINEDIGITMODE_DTMF});
    EXPECT_EQ(tones.text("lpszDigits"), "123#");
    EXPECT_EQ(tones.number("dwDuration"), 0u);
    EXPECT_EQ(Count("lineDialW"), 0u);
    EXPECT_EQ(Status(), "lineGenerateDigits (0x80000028) Invalid digits");
}

TEST_F(CallCommandsTest, ATranslationFailureShowsInTheStatusLineAndTheNumberStays)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    OnNextDialog<CDialDlg>([this](CDialDlg &dialog) {
        TypeText(dialog, CDialDlg::IDC_NUMBER, QStringLiteral("+49 (30 1234"));
        win::testing::Click(dialog, CDialDlg::IDC_TRANSLATE);
        EXPECT_EQ(Status(), "lineTranslateAddress (0x80000010) Invalid Address");
        EXPECT_EQ(dialog.GetDlgItemText(CDialDlg::IDC_NUMBER), "+49 (30 1234");
        win::testing::Click(dialog, win::IDCANCEL);
    });
    ASSERT_TRUE(Click(IDC_DIALDIGITS));
    EXPECT_EQ(Count("lineGenerateDigitsW"), 0u) << "Cancel sends nothing";
}

TEST_F(CallCommandsTest, RedirectSendsTheNumberTyped)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(IncomingOffering());
    const HCALL handle = CurrentHandle();
    OnNextDialog<CDialDlg>([](CDialDlg &dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Redirect to Number");
        EXPECT_EQ(dialog.GetDlgItemText(win::IDOK), "Redirect");
        TypeText(dialog, CDialDlg::IDC_NUMBER, QStringLiteral("202"));
        win::testing::Click(dialog, win::IDOK);
    });
    Faults().failNext("lineRedirectW", LINEERR_INVALADDRESS);
    ASSERT_TRUE(Click(IDC_REDIRECT));
    const exchange::RecordedCall redirect = Last("lineRedirectW");
    EXPECT_EQ(redirect.number("hCall"), handle);
    EXPECT_EQ(redirect.text("lpszDestAddress"), "202");
    EXPECT_EQ(redirect.number("dwCountryCode"), 0u);
    EXPECT_EQ(Status(), "lineRedirect (0x80000010) Invalid Address");
}

TEST_F(CallCommandsTest, ParkIsDirectedOnlyWithANumber)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    for (const QString &number : {QString(), QStringLiteral("290")}) {
        OnNextDialog<CDialDlg>([&](CDialDlg &dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Park a call");
            TypeText(dialog, CDialDlg::IDC_NUMBER, number);
            win::testing::Click(dialog, win::IDOK);
        });
        Faults().failNext("lineParkW", LINEERR_INVALPARKID);
        ASSERT_TRUE(Click(IDC_PARK));
        EXPECT_EQ(Status(), "linePark (0x80000033) Invalid Park ID");
    }
    const auto parks = Recorder().calls("lineParkW");
    ASSERT_EQ(parks.size(), 2u);
    EXPECT_EQ(parks[0].number("dwParkMode"), DWORD{LINEPARKMODE_NONDIRECTED});
    EXPECT_TRUE(parks[0].isNull("lpszDirAddress"));
    EXPECT_EQ(parks[1].number("dwParkMode"), DWORD{LINEPARKMODE_DIRECTED});
    EXPECT_EQ(parks[1].text("lpszDirAddress"), "290");
}

TEST_F(CallCommandsTest, ACallThatWentAwayWhileItsDialogWasOpenIsNotTouched)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(IncomingOffering());
    OnNextDialog<CDialDlg>([this](CDialDlg &dialog) {
        // TAPI closes the line meanwhile, and with it every call object.
        ASSERT_TRUE(Exchange().forceCloseLine(0));
        EXPECT_TRUE(WaitFor([&] { return Line(0)->GetCallCount() == 0; }));
        TypeText(dialog, CDialDlg::IDC_NUMBER, QStringLiteral("202"));
        win::testing::Click(dialog, win::IDOK);
    });
    ASSERT_TRUE(Click(IDC_REDIRECT));
    EXPECT_EQ(Count("lineRedirectW"), 0u);
    EXPECT_EQ(Status(), "lineRedirect (0x80000018) Invalid Call handle");
}

} // namespace
