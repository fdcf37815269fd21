// A picture of the main window with an open line and a connected call, for
// anyone to look at: <build folder>/screenshots/main-window.png.
#include "MainWindowFixture.h"

#include <resources/resource.h>
#include <window/testing/TestEnvironment.h>

#include <QCoreApplication>
#include <QLayout>

#include "CTapiCall.h"
#include "CTapiConnection.h"

namespace {

using ScreenshotTest = MainWindowTest;

// Lets the layout catch up with font and text changes, then fits the window to it.
void LayOut(QWidget &window)
{
    QCoreApplication::sendPostedEvents();
    window.layout()->activate();
    window.resize(window.sizeHint());
    QCoreApplication::sendPostedEvents();
}

TEST_F(ScreenshotTest, MainWindowWithAConnectedCall)
{
    CPhoneDlg &window = Start(QStringLiteral("Extension 201"));
    IncomingCall(0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    CTapiCall *call = CurrentCall();
    ASSERT_NE(call, nullptr);
    ASSERT_EQ(GetTapiConnection()->WaitForReply(call->Answer(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Connected")));
    AdvanceExchange(83000);
    AdvanceTicks(1000);
    ASSERT_TRUE(TypeNumber(QStringLiteral("5550105")));
    LayOut(window);
    const QString path = win::testing::SaveScreenshot(window, QStringLiteral("main-window"));
    EXPECT_FALSE(path.isEmpty());

    // The layout holds with a large font as well.
    QFont large = window.font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    window.SetChildFont(large);
    LayOut(window);
    EXPECT_FALSE(win::testing::SaveScreenshot(window, QStringLiteral("main-window-large-font")).isEmpty());
}

} // namespace
