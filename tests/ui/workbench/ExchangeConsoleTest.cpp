// The exchange console beside the dialer's main window: what the engineer
// does in the console reaches the main window through TAPI alone.
#include <ui/workbench/ExchangeConsole.h>
#include <ui/workbench/OfficeView.h>

#include "MainWindowFixture.h"

#include <resources/resource.h>
#include <window/testing/TestEnvironment.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

class ExchangeConsoleTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        console = std::make_unique<CExchangeConsole>(Exchange());
    }
    void TearDown() override
    {
        console.reset();
        MainWindowTest::TearDown();
    }

    template <class W> W *Control(const char *name) const
    {
        W *control = console->findChild<W *>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    /// Presses a console button as the user would; false when it is missing or disabled.
    bool Press(const char *name) const
    {
        auto *button = Control<QPushButton>(name);
        if (!button || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
    bool Choose(const char *box, const QString &text) const
    {
        auto *combo = Control<QComboBox>(box);
        const int at = combo ? combo->findText(text, Qt::MatchStartsWith) : -1;
        if (at < 0)
            return false;
        combo->setCurrentIndex(at);
        return true;
    }
    /// The leg of the first call the console lists on a line.
    exchange::LegId ListedCallOn(DWORD line) const
    {
        console->Refresh();
        for (const ConsoleCall &call : console->Shown().calls)
            if (call.line == line)
                return call.leg;
        return 0;
    }

    std::unique_ptr<CExchangeConsole> console;
};

TEST_F(ExchangeConsoleTest, AnOutsideCallPlacedInTheConsoleRingsAtTheChosenExtension)
{
    Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 202")));
    Control<QLineEdit>("callerNumber")->setText(QStringLiteral("5550177"));
    Control<QLineEdit>("callerName")->setText(QStringLiteral("Eva Fink"));
    ASSERT_TRUE(Choose("callTarget", QStringLiteral("202 - Extension 202")));
    ASSERT_TRUE(Press("placeCall"));

    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    EXPECT_TRUE(WaitFor([&] { return Text(IDC_CALLER_NAME) == QStringLiteral("Name: Eva Fink"); }));
    EXPECT_EQ(Text(IDC_CALLER_NUMBER), "5550177");
    const exchange::LegId leg = ListedCallOn(1);
    ASSERT_NE(leg, 0u);
    const ConsoleCall *listed = console->Shown().FindCall(leg);
    EXPECT_EQ(CallStateText(listed->state), "OFFERING");
    EXPECT_EQ(listed->outside, "Eva Fink <5550177>");
    EXPECT_TRUE(console->Result().startsWith(QStringLiteral("Call from 5550177 offered at line 1, address 0")));

    console->show();
    EXPECT_FALSE(win::testing::SaveScreenshot(*console, QStringLiteral("exchange-console")).isEmpty());
}

TEST_F(ExchangeConsoleTest, AFarEndHangUpFromTheConsoleReachesTheCallDisplay)
{
    Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 201")));
    ASSERT_TRUE(TypeNumber(QStringLiteral("5550105")) && Click(IDC_MAKECALL));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    EXPECT_FALSE(Press("farHangUp")) << "no call chosen yet: the far-end actions are off";

    const exchange::LegId leg = ListedCallOn(0);
    ASSERT_TRUE(console->Office().ChooseCall(leg));
    ASSERT_TRUE(Press("farHangUp"));
    EXPECT_TRUE(WaitForCallState(QStringLiteral("Disconnected")));
    EXPECT_EQ(console->Result(), QStringLiteral("Hang Up (call %1): OK").arg(leg));

    // A second hang-up finds the call no longer connected: the console says why.
    ASSERT_TRUE(Press("farHangUp"));
    EXPECT_EQ(console->Result(), QStringLiteral("Hang Up (call %1): LINEERR_INVALCALLSTATE").arg(leg));
}

TEST_F(ExchangeConsoleTest, AFunctionFailedFromTheConsoleIsReportedInTheStatusLine)
{
    Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 201")));
    ASSERT_TRUE(Choose("faultFunction", QStringLiteral("lineMakeCallW")));
    ASSERT_TRUE(Choose("faultKind", QStringLiteral("Fail with")));
    ASSERT_TRUE(Choose("faultError", QStringLiteral("LINEERR_CALLUNAVAIL")));
    ASSERT_TRUE(Press("armFault"));
    EXPECT_EQ(Faults().armed("lineMakeCallW"), 1);

    ASSERT_TRUE(TypeNumber(QStringLiteral("5550100")) && Click(IDC_MAKECALL));
    EXPECT_EQ(Text(IDC_STATUS), "lineMakeCall (0x80000005) No more calls can be made");
    console->Refresh();
    EXPECT_EQ(Control<QLabel>("armedFaults")->text(), "No faults armed.") << "the one failure was used";
}

} // namespace
