// Small pieces the feature dialogs share: tables of values with their texts,
// and the row of buttons at the foot of a dialog.
#pragma once

#include "TapiPlatform.h"

#include <QString>

#include <initializer_list>
#include <span>

class QHBoxLayout;

namespace win {
class Dialog;
}

/// A value and the text a dialog shows for it.
struct ValueText {
    DWORD value;
    const char *text;
};

/// The text of `value` in `table`, or `fallback` when the table does not list it.
QString TextOfValue(std::span<const ValueText> table, DWORD value, const char *fallback);

/// The dialog's buttons `ids` in a row, right-aligned, in the order given.
QHBoxLayout *ButtonRow(win::Dialog &dialog, std::initializer_list<int> ids);
