// The number entry dialog in its three modes: captions, the enabling of OK
// and "Translate", and translation through the line's dialing rules.
#include "DialogTestSupport.h"

#include <ui/main/DialDlg.h>

#include <window/testing/UserInput.h>

#include "CTapiLine.h"

using win::testing::Click;
using win::testing::TypeText;

namespace {

struct ModeTexts {
    DWORD mode;
    const char *title;
    const char *ok;
    const char *instructions;
};

class DialDlgModes : public DialogTest, public ::testing::WithParamInterface<ModeTexts> {};

TEST_P(DialDlgModes, ShowTheTitleCaptionAndInstructionsOfTheMode)
{
    const ModeTexts &texts = GetParam();
    CDialDlg dialog(nullptr, nullptr, texts.mode);
    const int result = RunModal<CDialDlg>(dialog, [&](CDialDlg &shown) {
        EXPECT_EQ(shown.windowTitle(), QString::fromUtf8(texts.title));
        EXPECT_EQ(shown.GetDlgItemText(win::IDOK), QString::fromUtf8(texts.ok));
        EXPECT_EQ(shown.GetDlgItemText(CDialDlg::IDC_INSTRUCTIONS), QString::fromUtf8(texts.instructions));
        EXPECT_EQ(shown.GetDlgItemText(CDialDlg::IDC_TRANSLATE), QStringLiteral("Translate"));
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK));
        EXPECT_TRUE(shown.IsDlgItemEnabled(CDialDlg::IDC_TRANSLATE));
        // The user can type 100 characters and no more.
        TypeText(shown, CDialDlg::IDC_NUMBER, QString(120, u'5'));
        EXPECT_EQ(shown.GetDlgItemText(CDialDlg::IDC_NUMBER).size(), 100);
        Click(shown, win::IDCANCEL);
    });
    EXPECT_EQ(result, win::IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(
    AllModes, DialDlgModes,
    ::testing::Values(
        ModeTexts{LINECALLFEATURE_DIAL, "Dial a Number", "Dial",
                  "Enter the dialable number you wish to target. Press the \"Translate\" button to invoke the current "
                  "dialing plan on the number."},
        ModeTexts{LINECALLFEATURE_PARK, "Park a call", "Park",
                  "Enter the extension to park the number to. If this is a non-directed park, leave it blank."},
        ModeTexts{LINECALLFEATURE_REDIRECT, "Redirect to Number", "Redirect",
                  "Enter the extension to redirect the call to."}));

using DialDlgTest = DialogTest;

TEST_F(DialDlgTest, DialModeEnablesOkAndTranslateOnlyWithANumber)
{
    CDialDlg dialog(nullptr, nullptr, LINECALLFEATURE_DIAL);
    const int result = RunModal<CDialDlg>(dialog, [](CDialDlg &shown) {
        TypeText(shown, CDialDlg::IDC_NUMBER, QStringLiteral("7"));
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK));
        EXPECT_TRUE(shown.IsDlgItemEnabled(CDialDlg::IDC_TRANSLATE));
        TypeText(shown, CDialDlg::IDC_NUMBER, QString());
        EXPECT_FALSE(shown.IsDlgItemEnabled(win::IDOK));
        EXPECT_FALSE(shown.IsDlgItemEnabled(CDialDlg::IDC_TRANSLATE));
        TypeText(shown, CDialDlg::IDC_NUMBER, QStringLiteral("202"));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(result, win::IDOK);
    EXPECT_EQ(dialog.GetNumber(), QStringLiteral("202"));
}

TEST_F(DialDlgTest, ParkModeAcceptsAnEmptyNumberForANonDirectedPark)
{
    CDialDlg dialog(nullptr, nullptr, LINECALLFEATURE_PARK);
    const int result = RunModal<CDialDlg>(dialog, [](CDialDlg &shown) {
        TypeText(shown, CDialDlg::IDC_NUMBER, QStringLiteral("8"));
        TypeText(shown, CDialDlg::IDC_NUMBER, QString());
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK));
        EXPECT_FALSE(shown.IsDlgItemEnabled(CDialDlg::IDC_TRANSLATE));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(result, win::IDOK);
    EXPECT_TRUE(dialog.GetNumber().isEmpty());
}

TEST_F(DialDlgTest, TranslateShowsTheDialableFormWhichOkReturns)
{
    ASSERT_EQ(InitSession(), 0u);
    CTapiLine *line = session->GetLine(0);
    ASSERT_NE(line, nullptr);
    CDialDlg dialog(nullptr, line, LINECALLFEATURE_DIAL);
    RunModal<CDialDlg>(dialog, [](CDialDlg &shown) {
        TypeText(shown, CDialDlg::IDC_NUMBER, QStringLiteral("+1 (212) 5550100"));
        Click(shown, CDialDlg::IDC_TRANSLATE);
        EXPECT_EQ(shown.GetDlgItemText(CDialDlg::IDC_NUMBER), QStringLiteral("0012125550100"));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(dialog.GetNumber(), QStringLiteral("0012125550100"));

    auto call = Recorder().last("lineTranslateAddressW");
    ASSERT_TRUE(call);
    EXPECT_EQ(call->number("dwDeviceID"), 0u);
    EXPECT_EQ(call->text("lpszAddressIn"), "+1 (212) 5550100");
    EXPECT_EQ(call->number("dwCard"), 0u);
    EXPECT_EQ(call->number("dwTranslateOptions"), 0u);
    EXPECT_EQ(call->number("dwTotalSize"), CDialDlg::kTranslateOutputSize);
}

TEST_F(DialDlgTest, FailedOrOversizedTranslationLeavesTheNumberAsTyped)
{
    ASSERT_EQ(InitSession(), 0u);
    CTapiLine *line = session->GetLine(0);
    ASSERT_NE(line, nullptr);

    CDialDlg dialog(nullptr, line, LINECALLFEATURE_DIAL);
    RunModal<CDialDlg>(dialog, [this](CDialDlg &shown) {
        // A canonical number without its closing parenthesis is refused by TAPI.
        TypeText(shown, CDialDlg::IDC_NUMBER, QStringLiteral("+49 (30 1234"));
        Click(shown, CDialDlg::IDC_TRANSLATE);
        EXPECT_EQ(shown.GetDlgItemText(CDialDlg::IDC_NUMBER), QStringLiteral("+49 (30 1234"));

        Faults().failNext("lineTranslateAddressW", LINEERR_NOMEM);
        TypeText(shown, CDialDlg::IDC_NUMBER, QStringLiteral("+49 (30) 1234"));
        Click(shown, CDialDlg::IDC_TRANSLATE);
        EXPECT_EQ(shown.GetDlgItemText(CDialDlg::IDC_NUMBER), QStringLiteral("+49 (30) 1234"));
        Click(shown, win::IDCANCEL);
    });

    // A dialable string longer than the 1024-byte output is not cut or emptied.
    const QString longNumber(600, u'7');
    CDialDlg oversized(nullptr, line, LINECALLFEATURE_DIAL);
    oversized.SetNumber(longNumber);
    RunModal<CDialDlg>(oversized, [&](CDialDlg &shown) {
        Click(shown, CDialDlg::IDC_TRANSLATE);
        EXPECT_EQ(shown.GetDlgItemText(CDialDlg::IDC_NUMBER), longNumber);
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(oversized.GetNumber(), longNumber);
    EXPECT_EQ(Recorder().count("lineTranslateAddressW"), 3u);
}

} // namespace
