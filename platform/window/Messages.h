// Window messages by number, as the rest of the program uses them: send, post,
// liveness of handles, pumping waits and quitting.
#pragma once

#include <window/Types.h>

namespace win {

/// Sends `message` to the window and returns its result. On the window's own
/// (user-interface) thread this is a direct call. From any other thread the
/// caller blocks until the window's thread, while pumping, has handled it;
/// messages sent this way are handled before messages posted earlier. Returns 0
/// at once when the window does not exist or stops existing while the caller
/// waits, so a sending thread never hangs on a window that is gone.
LRESULT SendMessage(WindowHandle window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

/// Queues `message` for the window behind the messages posted to it earlier and
/// returns at once. False when the window does not exist (the message is lost).
bool PostMessage(WindowHandle window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

/// True while the handle belongs to an existing window. Any thread.
bool IsWindow(WindowHandle window);

/// Dispatches everything queued for the calling user-interface thread (window
/// system events, timers, sent and posted messages) and returns true when the
/// application has been asked to quit. Waits call it to keep the windows alive;
/// the application installs it as the object layer's pump hook. Off the
/// user-interface thread it dispatches nothing and only reports a quit.
bool PumpMessages();

/// Asks the application to quit: every modal loop running now ends (its run
/// returns -1), later ones end at once, and `PumpMessages` reports the quit from
/// now on. Any thread.
void PostQuitMessage(int exitCode = 0);

/// True once a quit has been asked for.
bool IsQuitRequested();

} // namespace win
