// Start-up of the main window: the device list, the preferred line of the
// command line, the title, and what the window shows before a line is open.
#include "MainWindowFixture.h"

#include <app/CMainApp.h>
#include <resources/resource.h>
#include <window/MessageQueue.h>
#include <window/Messages.h>
#include <window/testing/ModalScript.h>

#include "CTapiAddress.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

#include <chrono>
#include <thread>

namespace {

using StartupTest = MainWindowTest;

TEST_F(StartupTest, ListsTheLinesAndSelectsTheFirstWithoutAPreferredLine)
{
    CPhoneDlg &window = Start();
    const win::ListControl devices = window.Items(IDC_DEVICE);
    // The list is sorted by name, so the agent line comes first.
    ASSERT_EQ(devices.GetCount(), 7);
    EXPECT_EQ(devices.GetText(0), "Agent 204");
    EXPECT_EQ(devices.GetText(1), "Extension 201");
    EXPECT_EQ(devices.GetText(2), "Extension 202");
    EXPECT_EQ(devices.GetText(6), "Trunk 1");
    EXPECT_EQ(devices.GetCurSel(), 0);
    EXPECT_EQ(window.GetSelectedLine(), Line(3));
    EXPECT_EQ(window.windowTitle(), "Teldrix TAPI Dialwerk Extended - unicode - X64");
    EXPECT_EQ(Text(IDC_SESSION), "Start Session");
    EXPECT_TRUE(Enabled(IDC_SESSION));
    EXPECT_FALSE(Line(0)->IsOpen());
    EXPECT_EQ(Text(IDC_LINE_POSITION), "0 Open");
    EXPECT_EQ(Text(IDC_CALL_POSITION), "0 of 0");
    EXPECT_EQ(Text(IDC_CALLTIME), "00:00:00");
    EXPECT_FALSE(Enabled(IDC_NUMBER));
    EXPECT_FALSE(Enabled(IDC_MAKECALL));
}

TEST_F(StartupTest, APreferredLineNamedExactlyIsSelectedAndOpened)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 202"));
    EXPECT_EQ(window.GetSelectedLine(), Line(1));
    EXPECT_TRUE(Line(1)->IsOpen());
    EXPECT_FALSE(Line(0)->IsOpen());
    EXPECT_EQ(Text(IDC_SESSION), "End Session");
    EXPECT_EQ(Text(IDC_LINE_POSITION), "1 of 1");
    EXPECT_TRUE(Enabled(IDC_NUMBER));
}

TEST_F(StartupTest, APreferredLineInAnotherCaseOpensNothing)
{
    CPhoneDlg &window = Start(QStringLiteral("extension 202"));
    EXPECT_EQ(window.GetSelectedLine(), Line(3)); // the first by name
    EXPECT_FALSE(Line(0)->IsOpen());
    EXPECT_FALSE(Line(1)->IsOpen());
    EXPECT_EQ(Text(IDC_SESSION), "Start Session");
}

TEST_F(StartupTest, AddressesAreListedByTheirNumberAndId)
{
    CPhoneDlg &window = Start();
    const win::ListControl addresses = window.Items(IDC_ADDRESS);
    ASSERT_EQ(addresses.GetCount(), 1);
    EXPECT_EQ(addresses.GetText(0), "204 - ID 0");
    EXPECT_EQ(Text(IDC_MAXCALLS), "4");
}

class AddressNamesTest : public MainWindowTest {
protected:
    exchange::Topology Topology() const override
    {
        // Extensions 201 and 202 only, so that 201 is the line shown first.
        exchange::Topology topology = exchange::Topology::standard();
        topology.lines.resize(2);
        topology.phones.resize(2);
        auto &addresses = topology.lines[0].addresses;
        addresses.push_back(addresses[0]);
        addresses.push_back(addresses[0]);
        addresses[1].number.clear();
        addresses[2].number = u"2012";
        return topology;
    }
};

TEST_F(AddressNamesTest, AnAddressWithoutNumberOrCapabilities)
{
    ASSERT_TRUE(StartSession());
    ASSERT_NE(Line(0)->GetAddress(0)->GetAddressCaps(), nullptr);
    ASSERT_NE(Line(0)->GetAddress(1)->GetAddressCaps(), nullptr);
    // The capabilities of address 2 cannot be read from now on.
    Faults().failNext("lineGetAddressCapsW", LINEERR_OPERATIONFAILED, 1000);
    CPhoneDlg &window = ShowWindow();
    const win::ListControl addresses = window.Items(IDC_ADDRESS);
    ASSERT_EQ(addresses.GetCount(), 3);
    EXPECT_EQ(addresses.GetText(0), "201 - ID 0");
    EXPECT_EQ(addresses.GetText(1), "Address 1");
    EXPECT_EQ(addresses.GetText(2), "Address unknown - ID 2");
    Faults().clear();
}

TEST_F(StartupTest, TheApplicationRunsTheMainWindowAndEndsWithoutHanging)
{
    bool ran = false;
    win::testing::OnNextModal([&](win::Dialog &shown) {
        auto &window = dynamic_cast<CPhoneDlg &>(shown);
        ran = window.GetSelectedLine() == Line(1) && Line(1)->IsOpen();
        // An event is on its way: the line event thread stands in its send to
        // the window when the window closes.
        IncomingCall(1, u"5550100", u"Clara Diaz");
        Exchange().waitIdle();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (win::MessageQueue::Instance().QueuedSent() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        win::PostMessage(window.GetSafeHwnd(), win::WM_CLOSE);
    });
    const int exitCode = GetMainApp().InitInstance(QStringLiteral("Extension 202"), [](const QString &preferred) {
        return std::make_unique<CPhoneDlg>(preferred);
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(ran);
    const auto start = std::chrono::steady_clock::now();
    GetTapiConnection()->Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

} // namespace
