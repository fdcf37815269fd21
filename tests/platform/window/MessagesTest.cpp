// Sent and posted window messages between threads, and handle liveness.
#include "WindowTestSupport.h"

#include <window/Messages.h>

#include <atomic>
#include <thread>
#include <vector>

namespace win::test {
namespace {

constexpr UINT kChanged = 0x8065;
constexpr UINT kFlash = 0x8068;

// A modeless window that records the messages it handles, in order.
class RecordingDialog : public Dialog {
public:
    RecordingDialog()
    {
        for (UINT message : {kChanged, kFlash})
            OnMessage(message, [this, message](WPARAM w, LPARAM l) { return Record(message, w, l); });
    }

    struct Entry {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::thread::id thread;
    };
    std::vector<Entry> handled;

private:
    LRESULT Record(UINT message, WPARAM wParam, LPARAM lParam)
    {
        handled.push_back({message, wParam, lParam, std::this_thread::get_id()});
        return static_cast<LRESULT>(wParam) + lParam;
    }
};

using MessagesTest = WindowTest;

TEST_F(MessagesTest, SendOnTheWindowsOwnThreadIsADirectCall)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    PostMessage(dialog.GetSafeHwnd(), kFlash, 1);

    EXPECT_EQ(SendMessage(dialog.GetSafeHwnd(), kChanged, 40, 2), 42);

    // Handled at once, ahead of the posted message that nobody pumped yet.
    ASSERT_EQ(dialog.handled.size(), 1u);
    EXPECT_EQ(dialog.handled[0].message, kChanged);
    EXPECT_EQ(MessageQueue::Instance().QueuedPosted(), 1u);
    dialog.DestroyWindow();
}

TEST_F(MessagesTest, SendFromAnotherThreadBlocksUntilHandledAndReturnsTheResult)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    std::atomic<bool> senderReturned{false};
    bool senderWaitedForHandler = false;
    dialog.OnMessage(kChanged, [&](WPARAM, LPARAM lParam) {
        senderWaitedForHandler = !senderReturned.load();
        return lParam * 2;
    });

    LRESULT result = 0;
    std::thread sender([&, window = dialog.GetSafeHwnd()] {
        result = SendMessage(window, kChanged, 0, 21);
        senderReturned = true;
    });
    ASSERT_TRUE(win::testing::PumpUntil([&] { return senderReturned.load(); }));
    sender.join();

    EXPECT_EQ(result, 42);
    EXPECT_TRUE(senderWaitedForHandler);
    dialog.DestroyWindow();
}

TEST_F(MessagesTest, MessagesAreHandledOnTheUserInterfaceThread)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    std::thread worker([window = dialog.GetSafeHwnd()] {
        PostMessage(window, kFlash, 1);
        SendMessage(window, kChanged, 2);
    });
    ASSERT_TRUE(win::testing::PumpUntil([&] { return dialog.handled.size() == 2; }));
    worker.join();
    for (const auto &entry : dialog.handled)
        EXPECT_EQ(entry.thread, std::this_thread::get_id());
    dialog.DestroyWindow();
}

TEST_F(MessagesTest, SentMessageOvertakesMessagesPostedEarlier)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const WindowHandle window = dialog.GetSafeHwnd();

    // The bridge's order for an information change: post the flash requests,
    // then send the change. The window thread is busy meanwhile (not pumping).
    std::thread bridge([window] {
        PostMessage(window, kFlash, 1080);
        PostMessage(window, kFlash, 1041);
        SendMessage(window, kChanged, 0, 7);
    });
    ASSERT_TRUE(WaitForQueuedSends(1));
    ASSERT_TRUE(win::testing::PumpUntil([&] { return dialog.handled.size() == 3; }));
    bridge.join();

    EXPECT_EQ(dialog.handled[0].message, kChanged);
    EXPECT_EQ(dialog.handled[1].wParam, 1080u);
    EXPECT_EQ(dialog.handled[2].wParam, 1041u);
    dialog.DestroyWindow();
}

TEST_F(MessagesTest, PostedMessagesKeepTheirOrderAcrossWindows)
{
    RecordingDialog first;
    RecordingDialog second;
    ASSERT_TRUE(first.Create());
    ASSERT_TRUE(second.Create());
    std::vector<int> order;
    const auto record = [&](WPARAM w, LPARAM) {
        order.push_back(static_cast<int>(w));
        return LRESULT{0};
    };
    first.OnMessage(kFlash, record);
    second.OnMessage(kFlash, record);

    std::thread poster([&] {
        for (int i = 0; i < 100; ++i)
            PostMessage((i % 2 ? second : first).GetSafeHwnd(), kFlash, static_cast<WPARAM>(i));
    });
    poster.join();
    EXPECT_FALSE(PumpMessages());

    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    first.DestroyWindow();
    second.DestroyWindow();
}

TEST_F(MessagesTest, PumpReturnsEvenWhileMessagesKeepArriving)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    int handled = 0;
    dialog.OnMessage(kFlash, [&](WPARAM, LPARAM) {
        ++handled;
        PostMessage(dialog.GetSafeHwnd(), kFlash);
        return LRESULT{0};
    });
    PostMessage(dialog.GetSafeHwnd(), kFlash);

    EXPECT_FALSE(PumpMessages());
    EXPECT_GE(handled, 1);
    EXPECT_LT(handled, 10) << "each pump handles what was queued when it started";
    dialog.DestroyWindow();
}

