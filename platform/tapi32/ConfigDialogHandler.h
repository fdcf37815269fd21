// The configuration dialogs of lineConfigDialogW and phoneConfigDialogW are
// shown by whoever installs a handler here (the window platform does).
#ifndef DIALWERK_TAPI32_CONFIGDIALOGHANDLER_H
#define DIALWERK_TAPI32_CONFIGDIALOGHANDLER_H

#include <tapi.h>

#include <functional>
#include <string>

namespace tapi32 {

/// Which configuration dialog is asked for.
struct ConfigDialogRequest {
    bool phone = false; // phoneConfigDialogW (else lineConfigDialogW)
    DWORD deviceId = 0;
    HWND owner = nullptr;
    std::u16string deviceClass; // empty when none was given
};

/// Shows the dialog modally and answers 0 or an error code for the caller.
using ConfigDialogHandler = std::function<LONG(const ConfigDialogRequest &)>;

/// Installs the handler (an empty one removes it). Without a handler the
/// functions succeed without showing anything.
void setConfigDialogHandler(ConfigDialogHandler handler);

} // namespace tapi32

#endif
