// The test process's application and a known platform state for each test.
#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

class QApplication;
class QWidget;

namespace win::testing {

/// The QApplication of the test process, created on first use on the calling
/// thread (which becomes the user-interface thread) on the offscreen platform
/// unless QT_QPA_PLATFORM says otherwise, with the "Windows" widget style. It
/// lives until the process ends.
QApplication &Application();

/// Puts the platform into the state tests start from: the application exists,
/// the clock is manual at `startTick`, no quit is pending, the message queue is
/// open, no modal bodies are queued, and the desktop hooks never block: a
/// message box is answered IDOK (or IDNO for a question), opening an address
/// fails, and Ctrl is up. Each unexpected message box or address is reported
/// with a warning.
void ResetPlatform(std::uint32_t startTick = 0);

/// Pumps messages on the user-interface thread until `condition` holds or
/// `timeout` (real time) passes; returns the condition. The thread sleeps while
/// nothing arrives, checking the condition at least every 5 ms, so conditions
/// set by other threads without a message are seen too.
bool PumpUntil(const std::function<bool()> &condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

/// Saves a picture of `widget` as `<build folder>/screenshots/<name>.png` (the
/// build folder from DIALWERK_BUILD_DIR, else the one the tests were built in). Returns the
/// path, or an empty text when the file could not be written.
QString SaveScreenshot(QWidget &widget, const QString &name);

} // namespace win::testing
