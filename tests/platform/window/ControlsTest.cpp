// Controls by identifier: creation from a table, texts and states, lists with
// item data, list views, up-downs, trackbars, radio groups, and which changes
// notify the dialog (the user's) and which do not (the program's).
#include "WindowTestSupport.h"

#include <window/UpDown.h>
#include <window/testing/UserInput.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

namespace win::test {
namespace {

using win::testing::ChooseItem;
using win::testing::Click;

constexpr int kDevice = 1009, kAddress = 1010, kSession = 1077, kNumber = 1021, kStatus = 1028, kStates = 2037,
              kForwards = 2050, kCallUpDown = 1001, kTimeout = 2035, kTimeoutUpDown = 2036, kVolume = 2017, kMwi = 1110,
              kLck = 1059, kOnhook = 1019, kMic = 1000, kSpeaker = 1001 + 100;

// A dialog with one control of every kind, that logs every notification.
class ControlsDialog : public Dialog {
public:
    ControlsDialog()
    {
        static const ControlTemplate controls[] = {
            {kDevice, ControlKind::DropDownList, "", Style::Sorted},
            {kAddress, ControlKind::DropDownList},
            {kSession, ControlKind::PushButton, "Initiate Session", Style::Disabled},
            {kNumber, ControlKind::Edit},
            {kStatus, ControlKind::StatusLine},
            {kStates, ControlKind::ListBox, "", Style::Sorted | Style::MultipleSelection},
            {kForwards, ControlKind::ListView},
            {kCallUpDown, ControlKind::UpDown},
            {kTimeout, ControlKind::Edit},
            {kTimeoutUpDown, ControlKind::UpDown, "", Style::Vertical, kTimeout},
            {kVolume, ControlKind::Trackbar},
            {kMwi, ControlKind::CheckBox, "MWI"},
            {kLck, ControlKind::CheckBox, "LCK", Style::ManualCheck},
            {kOnhook, ControlKind::RadioButton, "Onhook"},
            {kMic, ControlKind::RadioButton, "Microphone"},
            {kSpeaker, ControlKind::RadioButton, "Speaker"},
            {1999, ControlKind::Static, "hidden", Style::Hidden},
        };
        AddControls(controls);
        DefineRadioGroup({kOnhook, kMic, kSpeaker});
        for (const auto &control : controls) {
            for (Notify code : {Notify::Clicked, Notify::SelChange, Notify::TextChange, Notify::Scroll}) {
                OnNotify(control.id, code, [this, id = control.id, code](int value) {
                    log.push_back(std::to_string(id) + ":" + std::to_string(static_cast<int>(code)) + ":" +
                                  std::to_string(value));
                });
            }
        }
        Create();
    }
    ~ControlsDialog() override { DestroyWindow(); }

