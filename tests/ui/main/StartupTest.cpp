// Start-up of the main window: the device list, the preferred line of the
// command line, the title, and what the window shows before a line is open.
#include "MainWindowFixture.h"

#include <resources/resource.h>

#include "CTapiLine.h"

namespace {

using StartupTest = MainWindowTest;

TEST_F(StartupTest, ListsTheLinesAndSelectsTheFirstWithoutAPreferredLine)
{
    CPhoneDlg &window = Start();
    const win::ListControl devices = window.Items(IDC_DEVICE);
    ASSERT_EQ(devices.GetCount(), 2);
    EXPECT_EQ(devices.GetText(0), "Extension 201");
    EXPECT_EQ(devices.GetText(1), "Extension 202");
    EXPECT_EQ(devices.GetCurSel(), 0);
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
    EXPECT_EQ(window.GetSelectedLine(), Line(0));
    EXPECT_FALSE(Line(0)->IsOpen());
    EXPECT_FALSE(Line(1)->IsOpen());
    EXPECT_EQ(Text(IDC_SESSION), "Start Session");
}

TEST_F(StartupTest, AddressesAreListedByTheirNumberAndId)
{
    CPhoneDlg &window = Start();
    const win::ListControl addresses = window.Items(IDC_ADDRESS);
    ASSERT_EQ(addresses.GetCount(), 1);
    EXPECT_EQ(addresses.GetText(0), "201 - ID 0");
    EXPECT_EQ(Text(IDC_MAXCALLS), "4");
}

} // namespace
