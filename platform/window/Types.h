// Basic types and constants of the window platform: window handles, message
// parameters and the result codes of dialogs and message boxes.
#pragma once

#include <cstdint>

namespace win {

/// Message number. Private messages of the application live at WM_APP and above.
using UINT = std::uint32_t;
/// First message parameter (unsigned, pointer-sized on the platforms we build for).
using WPARAM = std::uint64_t;
/// Second message parameter (signed, pointer-sized).
using LPARAM = std::int64_t;
/// Result of a handled message.
using LRESULT = std::int64_t;

/// Opaque handle of a window. Handles are never reused within a process, so a
/// stale handle can never reach a newer window. The value 0 is no window.
enum class WindowHandle : std::uint64_t { Null = 0 };

/// A handle as a pointer-sized value, for interfaces that carry windows as
/// opaque native handles (the owner window of a provider's configuration
/// dialog, say), and back.
inline void *ToNativeHandle(WindowHandle window)
{
    return reinterpret_cast<void *>(static_cast<std::uintptr_t>(window));
}
inline WindowHandle FromNativeHandle(const void *native)
{
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(native));
}

/// Dialog and message box result codes.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

/// Window messages the platform itself understands when sent or posted.
inline constexpr UINT WM_CLOSE = 0x0010;   ///< runs the window's close hook
inline constexpr UINT WM_COMMAND = 0x0111; ///< wParam = control identifier; runs it as a click
inline constexpr UINT WM_APP = 0x8000;     ///< first private message number

} // namespace win
