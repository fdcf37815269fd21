// What the main window shows and lets the keyboard reach: a report longer than
// the status line, provider texts with format markers, the steppers by
// keyboard, the link beside the status line and the about box.
#include "MainWindowFixture.h"

#include <app/ResultReporting.h>
#include <resources/resource.h>
#include <ui/controls/HLinkCtrl.h>
#include <ui/dialogs/AboutDlg.h>
#include <window/Shell.h>
#include <window/testing/ModalScript.h>
#include <window/testing/UserInput.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>

namespace {

using ReachAndTextTest = MainWindowTest;

TEST_F(ReachAndTextTest, ALongReportIsCutToTheLineWithTheWholeTextAsTooltip)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    QCoreApplication::sendPostedEvents();
    const int width = window.width();
    const QString report = QStringLiteral("lineMakeCall (0x80000048) ") + QString(400, u'x');
    ShowStatus(report);
    QCoreApplication::sendPostedEvents();
    window.layout()->activate();
    EXPECT_EQ(window.width(), width) << "the window keeps its width";
    EXPECT_LE(window.minimumSizeHint().width(), width);
    EXPECT_EQ(Text(IDC_STATUS), report) << "the text itself is whole";
    EXPECT_EQ(window.GetDlgItem(IDC_STATUS)->toolTip(), report);
    ClearStatus();
    EXPECT_TRUE(window.GetDlgItem(IDC_STATUS)->toolTip().isEmpty());
}

TEST_F(ReachAndTextTest, AnAddressTextWithFormatMarkersIsShownAsItIs)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    ASSERT_TRUE(Exchange().changeLine(0, [](exchange::LineConfig &line) { line.addresses[0].number = u"%1 %2 %9"; }));
    Exchange().raiseAddressState(0, 0, LINEADDRESSSTATE_CAPSCHANGE);
    ASSERT_TRUE(WaitFor([&] { return window.Items(IDC_ADDRESS).GetText(0).startsWith(u'%'); }));
    EXPECT_EQ(window.Items(IDC_ADDRESS).GetText(0), "%1 %2 %9 - ID 0");
}

TEST_F(ReachAndTextTest, TheSteppersTakeTheFocusAndStepWithTheArrowKeys)
{
    CPhoneDlg &window = Start();
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 201")));
    ASSERT_TRUE(OpenLine(QStringLiteral("Extension 202")));
    for (int id : {IDC_LINE_SPIN, IDC_CALL_SPIN})
        EXPECT_TRUE(window.GetDlgItem(id)->focusPolicy() & Qt::TabFocus) << id;
    QWidget *stepper = window.GetDlgItem(IDC_LINE_SPIN);
    win::testing::PressKey(*stepper, Qt::Key_Left);
    EXPECT_EQ(window.GetSelectedLine(), Line(0));
    EXPECT_EQ(Text(IDC_LINE_POSITION), "1 of 2");
    win::testing::PressKey(*stepper, Qt::Key_Right);
    EXPECT_EQ(window.GetSelectedLine(), Line(1));
}

TEST_F(ReachAndTextTest, TheLinkBesideTheStatusLineOpensItsAddress)
{
    CPhoneDlg &window = Start();
    auto *link = window.Item<CHLinkCtrl>(IDC_LINK);
    ASSERT_NE(link, nullptr);
    QStringList opened;
    win::SetOpenAddressHook([&](const QString &address) {
        opened << address;
        return true;
    });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(link, &press);
    EXPECT_EQ(opened, QStringList{link->text()});
    EXPECT_EQ(link->GetState(), CHLinkCtrl::Opened);
    win::SetOpenAddressHook({});
}

TEST_F(ReachAndTextTest, TheAboutBoxOfTheSystemMenu)
{
    CPhoneDlg &window = Start();
    QAction *about = nullptr;
    for (QAction *action : window.SystemMenu()->actions()) {
        if (action->text() == "&About Dialwerk...")
            about = action;
    }
    ASSERT_NE(about, nullptr);
    bool shown = false;
    win::testing::OnNextModal([&](win::Dialog &dialog) {
        auto *box = dynamic_cast<CAboutDlg *>(&dialog);
        ASSERT_NE(box, nullptr);
        shown = true;
        EXPECT_EQ(box->GetDlgItemText(CAboutDlg::IDC_VERSION), "TAPI Dialwerk 3.70");
        EXPECT_NE(box->GetHomepageLink(), nullptr);
        EXPECT_NE(box->GetSupportLink(), nullptr);
        EXPECT_FALSE(box->GetHomepageLink()->text().isEmpty());
        win::testing::Click(*box, win::IDOK);
    });
    about->trigger();
    EXPECT_TRUE(shown);
}

} // namespace
