// Modal loops under messages from other threads: nested runs keep handling
// messages for the windows beneath them, and a quit ends every loop and stays
// visible to the application.
#include "WindowTestSupport.h"

#include <window/Messages.h>
#include <window/testing/ModalScript.h>
#include <window/testing/UserInput.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace win::test {
namespace {

using ModalLoopTest = WindowTest;

class InitRecordingDialog : public Dialog {
public:
    bool initialised = false;

protected:
    void OnInitDialog() override
    {
        initialised = true;
        Dialog::OnInitDialog();
    }
};

TEST_F(ModalLoopTest, NestedModalRunKeepsHandlingMessagesForTheOuterWindow)
{
    Dialog outer;
    Dialog inner;
    outer.AddControl({1000, ControlKind::PushButton, "&Inner"});
    std::vector<std::string> events;
    outer.OnMessage(WM_APP + 5, [&](WPARAM, LPARAM lParam) {
        events.push_back("outer handled " + std::to_string(lParam));
        return LRESULT{lParam + 1};
    });
    outer.OnClicked(1000, [&] { events.push_back("inner returned " + std::to_string(inner.DoModal())); });

    win::testing::OnNextModal([](Dialog &shown) {
        win::testing::Click(shown, 1000); // runs the inner dialog to its end
        shown.EndDialog(IDOK);
    });
    win::testing::OnNextModal([&](Dialog &shown) {
        // An event thread sends to the outer window while the inner one is
        // modal; the inner window's wait pumps, so the send gets through.
        std::atomic<LRESULT> result{0};
        std::thread bridge([&, window = outer.GetSafeHwnd()] { result = SendMessage(window, WM_APP + 5, 0, 41); });
        EXPECT_TRUE(win::testing::PumpUntil([&] { return result.load() != 0; }));
        bridge.join();
        events.push_back("sender got " + std::to_string(result.load()));
        shown.EndDialog(2052);
    });

    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_EQ(events, (std::vector<std::string>{"outer handled 41", "sender got 42", "inner returned 2052"}));
    EXPECT_EQ(win::testing::PendingModalBodies(), 0u);
}

TEST_F(ModalLoopTest, QuitInsideNestedModalRunsEndsThemAllAndIsReportedByThePump)
{
    Dialog outer;
    Dialog inner;
    int innerResult = 0;
    bool pumpSawQuit = false;
    outer.OnClicked(1000, [&] {
        innerResult = inner.DoModal();
        pumpSawQuit = PumpMessages();
    });
    inner.OnMessage(WM_APP, [](WPARAM, LPARAM) {
        PostQuitMessage(3);
        return LRESULT{0};
    });
    // Posted, so that each step runs inside the running modal loop: the outer
    // loop opens the inner dialog, whose loop then handles the quit.
    win::testing::OnNextModal([](Dialog &dialog) { PostMessage(dialog.GetSafeHwnd(), WM_COMMAND, 1000); });
    win::testing::OnNextModal([](Dialog &dialog) { PostMessage(dialog.GetSafeHwnd(), WM_APP); });

    EXPECT_EQ(outer.DoModal(), -1);
    EXPECT_EQ(innerResult, -1);
    EXPECT_TRUE(pumpSawQuit);
    EXPECT_TRUE(IsQuitRequested());
    EXPECT_EQ(MessageQueue::Instance().QuitCode(), 3);
    EXPECT_FALSE(inner.IsCreated());
    EXPECT_FALSE(outer.IsCreated());
}

TEST_F(ModalLoopTest, QuitFromAnotherThreadEndsTheRunningModalLoop)
{
    Dialog dialog;
    std::thread quitter;
    win::testing::OnNextModal([&](Dialog &) { quitter = std::thread([] { PostQuitMessage(0); }); });

    EXPECT_EQ(dialog.DoModal(), -1);
    quitter.join();
    EXPECT_TRUE(IsQuitRequested());
}

TEST_F(ModalLoopTest, ModalRunAfterAQuitEndsAtOnce)
{
    PostQuitMessage(0);
    InitRecordingDialog dialog;

    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(dialog.initialised);
    EXPECT_EQ(win::testing::UnscriptedModalRuns(), 0u);
    EXPECT_FALSE(dialog.Create());
}

TEST_F(ModalLoopTest, MessagesStillFlowWhileAQuitIsPending)
{
    Dialog dialog;
    ASSERT_TRUE(dialog.Create());
    int handled = 0;
    dialog.OnMessage(WM_APP + 1, [&](WPARAM, LPARAM) { return LRESULT{++handled}; });
    PostQuitMessage(0);

    // Windows unwinding after the quit still answer the event threads.
    LRESULT result = 0;
    std::thread sender([&, window = dialog.GetSafeHwnd()] { result = SendMessage(window, WM_APP + 1); });
    ASSERT_TRUE(win::testing::PumpUntil([&] { return handled == 1; }));
    sender.join();
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(PumpMessages());
    dialog.DestroyWindow();
}

} // namespace
} // namespace win::test
