// The hyperlink: its colours through the states, the mouse capture while the
// mouse is over it, and opening its address through the desktop's hook.
#include <ui/controls/HLinkCtrl.h>

#include <window/Fonts.h>
#include <window/Shell.h>
#include <window/testing/TestEnvironment.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class HLinkCtrlTest : public testing::Test {
protected:
    void SetUp() override
    {
        win::testing::ResetPlatform();
        window_.resize(300, 80);
        link_ = new CHLinkCtrl(QStringLiteral("https://dialwerk.example/"), &window_);
        link_->setGeometry(10, 10, 200, 20);
        window_.show();
    }

    void TearDown() override
    {
        win::ReleaseCapture();
        win::SetOpenAddressHook({});
    }

    void MoveTo(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, link_->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link_, &move);
    }

    void ClickAt(QPoint at)
    {
        QMouseEvent press(QEvent::MouseButtonPress, at, link_->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(link_, &press);
    }

    static constexpr QPoint kInside{5, 5};
    static constexpr QPoint kOutside{250, 50};
    // The application exists before the first widget does, also when this test runs alone.
    QApplication &application_ = win::testing::Application();
    QWidget window_;
    CHLinkCtrl *link_ = nullptr;
};

TEST_F(HLinkCtrlTest, OpenedLinkStaysPurpleAndTurnsRedUnderTheMouse)
{
    QStringList opened;
    win::SetOpenAddressHook([&](const QString &address) {
        opened << address;
        return true;
    });
    EXPECT_EQ(link_->TextColour(), CHLinkCtrl::kUnvisitedColour);
    EXPECT_EQ(link_->cursor().shape(), Qt::PointingHandCursor);

    MoveTo(kInside);
    EXPECT_EQ(link_->GetState(), CHLinkCtrl::Hovered);
    EXPECT_EQ(link_->TextColour(), CHLinkCtrl::kHoverColour);
    ClickAt(kInside);
    EXPECT_EQ(opened, QStringList{"https://dialwerk.example/"});
    EXPECT_EQ(link_->TextColour(), CHLinkCtrl::kVisitedColour);

    MoveTo(kOutside);
    EXPECT_EQ(link_->GetState(), CHLinkCtrl::Opened);
    EXPECT_EQ(link_->TextColour(), CHLinkCtrl::kVisitedColour);
    MoveTo(kInside);
    EXPECT_EQ(link_->TextColour(), CHLinkCtrl::kHoverColour);
    MoveTo(kOutside);
    EXPECT_EQ(link_->TextColour(), CHLinkCtrl::kVisitedColour);
}

TEST_F(HLinkCtrlTest, LeavingReleasesTheCaptureAlsoAfterAnOpenUnderTheMouse)
{
    MoveTo(kInside);
    EXPECT_EQ(win::GetCapture(), link_);
    MoveTo(kOutside);
    EXPECT_EQ(win::GetCapture(), nullptr);
    EXPECT_EQ(link_->GetState(), CHLinkCtrl::Normal);

    win::SetOpenAddressHook([](const QString &) { return true; });
    MoveTo(kInside);
    ClickAt(kInside);
    ASSERT_EQ(link_->GetState(), CHLinkCtrl::Opened);
    MoveTo(kOutside);
    EXPECT_EQ(win::GetCapture(), nullptr) << "the opened link let the mouse go";
}

TEST_F(HLinkCtrlTest, AFailedOpenLeavesTheLinkAsItWas)
{
    win::SetOpenAddressHook([](const QString &) { return false; });
    MoveTo(kInside);
    ClickAt(kInside);
    EXPECT_EQ(link_->GetState(), CHLinkCtrl::Hovered);
    MoveTo(kOutside);
    EXPECT_EQ(link_->GetState(), CHLinkCtrl::Normal);
    EXPECT_EQ(link_->TextColour(), CHLinkCtrl::kUnvisitedColour);
}

} // namespace
