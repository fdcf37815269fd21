// Playing the user in window tests: each call acts on a dialog's control as a
// user would, so the dialog's handlers see the same notifications. Each returns
// false, doing nothing, when the control is missing, hidden or disabled, or is
// not of a kind the action applies to.
#pragma once

#include <QString>
#include <Qt>

class QWidget;

namespace win {
class Dialog;
}

namespace win::testing {

/// Clicks a push button, check box or radio button.
bool Click(Dialog &dialog, int id);
/// Chooses an entry of a drop-down list, list box or list view (selecting it alone).
bool ChooseItem(Dialog &dialog, int id, int index);
/// Chooses the entry with this text (ignoring case, as the list's own search does).
bool ChooseItem(Dialog &dialog, int id, const QString &text);
/// Ctrl-clicks an entry of a multiple- or extended-selection list box, toggling it.
bool ToggleItem(Dialog &dialog, int id, int index);
/// Replaces an edit's text by typing: clears it with one key, then types `text`
/// key by key (one change notification per character).
bool TypeText(Dialog &dialog, int id, const QString &text);
/// Clicks an up-down's arrow: +1 right or up, -1 left or down.
bool StepUpDown(Dialog &dialog, int id, int delta);
/// Drags a trackbar's thumb to `position`.
bool MoveTrackbar(Dialog &dialog, int id, int position);
/// Presses and releases a key at `widget` (the dialog itself for Esc and Enter).
void PressKey(QWidget &widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

} // namespace win::testing
