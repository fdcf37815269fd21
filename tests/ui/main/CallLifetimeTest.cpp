// Calls the main window lets go of while the event thread still has them in hand.
#include "MainWindowFixture.h"

#include <resources/resource.h>
#include <window/MessageQueue.h>

#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

#include <chrono>
#include <thread>

namespace {

using CallLifetimeTest = MainWindowTest;

// Waits, without handling any message, until the event thread stands in a send.
bool WaitForSentMessage()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (win::MessageQueue::Instance().QueuedSent() == 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST_F(CallLifetimeTest, EndSessionWhileAChangeOfTheCallIsOnItsWay)
{
    Start(QStringLiteral("Extension 201"));
    const exchange::LegId leg = IncomingCall(0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitForCallState(QStringLiteral("Offering")));
    // The far end hangs up; the event thread's message about it waits for the window,
    // which handles "End Session" first.
    ASSERT_EQ(Exchange().remoteHangUp(leg), 0);
    ASSERT_TRUE(WaitForSentMessage());
    ASSERT_TRUE(Click(IDC_SESSION));
    EXPECT_FALSE(Line(0)->IsOpen());
    ASSERT_TRUE(WaitFor([] { return win::MessageQueue::Instance().QueuedSent() == 0; }));
    EXPECT_TRUE(Window().GetCalls().empty());
    EXPECT_EQ(Text(IDC_CALL_POSITION), "0 of 0");
    EXPECT_EQ(Text(IDC_STATUS), "");
}

} // namespace
