// The application-specific value window and the call features window.
#include "DialogTestSupport.h"

#include <ui/dialogs/AppspecificDlg.h>
#include <ui/dialogs/KCallFeatures.h>

#include <window/testing/MessageBoxScript.h>
#include <window/testing/UserInput.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTextBlock>

using win::testing::Click;
using win::testing::PressKey;
using win::testing::TypeText;

namespace {

struct HexCase {
    const char *text;
    bool accepted;
    DWORD value; // the value after OK, starting from 0x1234
};

class AppspecificTexts : public DialogTest, public ::testing::WithParamInterface<HexCase> {};

TEST_P(AppspecificTexts, AreTakenAsHexadecimalOrRefusedWithAMessage)
{
    const HexCase &c = GetParam();
    win::testing::MessageBoxScript boxes;
    CAppspecificDlg dialog;
    dialog.SetValue(0x1234);
    bool stayedOpen = false;
    const int result = RunModal<CAppspecificDlg>(dialog, [&](CAppspecificDlg &shown) {
        EXPECT_EQ(shown.GetDlgItemText(CAppspecificDlg::IDC_VALUE), QStringLiteral("00001234"));
        TypeText(shown, CAppspecificDlg::IDC_VALUE, QString::fromUtf8(c.text));
        Click(shown, win::IDOK);
        stayedOpen = !boxes.Shown().empty();
        if (stayedOpen) {
            EXPECT_EQ(shown.GetDlgItemText(CAppspecificDlg::IDC_VALUE), QString::fromUtf8(c.text)) << "kept as typed";
            Click(shown, win::IDCANCEL);
        }
    });
    EXPECT_EQ(stayedOpen, !c.accepted);
    EXPECT_EQ(result, c.accepted ? win::IDOK : win::IDCANCEL);
    if (c.accepted) {
        EXPECT_TRUE(boxes.Shown().empty());
        EXPECT_EQ(dialog.GetValue(), c.value);
    } else {
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, QStringLiteral("Please enter a valid hexadecimal Number"));
        EXPECT_EQ(boxes.Shown()[0].caption, QCoreApplication::applicationName());
    }
}

INSTANTIATE_TEST_SUITE_P(Values, AppspecificTexts,
                         ::testing::Values(HexCase{"2a", true, 0x2A}, HexCase{"0000002A", true, 0x2A},
                                           HexCase{"FfFfFfFf", true, 0xFFFFFFFF}, HexCase{"", true, 0x1234},
                                           HexCase{"123456789", false, 0}, HexCase{"12G4", false, 0},
                                           HexCase{" 2a", false, 0}, HexCase{"-1", false, 0}));

using CallWindowsTest = DialogTest;

TEST_F(CallWindowsTest, AppspecificValueShowsAsEightUpperCaseDigits)
{
    CAppspecificDlg dialog;
    EXPECT_EQ(dialog.GetValue(), 0u);
    dialog.SetValue(0xBEEF);
    RunModal<CAppspecificDlg>(dialog, [](CAppspecificDlg &shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Appspecific"));
        EXPECT_EQ(shown.GetDlgItemText(CAppspecificDlg::IDC_VALUE), QStringLiteral("0000BEEF"));
        TypeText(shown, CAppspecificDlg::IDC_VALUE, QStringLiteral("1"));
        Click(shown, win::IDCANCEL);
    });
    EXPECT_EQ(dialog.GetValue(), 0xBEEFu) << "Cancel leaves the value";
}

TEST_F(CallWindowsTest, CallFeaturesWindowShowsTheTextAndHidesWhenClosed)
{
    KCallFeatures window;
    ASSERT_TRUE(window.Create());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CallFeatures"));
    auto *edit = window.Item<QPlainTextEdit>(KCallFeatures::IDC_FEATURES);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());

    window.SetFeaturesText(QStringLiteral("LINECALLFEATURE_DROP\r\nLINECALLFEATURE_HOLD\r\n"));
    EXPECT_EQ(edit->document()->blockCount(), 3);
    EXPECT_EQ(edit->document()->findBlockByNumber(1).text(), QStringLiteral("LINECALLFEATURE_HOLD"));

    PressKey(window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.IsCreated()) << "hiding keeps the window for the next show";
    window.show();
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.IsCreated());
    window.DestroyWindow();
}

} // namespace
