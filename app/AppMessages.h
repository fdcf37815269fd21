// Private window messages between the event bridge, whose hooks run on the
// TAPI event threads, and the windows on the user-interface thread. Sent
// messages hold the event thread until the window has handled them, so the
// objects they carry stay valid meanwhile; posted messages carry numbers only.
#pragma once

#include <window/Types.h>

#include <cstdint>

/// Sent to the main window: wParam the new call object (`CTapiCall`).
inline constexpr win::UINT WM_TAPI_NEWCALL = 0x8064;
/// Sent to the main window: lParam the call object whose state, information or media mode changed.
inline constexpr win::UINT WM_TAPI_CALLCHANGED = 0x8065;
/// Sent to the main window: wParam the address object, lParam the LINEADDRESSSTATE_ bits.
inline constexpr win::UINT WM_TAPI_ADDRESSCHANGED = 0x8066;
/// Sent to the main window: wParam the line object whose device state changed.
inline constexpr win::UINT WM_TAPI_LINECHANGED = 0x8067;
/// Posted to the main window: wParam the id of the button to draw attention to.
inline constexpr win::UINT WM_FLASH_CONTROL = 0x8068;
/// Posted to the main window: wParam the device id of a line that was added.
inline constexpr win::UINT WM_TAPI_LINECREATED = 0x8069;
/// Posted to the main window: wParam the device id of a line that was removed.
inline constexpr win::UINT WM_TAPI_LINEREMOVED = 0x806A;
/// Sent to the main window when a line is closed (LINE_CLOSE, or a close by the
/// program), before the line deletes its call objects: wParam the line object.
/// The window forgets the line's calls while they still exist.
inline constexpr win::UINT WM_TAPI_LINECLOSING = 0x806B;
/// Sent to the main window once the line is closed and its calls are gone:
/// wParam the line object.
inline constexpr win::UINT WM_TAPI_LINECLOSED = 0x806C;
/// Sent to the main window, which posts it on to the address's agent window:
/// wParam the address object, lParam the LINEAGENTSTATUS_ bits.
inline constexpr win::UINT WM_TAPI_AGENTCHANGED = 0x80C8;
/// Sent to a phone's phone window: wParam the PHONESTATE_ bits, lParam the state detail.
inline constexpr win::UINT WM_TAPI_PHONECHANGED = 0x812C;

/// An object as a message parameter, and back.
template <class T> win::WPARAM ObjectParam(T *object)
{
    return static_cast<win::WPARAM>(reinterpret_cast<std::uintptr_t>(object));
}
template <class T> T *ParamObject(win::WPARAM param)
{
    return reinterpret_cast<T *>(static_cast<std::uintptr_t>(param));
}
template <class T> T *ParamObject(win::LPARAM param)
{
    return reinterpret_cast<T *>(static_cast<std::uintptr_t>(param));
}
