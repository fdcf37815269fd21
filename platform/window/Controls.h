// Dialog controls by kind: how a dialog declares them, how they are created
// over Qt widgets, and the operations every kind shares (text, state).
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace win {

/// The kinds of child controls a dialog can declare.
enum class ControlKind {
    PushButton,
    DefaultButton, ///< push button pressed by Enter
    CheckBox,
    RadioButton,
    Edit,          ///< single-line edit field
    MultiLineEdit, ///< multi-line edit field with a vertical scroll bar
    Static,        ///< static text
    StatusLine,    ///< sunken static text of one line, cut to its width (the whole text as tooltip)
    GroupBox,
    DropDownList, ///< combo box whose list is the only choice, with item data
    ListBox,      ///< list with item data
    ListView,     ///< report-style list with columns and item data
    UpDown,       ///< pair of arrows with a range, optionally bound to a buddy edit
    Trackbar,     ///< slider with a range
};

/// Style bits of a declared control.
namespace Style {
inline constexpr unsigned Disabled = 1u << 0;
inline constexpr unsigned Hidden = 1u << 1;
inline constexpr unsigned ReadOnly = 1u << 2;          ///< edits
inline constexpr unsigned Sorted = 1u << 3;            ///< drop-down lists and list boxes
inline constexpr unsigned MultipleSelection = 1u << 4; ///< list boxes: a click toggles an entry
inline constexpr unsigned ExtendedSelection = 1u << 5; ///< list boxes: Shift and Ctrl extend the selection
inline constexpr unsigned Checked = 1u << 6;           ///< check boxes and radio buttons
inline constexpr unsigned Vertical = 1u << 7;          ///< up-downs and trackbars (default horizontal)
inline constexpr unsigned ManualCheck = 1u << 8;       ///< check boxes that a click does not toggle
} // namespace Style

/// One control of a dialog, as a row of the dialog's control table. `caption`
/// is UTF-8 and may carry an `&` mnemonic; `buddy` names the edit an up-down
/// shows its position in.
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char *caption = "";
    unsigned style = 0;
    int buddy = 0;
};

/// What a control tells its dialog.
enum class Notify {
    Clicked,    ///< a button, check box or radio button was clicked
    SelChange,  ///< the user changed the selection of a list
    TextChange, ///< an edit's text changed (also when set by the program)
    Scroll,     ///< an up-down was stepped (value: the step) or a trackbar moved (value: its position)
};

using NotifySink = std::function<void(Notify code, int value)>;

/// A single-line edit's undo history covers at most this many of the user's
/// edits: then it starts again from the text as it stands (text, cursor,
/// selection and modified flag unchanged), so it never grows without end.
inline constexpr int kEditsPerUndoHistory = 256;

/// Creates the widget for `entry` (without parent; the dialog's layout places
/// it) and connects its user actions to `sink`. Buddies are bound by the dialog.
QWidget *CreateControl(const ControlTemplate &entry, NotifySink sink);
/// Connects the user actions of a widget of `kind` (see `WidgetMatchesKind`) to `sink`.
void ConnectControl(QWidget &widget, ControlKind kind, NotifySink sink);

/// True when `widget` is the Qt widget class that controls of `kind` are made
/// of (a subclass will do), so the dialog can address it by that kind.
bool WidgetMatchesKind(const QWidget &widget, ControlKind kind);

/// Sets the caption or text of a control. False for kinds without a text
/// (lists, up-downs, trackbars). An edit whose text does not change is left
/// alone, so it sends no change notification.
bool SetControlText(QWidget &widget, ControlKind kind, const QString &text);
/// The caption or text of a control (the selected entry's text for a drop-down
/// list); empty for kinds without a text.
QString ControlText(const QWidget &widget, ControlKind kind);

} // namespace win
