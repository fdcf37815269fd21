#include <window/testing/UserInput.h>

#include <window/Dialog.h>
#include <window/UpDown.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>

namespace win::testing {

namespace {

// The control's widget when a user could act on it now.
template <class W> W *Reachable(Dialog &dialog, int id)
{
    auto *widget = dialog.Item<W>(id);
    if (!widget || !widget->isEnabled() || !widget->isVisibleTo(&dialog))
        return nullptr;
    return widget;
}

bool SelectRow(Dialog &dialog, int id, int index, QItemSelectionModel::SelectionFlags how)
{
    auto *view = Reachable<QAbstractItemView>(dialog, id);
    if (!view || index < 0 || index >= view->model()->rowCount())
        return false;
    const QModelIndex item = view->model()->index(index, 0);
    view->selectionModel()->setCurrentIndex(item, how | QItemSelectionModel::Rows);
    return true;
}

} // namespace

bool Click(Dialog &dialog, int id)
{
    auto *button = Reachable<QAbstractButton>(dialog, id);
    if (!button)
        return false;
    button->click();
    return true;
}

bool ChooseItem(Dialog &dialog, int id, int index)
{
    if (auto *combo = Reachable<QComboBox>(dialog, id)) {
        if (index < 0 || index >= combo->count())
            return false;
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return true;
    }
    return SelectRow(dialog, id, index, QItemSelectionModel::ClearAndSelect);
}

bool ChooseItem(Dialog &dialog, int id, const QString &text)
{
    const ListControl items = dialog.Items(id);
    if (items)
        return ChooseItem(dialog, id, items.FindStringExact(text));
    const ListView view = dialog.View(id);
    for (int row = 0; row < view.GetItemCount(); ++row) {
        if (view.GetItemText(row, 0) == text)
            return ChooseItem(dialog, id, row);
    }
    return false;
}

bool ToggleItem(Dialog &dialog, int id, int index)
{
    auto *list = dialog.Item<QListWidget>(id);
    if (!list || list->selectionMode() == QAbstractItemView::SingleSelection)
        return false;
    return SelectRow(dialog, id, index, QItemSelectionModel::Toggle);
}

bool TypeText(Dialog &dialog, int id, const QString &text)
{
    QWidget *edit = Reachable<QLineEdit>(dialog, id);
    if (!edit)
        edit = Reachable<QPlainTextEdit>(dialog, id);
    if (!edit)
        return false;
    edit->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    return true;
}

bool StepUpDown(Dialog &dialog, int id, int delta)
{
    auto *upDown = Reachable<UpDown>(dialog, id);
    if (!upDown)
        return false;
    upDown->Step(delta);
    return true;
}

bool MoveTrackbar(Dialog &dialog, int id, int position)
{
    auto *slider = Reachable<QSlider>(dialog, id);
    if (!slider)
        return false;
    // A drag: the thumb follows the mouse and each move is an action.
    slider->setSliderDown(true);
    slider->setSliderPosition(position);
    slider->setSliderDown(false);
    return true;
}

void PressKey(QWidget &widget, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(&widget, key, modifiers);
}

} // namespace win::testing