    std::vector<std::string> log;
};

std::string Note(int id, Notify code, int value = 0)
{
    return std::to_string(id) + ":" + std::to_string(static_cast<int>(code)) + ":" + std::to_string(value);
}

using ControlsTest = WindowTest;

TEST_F(ControlsTest, DeclaredControlsCarryTheirCaptionsAndInitialStates)
{
    ControlsDialog dialog;
    EXPECT_EQ(dialog.GetDlgItemText(kSession), "Initiate Session");
    EXPECT_FALSE(dialog.IsDlgItemEnabled(kSession));
    EXPECT_TRUE(dialog.IsDlgItemEnabled(kNumber));
    EXPECT_FALSE(dialog.GetDlgItem(1999)->isVisible());
    EXPECT_TRUE(dialog.GetDlgItem(kNumber)->isVisible());
    EXPECT_EQ(dialog.Item<QLabel>(kStatus)->frameShadow(), QFrame::Sunken);

    dialog.SetDlgItemText(kSession, QStringLiteral("End Session"));
    dialog.EnableDlgItem(kSession);
    EXPECT_EQ(dialog.Item<QPushButton>(kSession)->text(), "End Session");
    EXPECT_TRUE(Click(dialog, kSession));
    EXPECT_EQ(dialog.log, std::vector<std::string>{Note(kSession, Notify::Clicked)});
}

TEST_F(ControlsTest, UnknownIdentifiersAreAnsweredEmptyWithoutHarm)
{
    ControlsDialog dialog;
    EXPECT_EQ(dialog.GetDlgItem(4242), nullptr);
    dialog.SetDlgItemText(4242, QStringLiteral("x"));
    dialog.EnableDlgItem(4242);
    dialog.CheckDlgButton(4242, 1);
    EXPECT_EQ(dialog.GetDlgItemText(4242), "");
    EXPECT_EQ(dialog.IsDlgButtonChecked(4242), 0);
    EXPECT_FALSE(dialog.Items(4242));
    EXPECT_EQ(dialog.Items(4242).AddString(QStringLiteral("x")), -1);
    EXPECT_FALSE(dialog.Items(kNumber)) << "an edit is no list";
    EXPECT_EQ(dialog.View(kDevice).InsertColumn(0, QStringLiteral("Type"), 100), -1);
    EXPECT_FALSE(Click(dialog, 4242));
    EXPECT_FALSE(Click(dialog, 1999)) << "a hidden control cannot be clicked";
}

TEST_F(ControlsTest, EditNotifiesEveryTextChangeButNotAnUnchangedText)
{
    ControlsDialog dialog;
    EXPECT_TRUE(win::testing::TypeText(dialog, kNumber, QStringLiteral("20")));
    dialog.SetDlgItemText(kNumber, QStringLiteral("20"));
    dialog.SetDlgItemText(kNumber, QStringLiteral("201"));
    EXPECT_EQ(dialog.log, std::vector<std::string>(3, Note(kNumber, Notify::TextChange)));
    EXPECT_EQ(dialog.GetDlgItemText(kNumber), "201");

    dialog.LimitText(kNumber, 3);
    win::testing::TypeText(dialog, kNumber, QStringLiteral("12345"));
    EXPECT_EQ(dialog.GetDlgItemText(kNumber), "123");
    dialog.SetDlgItemText(kNumber, QStringLiteral("+49 30 1234567"));
    EXPECT_EQ(dialog.GetDlgItemText(kNumber), "+49 30 1234567") << "the limit is the user's, not the program's";
    dialog.LimitText(kNumber, 0);
    win::testing::TypeText(dialog, kNumber, QStringLiteral("12345"));
    EXPECT_EQ(dialog.GetDlgItemText(kNumber), "12345");
}

TEST_F(ControlsTest, EditUndoHistoryRestartsAfterItsEditsWithoutTouchingTheText)
{
    ControlsDialog dialog;
    auto *edit = qobject_cast<QLineEdit *>(dialog.GetDlgItem(kNumber));
    ASSERT_NE(edit, nullptr);
    edit->setFocus(Qt::OtherFocusReason);
    const QString typed(kEditsPerUndoHistory, QLatin1Char('5'));
    QTest::keyClicks(edit, typed);
    edit->setSelection(typed.size(), -3); // cursor at the selection's start
    QCoreApplication::processEvents();
    EXPECT_FALSE(edit->isUndoAvailable()) << "the history started again";
    EXPECT_EQ(edit->text(), typed);
    EXPECT_EQ(edit->selectionStart(), typed.size() - 3);
    EXPECT_EQ(edit->cursorPosition(), typed.size() - 3);
    EXPECT_TRUE(edit->isModified());
    EXPECT_EQ(dialog.log.size(), static_cast<std::size_t>(kEditsPerUndoHistory)) << "no notification of its own";

    QTest::keyClick(edit, Qt::Key_7);
    edit->undo();
    EXPECT_EQ(edit->text(), typed) << "edits after the restart are undone as before";
}

TEST_F(ControlsTest, SortedDropDownListKeepsItemDataAndStartsWithoutSelection)
{
    ControlsDialog dialog;
    ListControl devices = dialog.Items(kDevice);
    int lines[3] = {};
    EXPECT_EQ(devices.AddString(QStringLiteral("Extension 202")), 0);
    EXPECT_EQ(devices.AddString(QStringLiteral("Extension 201")), 0);
    EXPECT_EQ(devices.AddString(QStringLiteral("extension 2015")), 1);
    devices.SetItemDataPtr(0, &lines[1]);
    devices.SetItemDataPtr(1, &lines[2]);
    devices.SetItemDataPtr(2, &lines[0]);

    EXPECT_EQ(devices.GetCurSel(), -1) << "adding entries selects nothing";
    EXPECT_EQ(devices.GetText(1), "extension 2015");
    EXPECT_EQ(devices.GetItemDataPtr<int>(2), &lines[0]);
    EXPECT_EQ(devices.GetItemDataPtr<int>(3), nullptr);
    EXPECT_EQ(devices.FindStringExact(QStringLiteral("EXTENSION 202")), 2);

    EXPECT_EQ(devices.SetCurSel(2), 2);
    EXPECT_EQ(devices.SetCurSel(3), -1);
    EXPECT_EQ(devices.GetCurSel(), -1);
    EXPECT_TRUE(dialog.log.empty()) << "the program's changes do not notify";

    EXPECT_TRUE(ChooseItem(dialog, kDevice, 1));
    EXPECT_EQ(devices.GetCurSel(), 1);
    EXPECT_EQ(dialog.GetDlgItemText(kDevice), "extension 2015");
    EXPECT_EQ(dialog.log, std::vector<std::string>{Note(kDevice, Notify::SelChange)});

    EXPECT_EQ(devices.DeleteString(0), 2);
    EXPECT_EQ(devices.GetItemDataPtr<int>(0), &lines[2]) << "item data moves with its entry";
    devices.ResetContent();
    EXPECT_EQ(devices.GetCount(), 0);
}

TEST_F(ControlsTest, UnsortedDropDownListKeepsInsertionOrder)
{
    ControlsDialog dialog;
    ListControl addresses = dialog.Items(kAddress);
    addresses.AddString(QStringLiteral("Address 1"));
    addresses.AddString(QStringLiteral("201 - ID 0"));
    EXPECT_EQ(addresses.InsertString(0, QStringLiteral("first")), 0);
    EXPECT_EQ(addresses.InsertString(-1, QStringLiteral("last")), 3);
    EXPECT_EQ(addresses.GetText(2), "201 - ID 0");
}

TEST_F(ControlsTest, MultipleSelectionListBoxReportsEverySelectedEntry)
{
    ControlsDialog dialog;
    ListControl states = dialog.Items(kStates);
    for (const char *name : {"LINECALLSTATE_CONNECTED", "LINECALLSTATE_BUSY", "LINECALLSTATE_OFFERING"})
        states.SetItemData(states.AddString(QString::fromUtf8(name)), static_cast<std::uint64_t>(name[14]));
    EXPECT_EQ(states.GetText(0), "LINECALLSTATE_BUSY");

    states.SetSel(0, true);
    states.SetSel(2, true);
    EXPECT_TRUE(dialog.log.empty());
    EXPECT_EQ(states.GetSelItems(), (std::vector<int>{0, 2}));

    EXPECT_TRUE(win::testing::ToggleItem(dialog, kStates, 1));
    EXPECT_TRUE(win::testing::ToggleItem(dialog, kStates, 0));
    EXPECT_EQ(states.GetSelItems(), (std::vector<int>{1, 2}));
    EXPECT_EQ(states.GetSelCount(), 2);
    EXPECT_TRUE(states.GetSel(1));
    EXPECT_EQ(dialog.log.size(), 2u);
}

TEST_F(ControlsTest, ReportListViewHoldsColumnsRowsAndItemData)
{
    ControlsDialog dialog;
    ListView forwards = dialog.View(kForwards);
    EXPECT_EQ(forwards.InsertColumn(0, QStringLiteral("Type"), 225), 0);
    EXPECT_EQ(forwards.InsertColumn(1, QStringLiteral("Destination"), 225), 1);
    EXPECT_EQ(forwards.InsertColumn(0, QStringLiteral("Address"), 70), 0);
    EXPECT_EQ(forwards.GetColumnCount(), 3);

    // Rows go in at the top, so the view shows the entries in reverse.
    for (int serial = 0; serial < 2; ++serial) {
        const int row = forwards.InsertItem(0, QStringLiteral("Address %1").arg(serial));
        forwards.SetItemText(row, 1, QStringLiteral("LINEFORWARDMODE_UNCOND"));
        forwards.SetItemText(row, 2, QString::number(300 + serial));
        forwards.SetItemData(row, static_cast<std::uint64_t>(serial));
    }
    EXPECT_EQ(forwards.GetItemText(0, 2), "301");
    EXPECT_EQ(forwards.GetItemData(1), 0u);
    EXPECT_FALSE(forwards.SetItemText(0, 3, QStringLiteral("x")));
    EXPECT_EQ(forwards.GetItemText(5, 0), "");

    EXPECT_TRUE(ChooseItem(dialog, kForwards, 1));
    EXPECT_EQ(forwards.GetSelItems(), std::vector<int>{1});
    EXPECT_EQ(forwards.GetItemData(forwards.GetCurSel()), 0u);
    EXPECT_EQ(dialog.log, std::vector<std::string>{Note(kForwards, Notify::SelChange)});

    // A column added before existing cells moves them right.
    forwards.InsertColumn(1, QStringLiteral("Serial"), 40);
    EXPECT_EQ(forwards.GetItemText(0, 3), "301");
    EXPECT_EQ(forwards.GetItemText(0, 1), "");
    forwards.DeleteAllItems();
    EXPECT_EQ(forwards.GetItemCount(), 0);
}

TEST_F(ControlsTest, UpDownNotifiesTheStepEvenAtTheEndOfItsRange)
{
    ControlsDialog dialog;
    dialog.SetRange(kCallUpDown, 0, 0);
    EXPECT_TRUE(win::testing::StepUpDown(dialog, kCallUpDown, -1));
    EXPECT_TRUE(win::testing::StepUpDown(dialog, kCallUpDown, +1));
    EXPECT_EQ(dialog.GetPos(kCallUpDown), 0);
    EXPECT_EQ(dialog.log,
              (std::vector<std::string>{Note(kCallUpDown, Notify::Scroll, -1), Note(kCallUpDown, Notify::Scroll, 1)}));
}

TEST_F(ControlsTest, UpDownShowsItsPositionInItsBuddyWithinTheRange)
{
    ControlsDialog dialog;
    dialog.SetRange(kTimeoutUpDown, 0, 30);
    dialog.SetPos(kTimeoutUpDown, 29);
    EXPECT_EQ(dialog.GetDlgItemText(kTimeout), "29");
    win::testing::StepUpDown(dialog, kTimeoutUpDown, +1);
    win::testing::StepUpDown(dialog, kTimeoutUpDown, +1);
    EXPECT_EQ(dialog.GetDlgItemText(kTimeout), "30");

    // Typing into the buddy moves the position the arrows start from.
    win::testing::TypeText(dialog, kTimeout, QStringLiteral("7"));
    win::testing::StepUpDown(dialog, kTimeoutUpDown, -1);
    EXPECT_EQ(dialog.GetPos(kTimeoutUpDown), 6);
    EXPECT_EQ(dialog.GetDlgItemText(kTimeout), "6");

    dialog.EnableDlgItem(kTimeoutUpDown, false);
    EXPECT_FALSE(win::testing::StepUpDown(dialog, kTimeoutUpDown, -1));
}

TEST_F(ControlsTest, TrackbarNotifiesTheUsersMovesOnly)
{
    ControlsDialog dialog;
    dialog.SetRange(kVolume, 0, 0xFFFF);
    dialog.SetPos(kVolume, 0x8000);
    EXPECT_TRUE(dialog.log.empty());
    EXPECT_EQ(dialog.GetPos(kVolume), 0x8000);

    EXPECT_TRUE(win::testing::MoveTrackbar(dialog, kVolume, 0x1234));
    ASSERT_FALSE(dialog.log.empty());
    EXPECT_EQ(dialog.log.back(), Note(kVolume, Notify::Scroll, 0x1234));
    EXPECT_EQ(dialog.GetPos(kVolume), 0x1234);
}

TEST_F(ControlsTest, CheckBoxesToggleOnClickUnlessTheProgramOwnsTheirState)
{
    ControlsDialog dialog;
    Click(dialog, kMwi);
    Click(dialog, kLck);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kMwi), 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kLck), 0);
    dialog.CheckDlgButton(kLck, 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kLck), 1);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{Note(kMwi, Notify::Clicked), Note(kLck, Notify::Clicked)}));
}

