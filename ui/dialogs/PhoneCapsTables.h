// The names the phone features window shows for a button's function, its
// button mode bits and its lamp mode bits.
#pragma once

#include "TapiPlatform.h"

#include <QString>

/// The name of a PHONEBUTTONFUNCTION_ value; "0x%lx" for a value past the
/// published ones (47 and above).
QString ButtonFunctionName(DWORD function);
/// The names of the PHONEBUTTONMODE_ bits set in `modes`, in bit order, each
/// with its trailing blank; bits without a name add nothing.
QString ButtonModeNames(DWORD modes);
/// The names of the PHONELAMPMODE_ bits set in `modes`, likewise.
QString LampModeNames(DWORD modes);
