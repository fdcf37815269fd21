// One-step data exchange: show the fields, read the fields, validation of
// numbers, and the quiet of controls while the exchange runs.
#include "WindowTestSupport.h"

#include <window/testing/MessageBoxScript.h>
#include <window/testing/ModalScript.h>
#include <window/testing/UserInput.h>

#include <QLineEdit>

namespace win::test {
namespace {

constexpr int kTransferTo = 2007, kTimeout = 2035, kClir = 2055, kAutoOffHook = 2056, kRing = 2033, kOnhook = 1019,
              kMic = 1000, kStatus = 2015;

// The fields of a parameter dialog, one of each binding kind.
class FieldsDialog : public Dialog {
public:
    FieldsDialog()
    {
        static const ControlTemplate controls[] = {
            {kTransferTo, ControlKind::Edit},        {kTimeout, ControlKind::Edit},
            {kClir, ControlKind::CheckBox, "CLIR"},  {kAutoOffHook, ControlKind::CheckBox, "Off-hook"},
            {kRing, ControlKind::DropDownList},      {kOnhook, ControlKind::RadioButton, "Onhook"},
            {kMic, ControlKind::RadioButton, "Mic"}, {kStatus, ControlKind::Static},
        };
        AddControls(controls);
        DefineRadioGroup({kOnhook, kMic});
        for (int mode = 1; mode <= 3; ++mode)
            Items(kRing).AddString(QStringLiteral("Ring Mode #%1").arg(mode));
        BindText(kTransferTo, transferTo);
        BindInt(kTimeout, timeout, 0, 9999);
        BindCheck(kClir, clir);
        BindCheck(kAutoOffHook, autoOffHook);
        BindIndex(kRing, ringMode);
        BindRadio(kMic, hookSwitch);
        BindText(kStatus, status);
        OnNotify(kTransferTo, Notify::TextChange, [this] {
            ++changes;
            UpdateData(true);
        });
        Create();
    }
    ~FieldsDialog() override { DestroyWindow(); }

    QString transferTo;
    int timeout = 0;
    int clir = 0;
    bool autoOffHook = false;
    int ringMode = -1;
    int hookSwitch = -1;
    QString status;
    int changes = 0;
};

using DataExchangeTest = WindowTest;

TEST_F(DataExchangeTest, ShowingTheFieldsCopiesEveryMemberIntoItsControl)
{
    FieldsDialog dialog;
    dialog.transferTo = QStringLiteral("301");
    dialog.timeout = 15;
    dialog.clir = 1;
    dialog.autoOffHook = true;
    dialog.ringMode = 2;
    dialog.hookSwitch = 0;
    dialog.status = QStringLiteral("Ready");

    EXPECT_TRUE(dialog.UpdateData(false));

    EXPECT_EQ(dialog.GetDlgItemText(kTransferTo), "301");
    EXPECT_EQ(dialog.GetDlgItemText(kTimeout), "15");
    EXPECT_EQ(dialog.IsDlgButtonChecked(kClir), 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kAutoOffHook), 1);
    EXPECT_EQ(dialog.Items(kRing).GetCurSel(), 2);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kOnhook), 1);
    EXPECT_EQ(dialog.GetDlgItemText(kStatus), "Ready");
}

TEST_F(DataExchangeTest, ReadingTheFieldsCopiesEveryControlIntoItsMember)
{
    FieldsDialog dialog;
    win::testing::TypeText(dialog, kTransferTo, QStringLiteral("302"));
    win::testing::TypeText(dialog, kTimeout, QStringLiteral(" 9999 "));
    win::testing::Click(dialog, kClir);
    win::testing::ChooseItem(dialog, kRing, 1);
    win::testing::Click(dialog, kMic);

    EXPECT_TRUE(dialog.UpdateData(true));

    EXPECT_EQ(dialog.transferTo, "302");
    EXPECT_EQ(dialog.timeout, 9999);
    EXPECT_EQ(dialog.clir, 1);
    EXPECT_FALSE(dialog.autoOffHook);
    EXPECT_EQ(dialog.ringMode, 1);
    EXPECT_EQ(dialog.hookSwitch, 1);
}

