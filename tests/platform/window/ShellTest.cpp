// Message boxes, opening addresses, the Ctrl key, fonts and cursors.
#include "WindowTestSupport.h"

#include <window/Fonts.h>
#include <window/Shell.h>
#include <window/testing/MessageBoxScript.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>

namespace win::test {
namespace {

using ShellTest = WindowTest;

TEST_F(ShellTest, QuestionIsAnsweredByTheScriptAndRecordedAsAsked)
{
    win::testing::MessageBoxScript boxes;
    boxes.Answer(IDYES);
    const QString question = QStringLiteral("There are 2 pending TAPI requests which have not completed.\r\n"
                                            "Do you want to wait for these to complete?");

    EXPECT_EQ(MessageBox(nullptr, question, {}, MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBox(nullptr, question, {}, MB_YESNO), IDNO) << "an unscripted question is answered No";
    EXPECT_EQ(MessageBox(nullptr, QStringLiteral("The line was removed by TAPI."), QStringLiteral("Dialwerk")), IDOK);

    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[0].text, question) << "the text reaches the hook exactly as given";
    EXPECT_EQ(boxes.Shown()[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(boxes.Shown()[0].caption, QApplication::applicationName()) << "no caption: the program's name";
    EXPECT_EQ(boxes.Shown()[2].caption, "Dialwerk");
}

TEST_F(ShellTest, ScriptGivesTheEarlierHookBackWhenItEnds)
{
    int outerBoxes = 0;
    SetMessageBoxHook([&](const MessageBoxRequest &) {
        ++outerBoxes;
        return IDOK;
    });
    {
        win::testing::MessageBoxScript boxes;
        MessageBox(nullptr, QStringLiteral("inner"));
    }
    MessageBox(nullptr, QStringLiteral("outer"));
    EXPECT_EQ(outerBoxes, 1);
}

TEST_F(ShellTest, AddressesAndTheCtrlKeyGoThroughTheirHooks)
{
    QStringList opened;
    SetOpenAddressHook([&](const QString &address) {
        opened << address;
        return address.startsWith(QStringLiteral("https:"));
    });
    EXPECT_TRUE(OpenAddress(QStringLiteral("https://dialwerk.example/")));
    EXPECT_FALSE(OpenAddress(QStringLiteral("nowhere")));
    EXPECT_EQ(opened, (QStringList{"https://dialwerk.example/", "nowhere"}));

    bool ctrl = true;
    SetCtrlKeyHook([&] { return ctrl; });
    EXPECT_TRUE(IsCtrlKeyDown());
    ctrl = false;
    EXPECT_FALSE(IsCtrlKeyDown());
}

TEST_F(ShellTest, StockFontsAndTheirVariants)
{
    const QFont variable = GetStockFont(StockFont::AnsiVariable);
    const QFont fixed = GetStockFont(StockFont::AnsiFixed);
    // Fixed pitch is judged by the glyphs: whatever fonts the machine has,
    // every printable character of the fixed font is as wide as '0'.
    const QFontMetricsF fixedMetrics(fixed);
    for (char c = 0x20; c < 0x7F; ++c)
        EXPECT_DOUBLE_EQ(fixedMetrics.horizontalAdvance(QLatin1Char(c)), fixedMetrics.horizontalAdvance('0')) << c;
    const QFontMetricsF variableMetrics(variable);
    EXPECT_NE(variableMetrics.horizontalAdvance("iiii"), variableMetrics.horizontalAdvance("WWWW"));

    const QFont bold = BoldFont(variable);
    EXPECT_EQ(bold.weight(), QFont::Bold);
    EXPECT_EQ(bold.pointSizeF(), variable.pointSizeF());
    EXPECT_TRUE(UnderlinedFont(variable).underline());
    EXPECT_FALSE(variable.underline());
    EXPECT_EQ(HandCursor().shape(), Qt::PointingHandCursor);
}

TEST_F(ShellTest, ChildFontReachesEveryControlAndCaptureFollowsTheMouse)
{
    Dialog dialog;
    auto *link = static_cast<QLabel *>(dialog.AddControl({2039, ControlKind::Static, "https://dialwerk.example/"}));
    dialog.AddControl({IDOK, ControlKind::DefaultButton, "OK"});
    const QFont fixed = GetStockFont(StockFont::AnsiFixed);
    dialog.SetChildFont(fixed);
    EXPECT_EQ(dialog.GetDlgItem(IDOK)->font(), fixed);
    EXPECT_EQ(link->font(), fixed);

    ASSERT_TRUE(dialog.Create());
    SetCapture(link);
    EXPECT_EQ(GetCapture(), link);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    {
        WaitCursor wait;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    dialog.DestroyWindow();
}

} // namespace
} // namespace win::test
