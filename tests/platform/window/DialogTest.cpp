// Running dialogs: modal results, Esc and Enter, the close hook, modeless
// windows, nested modal runs, the system menu and keyboard pre-translation.
#include "WindowTestSupport.h"

#include <window/Messages.h>
#include <window/Shell.h>
#include <window/testing/MessageBoxScript.h>
#include <window/testing/ModalScript.h>
#include <window/testing/UserInput.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>

namespace win::test {
namespace {

using win::testing::Click;
using win::testing::OnNextModal;
using win::testing::PressKey;

constexpr int kTranslate = 1012;

// A small number entry dialog: OK (default), Cancel, and a button of its own.
class EntryDialog : public Dialog {
public:
    EntryDialog()
    {
        static const ControlTemplate controls[] = {
            {2007, ControlKind::Edit},
            {IDOK, ControlKind::DefaultButton, "OK"},
            {IDCANCEL, ControlKind::PushButton, "Cancel"},
            {kTranslate, ControlKind::PushButton, "&Translate"},
        };
        AddControls(controls);
        BindText(2007, number);
    }

    QString number;
    int closeRequests = 0;
    bool cancelEnds = true;
    bool askOnClose = false;
    int destroyed = 0;
    int finalReleased = 0;

protected:
    void OnCancel() override
    {
        if (cancelEnds)
            Dialog::OnCancel();
    }
    void OnClose() override
    {
        ++closeRequests;
        if (!askOnClose) {
            Dialog::OnClose();
            return;
        }
        if (MessageBox(this, QStringLiteral("Close?"), {}, MB_YESNO | MB_ICONQUESTION) == IDYES)
            EndDialog(IDCANCEL);
    }
    void OnDestroy() override
    {
        ++destroyed;
        EXPECT_TRUE(IsWindow(GetSafeHwnd())) << "the handle is live during OnDestroy";
    }
    void PostNcDestroy() override { ++finalReleased; }
};

using DialogTest = WindowTest;

TEST_F(DialogTest, ModalRunReturnsTheCodeGivenToEndDialog)
{
    EntryDialog dialog;
    WindowHandle during = WindowHandle::Null;
    OnNextModal([&](Dialog &shown) {
        EXPECT_EQ(&shown, &dialog);
        EXPECT_TRUE(shown.isVisible());
        during = shown.GetSafeHwnd();
        shown.EndDialog(2052);
    });

    EXPECT_EQ(dialog.DoModal(), 2052);
    EXPECT_FALSE(IsWindow(during));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.destroyed, 1);
    EXPECT_EQ(dialog.finalReleased, 0);
}

TEST_F(DialogTest, OkReadsTheFieldsAndEndsWithIdok)
{
    EntryDialog dialog;
    dialog.number = QStringLiteral("201");
    OnNextModal([](Dialog &shown) {
        EXPECT_EQ(shown.GetDlgItemText(2007), "201") << "the fields are shown when the dialog opens";
        EXPECT_TRUE(win::testing::TypeText(shown, 2007, QStringLiteral("+49 (30) 1234")));
        EXPECT_TRUE(Click(shown, IDOK));
    });

    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.number, "+49 (30) 1234");
}