TEST_F(DataExchangeTest, NumberOutsideItsRangeIsRefusedWithTheStandardMessage)
{
    win::testing::MessageBoxScript boxes;
    FieldsDialog dialog;
    dialog.timeout = 12;
    dialog.UpdateData(false);
    win::testing::TypeText(dialog, kTransferTo, QStringLiteral("305"));
    dialog.transferTo = QStringLiteral("old");
    dialog.clir = 7;
    win::testing::TypeText(dialog, kTimeout, QStringLiteral("10000"));

    EXPECT_FALSE(dialog.UpdateData(true));

    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Please enter an integer between 0 and 9999.");
    EXPECT_EQ(dialog.timeout, 12) << "a refused field keeps its member";
    EXPECT_EQ(dialog.clir, 7) << "fields after the refused one are not read";
    EXPECT_EQ(dialog.transferTo, "305") << "fields before it are";
    EXPECT_EQ(dialog.focusWidget(), dialog.GetDlgItem(kTimeout));
    EXPECT_EQ(dialog.Item<QLineEdit>(kTimeout)->selectedText(), "10000");
}

TEST_F(DataExchangeTest, TextThatIsNoNumberIsRefused)
{
    win::testing::MessageBoxScript boxes;
    FieldsDialog dialog;
    for (const char *text : {"", "12a", "0x10", "99999999999"}) {
        win::testing::TypeText(dialog, kTimeout, QString::fromUtf8(text));
        EXPECT_FALSE(dialog.UpdateData(true)) << text;
    }
    ASSERT_EQ(boxes.Shown().size(), 4u);
    EXPECT_EQ(boxes.Shown()[0].text, "Please enter an integer.");
    EXPECT_EQ(boxes.Shown()[0].type & MB_ICONMASK, MB_ICONWARNING);
}

TEST_F(DataExchangeTest, OkStaysOpenWhileAFieldIsRefused)
{
    win::testing::MessageBoxScript boxes;
    FieldsDialog dialog;
    dialog.DestroyWindow();
    dialog.AddControl({IDOK, ControlKind::DefaultButton, "OK"});
    win::testing::OnNextModal([](Dialog &shown) {
        win::testing::TypeText(shown, kTimeout, QStringLiteral("-1"));
        win::testing::Click(shown, IDOK);
        EXPECT_TRUE(shown.IsCreated());
        win::testing::TypeText(shown, kTimeout, QStringLiteral("30"));
        win::testing::Click(shown, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.timeout, 30);
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(DataExchangeTest, ControlsDoNotNotifyWhileTheFieldsAreShown)
{
    FieldsDialog dialog;
    dialog.transferTo = QStringLiteral("303");
    dialog.timeout = 20;
    dialog.UpdateData(false);

    // The change handler reads the fields; had it run, the timeout member
    // would have been overwritten from a control not yet shown.
    EXPECT_EQ(dialog.changes, 0);
    EXPECT_EQ(dialog.timeout, 20);
    win::testing::TypeText(dialog, kTransferTo, QStringLiteral("4"));
    EXPECT_EQ(dialog.changes, 2);
    EXPECT_EQ(dialog.transferTo, "4");
}

TEST_F(DataExchangeTest, CustomBindingReadsAndShowsWhatTheDialogDefines)
{
    FieldsDialog dialog;
    std::uint32_t mask = 0x140;
    int shown = 0;
    dialog.BindCustom(
        [&] {
            mask = dialog.IsDlgButtonChecked(kClir) ? 0x100 : 0;
            return mask != 0;
        },
        [&] { ++shown; });
    dialog.UpdateData(false);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(mask, 0u);
}

} // namespace
} // namespace win::test
