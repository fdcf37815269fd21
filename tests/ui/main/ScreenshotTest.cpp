// A picture of the main window with an open line and a connected call, for
// anyone to look at: <build folder>/screenshots/main-window.png.
#include "MainWindowFixture.h"

#include <resources/resource.h>
#include <window/testing/TestEnvironment.h>

#include "CTapiCall.h"
#include "CTapiConnection.h"

namespace {

using ScreenshotTest = MainWindowTest;

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
    window.resize(window.sizeHint());
    const QString path = win::testing::SaveScreenshot(window, QStringLiteral("main-window"));
    EXPECT_FALSE(path.isEmpty());
}

} // namespace
