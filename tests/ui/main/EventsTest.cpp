// The main window's own events: reports clearing after ten seconds, closing
// with pending requests, drawing attention to a button, agent-status events,
// address capabilities changing, and the about entry.
#include "MainWindowFixture.h"

#include <app/AppMessages.h>
#include <app/ResultReporting.h>
#include <resources/resource.h>
#include <window/Messages.h>
#include <window/testing/MessageBoxScript.h>
#include <window/testing/UserInput.h>

#include "CTapiAddress.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

#include <window/MessageQueue.h>

#include <QAction>
#include <QEvent>
#include <QMenu>

namespace {

using EventsTest = MainWindowTest;

// Counts the font changes of one control: a flash is ten of them.
class FontChanges : public QObject {
public:
    explicit FontChanges(QWidget *control) { control->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FontChange)
            ++count;
        return false;
    }
};

TEST_F(EventsTest, AReportIsClearedOnTheFirstTickMoreThanTenSecondsLater)
{
    Start();
    AdvanceTicks(500);
    ShowStatus("The line is disconnected.");
    AdvanceTicks(9000);
    ShowStatus("The line is out-of-service.");
    // Ten seconds after the first report the second one is still young.
    AdvanceTicks(1500);
    EXPECT_EQ(Text(IDC_STATUS), "The line is out-of-service.");
    AdvanceTicks(8500);
    EXPECT_EQ(Text(IDC_STATUS), "The line is out-of-service.") << "exactly 10 s old";
    AdvanceTicks(1000);
    EXPECT_EQ(Text(IDC_STATUS), "");
}

TEST_F(EventsTest, ClosingWithPendingRequestsAsksAndNoCancelsThem)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    Faults().dropReply("lineSetLineDevStatus", 2);
    Line(0)->SetLineDevStatus(LINEDEVSTATUSFLAGS_MSGWAIT, true);
    Line(0)->SetLineDevStatus(LINEDEVSTATUSFLAGS_LOCKED, true);
    ASSERT_EQ(GetTapiConnection()->GetPendingRequestCount(), 2u);
    win::testing::MessageBoxScript boxes;
    boxes.Answer(win::IDNO);
    win::SendMessage(window.GetSafeHwnd(), win::WM_CLOSE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown().front().text, "There are 2 pending TAPI requests which have not completed.\r\n"
                                          "Do you want to wait for these to complete?");
    EXPECT_EQ(boxes.Shown().front().type & win::MB_BUTTONMASK, win::MB_YESNO);
    EXPECT_EQ(GetTapiConnection()->GetPendingRequestCount(), 0u);
    EXPECT_FALSE(window.IsCreated());
}

TEST_F(EventsTest, ClosingAndChoosingToWaitLeavesTheRequests)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    Faults().dropReply("lineSetLineDevStatus");
    Line(0)->SetLineDevStatus(LINEDEVSTATUSFLAGS_MSGWAIT, true);
    win::testing::MessageBoxScript boxes;
    boxes.Answer(win::IDYES);
    win::SendMessage(window.GetSafeHwnd(), win::WM_CLOSE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_TRUE(boxes.Shown().front().text.startsWith("There are 1 pending TAPI requests"));
    EXPECT_EQ(GetTapiConnection()->GetPendingRequestCount(), 1u);
    EXPECT_FALSE(window.IsCreated());
}

TEST_F(EventsTest, ClosingWithoutPendingRequestsAsksNothing)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    win::testing::MessageBoxScript boxes;
    win::SendMessage(window.GetSafeHwnd(), win::WM_CLOSE);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_FALSE(window.IsCreated());
}

TEST_F(EventsTest, EscClosesAtOnceEvenWithPendingRequests)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    Faults().dropReply("lineSetLineDevStatus");
    Line(0)->SetLineDevStatus(LINEDEVSTATUSFLAGS_MSGWAIT, true);
    win::testing::MessageBoxScript boxes;
    win::testing::PressKey(window, Qt::Key_Escape);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_FALSE(window.IsCreated());
    EXPECT_EQ(GetTapiConnection()->GetPendingRequestCount(), 1u);
}

TEST_F(EventsTest, AFlashIsNotRepeatedForTheSameButtonWithinASecond)
{
    CPhoneDlg &window = Start();
    FontChanges callData(window.GetDlgItem(IDC_CALLDATA));
    FontChanges userInfo(window.GetDlgItem(IDC_USERINFO));
    const auto flash = [&](int id) {
        win::PostMessage(window.GetSafeHwnd(), WM_FLASH_CONTROL, static_cast<win::WPARAM>(id));
        WaitFor([] { return win::MessageQueue::Instance().QueuedPosted() == 0; });
    };
    flash(IDC_CALLDATA);
    EXPECT_EQ(callData.count, 10);
    EXPECT_EQ(window.GetDlgItem(IDC_CALLDATA)->font(), window.GetDlgItem(IDC_HOLD)->font())
        << "the button ends with the stock font";
    flash(IDC_CALLDATA);
    EXPECT_EQ(callData.count, 10);
    flash(IDC_USERINFO);
    EXPECT_EQ(userInfo.count, 10);
    // Over a second after the last flash of the button, it flashes again.
    flash(IDC_USERINFO);
    EXPECT_EQ(userInfo.count, 10);
    AdvanceTicks(1001);
    flash(IDC_USERINFO);
    EXPECT_EQ(userInfo.count, 20);
    // No such control: nothing flashes, and nothing breaks.
    flash(4711);
    EXPECT_EQ(callData.count + userInfo.count, 30);
}

TEST_F(EventsTest, AgentStatusGoesOnToTheAddressesAgentWindow)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    CTapiAddress *address = Line(0)->GetAddress(0);
    auto *agentWindow = new win::Dialog(&window);
    std::vector<std::pair<win::WPARAM, win::LPARAM>> received;
    agentWindow->OnMessage(WM_TAPI_AGENTCHANGED, [&](win::WPARAM wParam, win::LPARAM lParam) {
        received.emplace_back(wParam, lParam);
        return 0;
    });
    ASSERT_TRUE(agentWindow->Create());
    window.GetAgentWindows()[address] = agentWindow;
    win::SendMessage(window.GetSafeHwnd(), WM_TAPI_AGENTCHANGED, ObjectParam(address), LINEAGENTSTATUS_STATE);
    ASSERT_TRUE(WaitFor([&] { return !received.empty(); }));
    EXPECT_EQ(received.front().first, ObjectParam(address));
    EXPECT_EQ(received.front().second, LINEAGENTSTATUS_STATE);
    // The main window deletes the agent windows left when it goes.
    const QPointer<win::Dialog> watch(agentWindow);
    CloseWindow();
    EXPECT_TRUE(watch.isNull());
}

TEST_F(EventsTest, ChangedAddressCapabilitiesRefillTheAddressList)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    ASSERT_TRUE(Exchange().changeLine(0, [](exchange::LineConfig &line) { line.addresses[0].number = u"2010"; }));
    Exchange().raiseAddressState(0, 0, LINEADDRESSSTATE_CAPSCHANGE);
    ASSERT_TRUE(WaitFor([&] { return window.Items(IDC_ADDRESS).GetText(0) == "2010 - ID 0"; }));
    EXPECT_EQ(Text(IDC_SESSION), "End Session");
}

} // namespace
