// The application-specific value and the call features window, opened from
// the main window for its current call.
#include "CommandsTestSupport.h"

#include <app/TapiText.h>
#include <ui/dialogs/AppspecificDlg.h>
#include <ui/dialogs/KCallFeatures.h>

#include <window/testing/UserInput.h>

#include "CTapiCall.h"

using win::testing::TypeText;

namespace {

using CommandWindowsTest = CommandsTest;

TEST_F(CommandWindowsTest, AppspecificShowsTheCallsValueAndSetsTheNewOne)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    const HCALL handle = CurrentHandle();
    OnNextDialog<CAppspecificDlg>([](CAppspecificDlg &dialog) {
        EXPECT_EQ(dialog.GetDlgItemText(CAppspecificDlg::IDC_VALUE), "00000000");
        TypeText(dialog, CAppspecificDlg::IDC_VALUE, QStringLiteral("2a"));
        win::testing::Click(dialog, win::IDOK);
    });
    Recorder().clear();
    ASSERT_TRUE(Click(IDC_APPSPECIFIC));
    const exchange::RecordedCall set = Last("lineSetAppSpecific");
    EXPECT_EQ(set.number("hCall"), handle);
    EXPECT_EQ(set.number("dwAppSpecific"), 0x2Au);
    EXPECT_EQ(Last("lineSetCallPrivilege").number("hCall"), handle);
    EXPECT_EQ(Status(), "");
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_APPSPECIFIC_VALUE) == "0x2A"; }));

    // The next time the dialog starts from the new value; Cancel sets nothing.
    OnNextDialog<CAppspecificDlg>([](CAppspecificDlg &dialog) {
        EXPECT_EQ(dialog.GetDlgItemText(CAppspecificDlg::IDC_VALUE), "0000002A");
        win::testing::Click(dialog, win::IDCANCEL);
    });
    ASSERT_TRUE(Click(IDC_APPSPECIFIC));
    EXPECT_EQ(Count("lineSetAppSpecific"), 1u);
}

TEST_F(CommandWindowsTest, AppspecificFailureIsReported)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    OnNextDialog<CAppspecificDlg>([](CAppspecificDlg &dialog) {
        TypeText(dialog, CAppspecificDlg::IDC_VALUE, QStringLiteral("FFFFFFFF"));
        win::testing::Click(dialog, win::IDOK);
    });
    Faults().failNext("lineSetAppSpecific", LINEERR_OPERATIONFAILED);
    ASSERT_TRUE(Click(IDC_APPSPECIFIC));
    EXPECT_EQ(Last("lineSetAppSpecific").number("dwAppSpecific"), 0xFFFFFFFFu);
    EXPECT_EQ(Status(), "lineSetAppSpecific (0x80000048) Operation Failed");
}

TEST_F(CommandWindowsTest, FeaturesWindowIsMadeOnceThenHiddenAndShownAndFollowsTheCall)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    ASSERT_TRUE(Click(IDC_FEATURES));
    auto *window = dynamic_cast<KCallFeatures *>(Window().GetFeaturesWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "CallFeatures");
    // The edit shows the lines of the text; it keeps them with a line feed only.
    const auto text = [&] { return window->GetDlgItemText(KCallFeatures::IDC_FEATURES); };
    EXPECT_EQ(text(), ToQString(CurrentCall()->GetCallFeaturesText()).replace("\r\n", "\n"));
    EXPECT_TRUE(text().contains("LCF_HOLD\n"));

    ASSERT_TRUE(Click(IDC_FEATURES));
    EXPECT_FALSE(window->isVisible());
    ASSERT_TRUE(Click(IDC_FEATURES));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Window().GetFeaturesWindow(), window) << "made once";

    // Holding the call changes its features, and the window follows.
    ASSERT_TRUE(Click(IDC_HOLD));
    ASSERT_TRUE(WaitForCallState(QStringLiteral("On Hold")));
    EXPECT_TRUE(WaitFor([&] { return text().contains("LCF_UNHOLD\n"); }));
    EXPECT_FALSE(text().contains("LCF_HOLD\n"));
}

} // namespace
