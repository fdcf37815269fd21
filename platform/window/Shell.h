// What windows ask of the desktop: message boxes, opening an address, and the
// state of the Ctrl key. Each goes through a hook that tests replace, so window
// tests run headless and can answer a question or read a message.
// User-interface thread only.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace win {

/// Buttons and icon of a message box; combine one button set with one icon.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_BUTTONMASK = 0x0F;
inline constexpr unsigned MB_ICONMASK = 0xF0;

/// A message box as the program asked for it; the text exactly as given.
struct MessageBoxRequest {
    QString text;
    QString caption; ///< the application's name when the program gave none
    unsigned type;
};

/// Answers a message box with IDOK, IDYES or IDNO.
using MessageBoxHook = std::function<int(const MessageBoxRequest &)>;
/// Opens an address; true on success.
using OpenAddressHook = std::function<bool(const QString &)>;
/// Whether the Ctrl key is held down now.
using CtrlKeyHook = std::function<bool()>;

/// Shows a modal message box owned by `owner` (may be null) and returns the
/// button chosen: IDOK for MB_OK, IDYES or IDNO for MB_YESNO. Windows keep
/// handling sent and posted messages while it is open.
int MessageBox(QWidget *owner, const QString &text, const QString &caption = {}, unsigned type = MB_OK);
/// Opens `address` (a web address or a file) with the desktop's handler.
/// False when nothing could open it.
bool OpenAddress(const QString &address);
/// True while the Ctrl key is held down.
bool IsCtrlKeyDown();

/// Replace the desktop behind the calls above; an empty hook restores the
/// default. Each returns the hook it replaced.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
OpenAddressHook SetOpenAddressHook(OpenAddressHook hook);
CtrlKeyHook SetCtrlKeyHook(CtrlKeyHook hook);

} // namespace win
