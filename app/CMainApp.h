// The application object: starts the TAPI session with the application's
// own line, call and phone classes, runs the main window modally for the
// whole run, and tells the event bridge where the main window is.
#pragma once

#include <window/Dialog.h>
#include <window/Types.h>

#include <QPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class CMainApp {
public:
    /// Makes the main window for a preferred line device name (the command
    /// line). `app` does not know the window's class; the executable does.
    using MainWindowFactory = std::function<std::unique_ptr<win::Dialog>(const QString &preferredLine)>;

    CMainApp() = default;
    CMainApp(const CMainApp &) = delete;
    CMainApp &operator=(const CMainApp &) = delete;

    /// Starts the session (`StartSession`); when that fails or there is no line
    /// device, shows "There are no TAPI devices installed!" and returns 1.
    /// Otherwise runs the main window modally until it closes, destroys it and
    /// returns 0. The session stays up; it shuts down at process exit.
    /// User-interface thread, with the application object of Qt in place.
    int InitInstance(const QString &commandLine, const MainWindowFactory &createMainWindow);

    /// Installs the message pump and the configuration dialog handler, then
    /// initialises the TAPI session as "Dialwerk" with `CMyLine`, `CMyCall` and
    /// `CMyPhone`, highest version 0x30000. Returns `Init`'s result.
    std::uint32_t StartSession();

    /// The main window as the event threads address it; null before the main
    /// window has recorded it. Any thread.
    win::WindowHandle GetMainWindowHandle() const { return mainWindowHandle_.load(); }
    /// Recorded by the main window as the first step of its initialisation.
    void SetMainWindowHandle(win::WindowHandle window) { mainWindowHandle_.store(window); }

    /// The main window object, for the result reporter; null when there is
    /// none or it has been deleted. User-interface thread.
    win::Dialog *GetMainWnd() const { return mainWindow_.data(); }
    void SetMainWnd(win::Dialog *window) { mainWindow_ = window; }

private:
    std::atomic<win::WindowHandle> mainWindowHandle_{win::WindowHandle::Null};
    QPointer<win::Dialog> mainWindow_; // user-interface thread only
};

/// The process's one application object.
CMainApp &GetMainApp();
