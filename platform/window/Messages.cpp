#include <window/Messages.h>

#include <window/MessageQueue.h>

#include <QCoreApplication>

namespace win {

LRESULT SendMessage(WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return MessageQueue::Instance().Send(window, message, wParam, lParam);
}

bool PostMessage(WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return MessageQueue::Instance().Post(window, message, wParam, lParam);
}

bool IsWindow(WindowHandle window)
{
    return MessageQueue::Instance().IsAlive(window);
}

bool PumpMessages()
{
    auto &queue = MessageQueue::Instance();
    if (queue.IsUiThread() && QCoreApplication::instance()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // The wake-up notifier normally runs the dispatch inside processEvents;
        // calling it here as well makes a pump see every message queued before it.
        queue.Dispatch();
    }
    return queue.QuitRequested();
}

void PostQuitMessage(int exitCode)
{
    MessageQueue::Instance().RequestQuit(exitCode);
}

bool IsQuitRequested()
{
    return MessageQueue::Instance().QuitRequested();
}

} // namespace win