TEST_F(MessagesTest, SendAndPostToAWindowThatIsGoneFailAtOnce)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const WindowHandle window = dialog.GetSafeHwnd();
    dialog.DestroyWindow();

    // Nothing pumps here: a sender that blocked would never come back.
    LRESULT result = -1;
    bool posted = true;
    std::thread sender([&] {
        result = SendMessage(window, kChanged, 1, 1);
        posted = PostMessage(window, kFlash, 1);
    });
    sender.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(posted);
    EXPECT_EQ(SendMessage(window, kChanged, 1, 1), 0);
    EXPECT_EQ(SendMessage(WindowHandle::Null, kChanged, 1, 1), 0);
    EXPECT_TRUE(dialog.handled.empty());
}

TEST_F(MessagesTest, SenderWaitingOnAWindowThatGoesAwayReturnsZero)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    LRESULT result = -1;
    std::thread sender([&, window = dialog.GetSafeHwnd()] { result = SendMessage(window, kChanged, 1, 1); });
    ASSERT_TRUE(WaitForQueuedSends(1));

    dialog.DestroyWindow();
    sender.join();

    EXPECT_EQ(result, 0);
    EXPECT_TRUE(dialog.handled.empty());
    EXPECT_EQ(MessageQueue::Instance().QueuedSent(), 0u);
}

TEST_F(MessagesTest, DeletingALiveWindowReleasesItsSendersAndDropsItsPosts)
{
    auto *dialog = new RecordingDialog;
    ASSERT_TRUE(dialog->Create());
    const WindowHandle window = dialog->GetSafeHwnd();
    LRESULT result = -1;
    std::thread sender([&] {
        PostMessage(window, kFlash, 1);
        result = SendMessage(window, kChanged, 1, 1);
    });
    ASSERT_TRUE(WaitForQueuedSends(1));

    delete dialog;
    sender.join();

    EXPECT_EQ(result, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(MessageQueue::Instance().QueuedPosted(), 0u);
}

TEST_F(MessagesTest, ClosingTheQueueAtExitReleasesEverySender)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const WindowHandle window = dialog.GetSafeHwnd();
    std::vector<LRESULT> results(3, -1);
    std::vector<std::thread> senders;
    for (std::size_t i = 0; i < results.size(); ++i)
        senders.emplace_back([&, i] { results[i] = SendMessage(window, kChanged, 1, 1); });
    ASSERT_TRUE(WaitForQueuedSends(results.size()));

    MessageQueue::Instance().Close();
    for (auto &sender : senders)
        sender.join();

    EXPECT_EQ(results, std::vector<LRESULT>(3, 0));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PostMessage(window, kFlash));
    EXPECT_TRUE(dialog.handled.empty());
}

TEST_F(MessagesTest, HandlerThatPumpsHandlesFurtherSendsNested)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const WindowHandle window = dialog.GetSafeHwnd();
    std::atomic<bool> innerReturned{false};
    LRESULT innerResult = 0;
    std::thread inner;
    // The outer handler waits, pumping, for a second sender: the wait of a
    // command handler that a bridge message arrives in.
    dialog.OnMessage(kFlash, [&](WPARAM, LPARAM) {
        inner = std::thread([&] {
            innerResult = SendMessage(window, kChanged, 5, 5);
            innerReturned = true;
        });
        EXPECT_TRUE(win::testing::PumpUntil([&] { return innerReturned.load(); }));
        return LRESULT{1};
    });

    std::atomic<LRESULT> outerResult{0};
    std::thread outer([&] { outerResult = SendMessage(window, kFlash); });
    ASSERT_TRUE(win::testing::PumpUntil([&] { return outerResult.load() == 1; }));
    outer.join();
    inner.join();

    EXPECT_EQ(innerResult, 10);
    dialog.DestroyWindow();
}

TEST_F(MessagesTest, HandlesAreLiveFromCreationToDestructionAndNeverReused)
{
    RecordingDialog dialog;
    EXPECT_EQ(dialog.GetSafeHwnd(), WindowHandle::Null);
    ASSERT_TRUE(dialog.Create());
    const WindowHandle first = dialog.GetSafeHwnd();
    EXPECT_TRUE(IsWindow(first));
    EXPECT_EQ(Dialog::FromHandle(first), &dialog);

    bool liveFromOtherThread = false;
    std::thread([&] { liveFromOtherThread = IsWindow(first); }).join();
    EXPECT_TRUE(liveFromOtherThread);

    dialog.DestroyWindow();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(Dialog::FromHandle(first), nullptr);

    ASSERT_TRUE(dialog.Create());
    EXPECT_NE(dialog.GetSafeHwnd(), first);
    EXPECT_EQ(FromNativeHandle(ToNativeHandle(dialog.GetSafeHwnd())), dialog.GetSafeHwnd());
    EXPECT_FALSE(IsWindow(first));
    dialog.DestroyWindow();
}

TEST_F(MessagesTest, CloseAndCommandMessagesReachTheWindowsHooks)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    int clicks = 0;
    dialog.OnClicked(1077, [&] { ++clicks; });
    const WindowHandle window = dialog.GetSafeHwnd();

    std::thread([window] { PostMessage(window, WM_COMMAND, 1077); }).join();
    PumpMessages();
    EXPECT_EQ(clicks, 1);

    // Closing a modeless window through a message destroys it.
    std::thread([window] { PostMessage(window, WM_CLOSE); }).join();
    PumpMessages();
    EXPECT_FALSE(IsWindow(window));
}

} // namespace
} // namespace win::test