TEST_F(DialogTest, EnterPressesTheDefaultButtonAndEscCancels)
{
    EntryDialog dialog;
    OnNextModal([](Dialog &shown) { PressKey(shown, Qt::Key_Return); });
    EXPECT_EQ(dialog.DoModal(), IDOK);

    OnNextModal([](Dialog &shown) { PressKey(shown, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, EnterWithTheDefaultButtonDisabledDoesNothing)
{
    EntryDialog dialog;
    OnNextModal([](Dialog &shown) {
        shown.EnableDlgItem(IDOK, false);
        PressKey(shown, Qt::Key_Return);
        EXPECT_TRUE(shown.IsCreated());
        shown.EndDialog(7);
    });
    EXPECT_EQ(dialog.DoModal(), 7);
}

TEST_F(DialogTest, DialogMayOverrideEscAndItsOwnButtonsRunTheirHandlers)
{
    EntryDialog dialog;
    dialog.cancelEnds = false;
    int translations = 0;
    dialog.OnClicked(kTranslate, [&] { ++translations; });
    OnNextModal([&](Dialog &shown) {
        PressKey(shown, Qt::Key_Escape);
        EXPECT_TRUE(Click(shown, kTranslate));
        EXPECT_TRUE(shown.IsCreated()) << "Esc was refused";
        shown.EndDialog(IDOK);
    });

    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(translations, 1);
}

TEST_F(DialogTest, HandlerBoundToIdokReplacesTheDefaultOk)
{
    EntryDialog dialog;
    int actions = 0;
    dialog.OnClicked(IDOK, [&] { ++actions; });
    OnNextModal([](Dialog &shown) {
        Click(shown, IDOK);
        EXPECT_TRUE(shown.IsCreated()) << "an action button does not close the window";
        Click(shown, IDCANCEL);
    });

    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(actions, 1);
}

TEST_F(DialogTest, CloseBoxRunsTheCloseHookWhichMayAskFirst)
{
    win::testing::MessageBoxScript boxes;
    EntryDialog dialog;
    dialog.askOnClose = true;
    boxes.Answer(IDNO);
    boxes.Answer(IDYES);
    OnNextModal([](Dialog &shown) {
        shown.close();
        EXPECT_TRUE(shown.IsCreated()) << "No keeps the window";
        shown.close();
    });

    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.closeRequests, 2);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Close?");
}

TEST_F(DialogTest, EndDialogDuringInitialisationSkipsTheRun)
{
    class Refusing : public Dialog {
    protected:
        void OnInitDialog() override { EndDialog(IDCANCEL); }
    } dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(win::testing::UnscriptedModalRuns(), 0u);
}

TEST_F(DialogTest, UnscriptedModalDialogEndsInsteadOfHangingTheTest)
{
    EntryDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(win::testing::UnscriptedModalRuns(), 1u);
}

TEST_F(DialogTest, ModelessWindowLivesUntilClosedAndIsDestroyedThen)
{
    EntryDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    const WindowHandle window = dialog.GetSafeHwnd();
    EXPECT_TRUE(dialog.Create()) << "creating twice keeps the window";
    EXPECT_EQ(dialog.GetSafeHwnd(), window);

    PressKey(dialog, Qt::Key_Escape);

    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.destroyed, 1);
    EXPECT_EQ(dialog.finalReleased, 1);
}

TEST_F(DialogTest, ModelessWindowCanDeleteItselfAfterItsDestruction)
{
    struct SelfOwned : Dialog {
        void PostNcDestroy() override { deleteLater(); }
    };
    QPointer<Dialog> dialog = new SelfOwned;
    ASSERT_TRUE(dialog->Create());
    dialog->close();
    EXPECT_TRUE(win::testing::PumpUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    }));
}

TEST_F(DialogTest, SystemMenuEntryRunsTheSystemCommand)
{
    struct MainWindow : Dialog {
        MainWindow()
        {
            AppendSystemMenuSeparator();
            AppendSystemMenu(16, QStringLiteral("&About Dialwerk..."));
        }
        std::vector<int> commands;
        void OnSysCommand(int id) override { commands.push_back(id); }
    } window;

    const auto actions = window.SystemMenu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[1]->text(), "&About Dialwerk...");
    actions[1]->trigger();
    EXPECT_EQ(window.commands, std::vector<int>{16});
}

TEST_F(DialogTest, KeyPressesAndReleasesInTheWindowArePreTranslated)
{
    struct Watching : EntryDialog {
        std::vector<std::pair<bool, int>> keys;
        void OnKeyMessage(bool pressed, int key) override { keys.emplace_back(pressed, key); }
    } dialog;
    EntryDialog other;
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(other.Create());

    PressKey(*dialog.GetDlgItem(2007), Qt::Key_Control);
    PressKey(*other.GetDlgItem(2007), Qt::Key_X);
    PressKey(dialog, Qt::Key_F5);

    EXPECT_EQ(dialog.keys,
              (std::vector<std::pair<bool, int>>{
                  {true, Qt::Key_Control}, {false, Qt::Key_Control}, {true, Qt::Key_F5}, {false, Qt::Key_F5}}));
    dialog.DestroyWindow();
    other.DestroyWindow();
}

} // namespace
} // namespace win::test
