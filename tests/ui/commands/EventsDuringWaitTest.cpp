// While a command waits for its reply the window keeps handling events: a
// call that arrives meanwhile is listed before the command ends. Another
// thread plays the exchange and watches the window through sent messages.
#include "CommandsTestSupport.h"

#include <window/Messages.h>

#include "CTapiCall.h"

#include <atomic>
#include <thread>

namespace {

constexpr win::UINT kCountCalls = win::WM_APP + 0x700;

using EventsDuringWaitTest = CommandsTest;

TEST_F(EventsDuringWaitTest, ACallArrivingWhileHoldWaitsIsListedAtOnce)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    CTapiCall *first = CurrentCall();
    Window().OnMessage(kCountCalls, [this](win::WPARAM, win::LPARAM) {
        return static_cast<win::LRESULT>(Window().GetCalls().size());
    });
    const win::WindowHandle window = Window().GetSafeHwnd();

    // The reply to lineHold comes only when the exchange's clock has moved on by 5 s.
    Faults().delayReply("lineHold", exchange::Millis(5000));
    std::atomic<win::LRESULT> listedDuringWait{0};
    std::thread farEnd([&] {
        while (Recorder().count("lineHold") == 0)
            std::this_thread::yield();
        Exchange().incomingCall(0, 0, u"5550199", u"Dora Engel");
        // Each send is handled by the waiting window thread, between its pumps.
        while ((listedDuringWait = win::SendMessage(window, kCountCalls)) < 2)
            std::this_thread::yield();
        Exchange().advance(exchange::Millis(5000));
    });
    ASSERT_TRUE(Click(IDC_HOLD));
    farEnd.join();

    EXPECT_EQ(listedDuringWait.load(), 2);
    EXPECT_EQ(Status(), "") << "the hold succeeded once its reply came";
    EXPECT_EQ(Window().GetCalls().size(), 2u);
    EXPECT_TRUE(WaitFor([&] { return first->GetCallState() == LINECALLSTATE_ONHOLD; }));
}

} // namespace