TEST_F(ControlsTest, RadioGroupChecksOneButtonOrNone)
{
    ControlsDialog dialog;
    EXPECT_EQ(dialog.GetCheckedRadio(kMic), -1);
    dialog.SetCheckedRadio(kOnhook, 2);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kSpeaker), 1);

    Click(dialog, kMic);
    EXPECT_EQ(dialog.GetCheckedRadio(kOnhook), 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kSpeaker), 0);
    Click(dialog, kMic);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kMic), 1) << "clicking the checked button keeps it";

    // A status value that matches no button clears the group.
    dialog.SetCheckedRadio(kOnhook, -1);
    EXPECT_EQ(dialog.GetCheckedRadio(kOnhook), -1);
    dialog.CheckDlgButton(kOnhook, 1);
    dialog.CheckDlgButton(kOnhook, 0);
    EXPECT_EQ(dialog.GetCheckedRadio(kOnhook), -1);
}

TEST_F(ControlsTest, WidgetMadeElsewhereJoinsUnderItsIdentifier)
{
    ControlsDialog dialog;
    struct LinkLabel : QLabel {
        using QLabel::QLabel;
    };
    EXPECT_TRUE(dialog.RegisterControl(2054, ControlKind::Static, new LinkLabel(QStringLiteral("https://x"))));
    EXPECT_EQ(dialog.GetDlgItemText(2054), "https://x");
    EXPECT_NE(dialog.Item<LinkLabel>(2054), nullptr);

    auto *edit = new QLineEdit;
    EXPECT_FALSE(dialog.RegisterControl(2055, ControlKind::Static, edit)) << "an edit is no static";
    EXPECT_FALSE(dialog.RegisterControl(kNumber, ControlKind::Edit, edit)) << "the identifier is taken";
    EXPECT_TRUE(dialog.RegisterControl(2055, ControlKind::Edit, edit));
    int changes = 0;
    dialog.OnNotify(2055, Notify::TextChange, [&] { ++changes; });
    EXPECT_TRUE(win::testing::TypeText(dialog, 2055, QStringLiteral("a")));
    EXPECT_EQ(changes, 1);
}

TEST_F(ControlsTest, StaticTextsAreShownAsTheyAreNeverAsMarkup)
{
    ControlsDialog dialog;
    dialog.SetDlgItemText(kStatus, QStringLiteral("lineMakeCall (0x80000005) <b>bad</b>"));
    EXPECT_EQ(dialog.Item<QLabel>(kStatus)->textFormat(), Qt::PlainText);
    EXPECT_EQ(dialog.GetDlgItemText(kStatus), "lineMakeCall (0x80000005) <b>bad</b>");
}

} // namespace
} // namespace win::test
