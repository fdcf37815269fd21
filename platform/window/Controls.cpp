#include <window/Controls.h>

#include <window/UpDown.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTreeWidget>

namespace win {

namespace {

bool Has(const ControlTemplate &entry, unsigned style)
{
    return (entry.style & style) != 0;
}

// A status line: one line of text that never asks for more width than a few
// characters, so a long report cannot widen its window; a text wider than the
// line is shown cut with "...", and the whole text is the line's tooltip.
class StatusLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override { return OneLine(); }
    QSize sizeHint() const override { return OneLine(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        drawFrame(&painter);
        const QRect area = contentsRect().adjusted(margin() + indent(), margin(), -margin(), -margin());
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }

private:
    QSize OneLine() const
    {
        const QFontMetrics metrics = fontMetrics();
        const int frame = 2 * frameWidth();
        return {metrics.averageCharWidth() * 8 + frame, metrics.height() + frame};
    }
};

QWidget *CreateButton(const ControlTemplate &entry, const QString &caption)
{
    QAbstractButton *button = nullptr;
    switch (entry.kind) {
    case ControlKind::CheckBox: {
        auto *box = new QCheckBox(caption);
        if (Has(entry, Style::ManualCheck)) {
            // The click toggled the box; undo that so only the program sets it.
            QObject::connect(box, &QCheckBox::clicked, box, [box](bool checked) { box->setChecked(!checked); });
        }
        button = box;
        break;
    }
    case ControlKind::RadioButton:
        button = new QRadioButton(caption);
        break;
    default: {
        auto *push = new QPushButton(caption);
        push->setDefault(entry.kind == ControlKind::DefaultButton);
        button = push;
        break;
    }
    }
    button->setChecked(Has(entry, Style::Checked));
    return button;
}

// QLineEdit keeps every change the user makes, for undo, until the program
// sets its text: a field typed into again and again (a number for every call)
// would grow for as long as the window lives (see kEditsPerUndoHistory).

// Empties a line edit's undo history; text, cursor, selection and the modified
// flag stay as they are, and nobody is notified (nothing they see changed).
void RestartUndoHistory(QLineEdit &edit)
{
    const QSignalBlocker quiet(&edit);
    const int cursor = edit.cursorPosition();
    const int selectionStart = edit.selectionStart();
    const int selectionLength = edit.selectionLength();
    const bool modified = edit.isModified();
    edit.setText(edit.text()); // setting the text is what empties the history
    if (selectionLength > 0 && cursor == selectionStart)
        edit.setSelection(selectionStart + selectionLength, -selectionLength);
    else if (selectionLength > 0)
        edit.setSelection(selectionStart, selectionLength);
    else
        edit.setCursorPosition(cursor);
    edit.setModified(modified);
}

void BoundUndoHistory(QLineEdit &edit)
{
    // Queued: the history is restarted once the edit has finished the change
    // that was counted, never in the middle of it.
    QObject::connect(
        &edit, &QLineEdit::textEdited, &edit,
        [&edit, edits = 0]() mutable {
            if (++edits < kEditsPerUndoHistory)
                return;
            edits = 0;
            RestartUndoHistory(edit);
        },
        Qt::QueuedConnection);
}

QWidget *CreateEdit(const ControlTemplate &entry, const QString &caption)
{
    if (entry.kind == ControlKind::MultiLineEdit) {
        auto *edit = new QPlainTextEdit(caption);
        edit->setReadOnly(Has(entry, Style::ReadOnly));
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return edit;
    }
    auto *edit = new QLineEdit(caption);
    edit->setReadOnly(Has(entry, Style::ReadOnly));
    BoundUndoHistory(*edit);
    return edit;
}

QWidget *CreateStatic(const ControlTemplate &entry, const QString &caption)
{
    auto *label = entry.kind == ControlKind::StatusLine ? new StatusLabel(caption) : new QLabel(caption);
    // Texts come from TAPI providers and users; never interpret them as markup.
    label->setTextFormat(Qt::PlainText);
    if (entry.kind == ControlKind::StatusLine) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    return label;
}

QWidget *CreateList(const ControlTemplate &entry)
{
    const bool sorted = Has(entry, Style::Sorted);
    switch (entry.kind) {
    case ControlKind::DropDownList: {
        auto *combo = new QComboBox;
        combo->setProperty("winSorted", sorted);
        return combo;
    }
    case ControlKind::ListBox: {
        auto *list = new QListWidget;
        list->setProperty("winSorted", sorted);
        list->setSelectionMode(Has(entry, Style::MultipleSelection)   ? QAbstractItemView::MultiSelection
                               : Has(entry, Style::ExtendedSelection) ? QAbstractItemView::ExtendedSelection
                                                                      : QAbstractItemView::SingleSelection);
        return list;
    }
    default: {
        auto *view = new QTreeWidget;
        view->setRootIsDecorated(false);
        view->setUniformRowHeights(true);
        view->setAllColumnsShowFocus(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setColumnCount(0);
        view->header()->setStretchLastSection(false);
        return view;
    }
    }
}

QWidget *CreateRanged(const ControlTemplate &entry)
{
    const auto orientation = Has(entry, Style::Vertical) ? Qt::Vertical : Qt::Horizontal;
    if (entry.kind == ControlKind::UpDown)
        return new UpDown(orientation);
    return new QSlider(orientation);
}

} // namespace

QWidget *CreateControl(const ControlTemplate &entry, NotifySink sink)
{
    const QString caption = QString::fromUtf8(entry.caption ? entry.caption : "");
    QWidget *widget = nullptr;
    switch (entry.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        widget = CreateButton(entry, caption);
        break;
    case ControlKind::Edit:
    case ControlKind::MultiLineEdit:
        widget = CreateEdit(entry, caption);
        break;
    case ControlKind::Static:
    case ControlKind::StatusLine:
        widget = CreateStatic(entry, caption);
        break;
    case ControlKind::GroupBox:
        widget = new QGroupBox(caption);
        break;
    case ControlKind::DropDownList:
    case ControlKind::ListBox:
    case ControlKind::ListView:
        widget = CreateList(entry);
        break;
    case ControlKind::UpDown:
    case ControlKind::Trackbar:
        widget = CreateRanged(entry);
        break;
    }
    widget->setEnabled(!Has(entry, Style::Disabled));
    ConnectControl(*widget, entry.kind, std::move(sink));
    return widget;
}

void ConnectControl(QWidget &widget, ControlKind kind, NotifySink sink)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        auto *button = static_cast<QAbstractButton *>(&widget);
        QObject::connect(button, &QAbstractButton::clicked, button, [sink] { sink(Notify::Clicked, 0); });
        return;
    }
    case ControlKind::Edit: {
        auto *edit = static_cast<QLineEdit *>(&widget);
        QObject::connect(edit, &QLineEdit::textChanged, edit, [sink] { sink(Notify::TextChange, 0); });
        return;
    }
    case ControlKind::MultiLineEdit: {
        auto *edit = static_cast<QPlainTextEdit *>(&widget);
        QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [sink] { sink(Notify::TextChange, 0); });
        return;
    }
    case ControlKind::Static:
    case ControlKind::StatusLine:
    case ControlKind::GroupBox:
        return;
    case ControlKind::DropDownList: {
        // `activated` comes from the user only; the program's selections stay silent.
        auto *combo = static_cast<QComboBox *>(&widget);
        QObject::connect(combo, &QComboBox::activated, combo, [sink] { sink(Notify::SelChange, 0); });
        return;
    }
    // The list operations block these signals while the program changes a list.
    case ControlKind::ListBox: {
        auto *list = static_cast<QListWidget *>(&widget);
        QObject::connect(list, &QListWidget::itemSelectionChanged, list, [sink] { sink(Notify::SelChange, 0); });
        return;
    }
    case ControlKind::ListView: {
        auto *view = static_cast<QTreeWidget *>(&widget);
        QObject::connect(view, &QTreeWidget::itemSelectionChanged, view, [sink] { sink(Notify::SelChange, 0); });
        return;
    }
    case ControlKind::UpDown:
        static_cast<UpDown &>(widget).SetOnStep([sink](int delta) { sink(Notify::Scroll, delta); });
        return;
    case ControlKind::Trackbar: {
        // Only the user's moves notify (a click on the track, a key, every step
        // of a drag); positions set by the program stay silent.
        auto *slider = static_cast<QSlider *>(&widget);
        QObject::connect(slider, &QSlider::actionTriggered, slider,
                         [slider, sink] { sink(Notify::Scroll, slider->sliderPosition()); });
        return;
    }
    }
}

bool WidgetMatchesKind(const QWidget &widget, ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
        return qobject_cast<const QPushButton *>(&widget) != nullptr;
    case ControlKind::CheckBox:
        return qobject_cast<const QCheckBox *>(&widget) != nullptr;
    case ControlKind::RadioButton:
        return qobject_cast<const QRadioButton *>(&widget) != nullptr;
    case ControlKind::Edit:
        return qobject_cast<const QLineEdit *>(&widget) != nullptr;
    case ControlKind::MultiLineEdit:
        return qobject_cast<const QPlainTextEdit *>(&widget) != nullptr;
    case ControlKind::Static:
    case ControlKind::StatusLine:
        return qobject_cast<const QLabel *>(&widget) != nullptr;
    case ControlKind::GroupBox:
        return qobject_cast<const QGroupBox *>(&widget) != nullptr;
    case ControlKind::DropDownList:
        return qobject_cast<const QComboBox *>(&widget) != nullptr;
    case ControlKind::ListBox:
        return qobject_cast<const QListWidget *>(&widget) != nullptr;
    case ControlKind::ListView:
        return qobject_cast<const QTreeWidget *>(&widget) != nullptr;
    case ControlKind::UpDown:
        return dynamic_cast<const UpDown *>(&widget) != nullptr;
    case ControlKind::Trackbar:
        return qobject_cast<const QSlider *>(&widget) != nullptr;
    }
    return false;
}

bool SetControlText(QWidget &widget, ControlKind kind, const QString &text)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        static_cast<QAbstractButton &>(widget).setText(text);
        return true;
    case ControlKind::Edit: {
        auto &edit = static_cast<QLineEdit &>(widget);
        if (edit.text() != text)
            edit.setText(text);
        return true;
    }
    case ControlKind::MultiLineEdit: {
        auto &edit = static_cast<QPlainTextEdit &>(widget);
        if (edit.toPlainText() != text)
            edit.setPlainText(text);
        return true;
    }
    case ControlKind::Static:
        static_cast<QLabel &>(widget).setText(text);
        return true;
    case ControlKind::StatusLine:
        // The line may be too narrow for the whole text.
        static_cast<QLabel &>(widget).setText(text);
        widget.setToolTip(text);
        return true;
    case ControlKind::GroupBox:
        static_cast<QGroupBox &>(widget).setTitle(text);
        return true;
    case ControlKind::DropDownList:
    case ControlKind::ListBox:
    case ControlKind::ListView:
    case ControlKind::UpDown:
    case ControlKind::Trackbar:
        return false;
    }
    return false;
}

QString ControlText(const QWidget &widget, ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        return static_cast<const QAbstractButton &>(widget).text();
    case ControlKind::Edit:
        return static_cast<const QLineEdit &>(widget).text();
    case ControlKind::MultiLineEdit:
        return static_cast<const QPlainTextEdit &>(widget).toPlainText();
    case ControlKind::Static:
    case ControlKind::StatusLine:
        return static_cast<const QLabel &>(widget).text();
    case ControlKind::GroupBox:
        return static_cast<const QGroupBox &>(widget).title();
    case ControlKind::DropDownList:
        return static_cast<const QComboBox &>(widget).currentText();
    case ControlKind::ListBox:
    case ControlKind::ListView:
    case ControlKind::UpDown:
    case ControlKind::Trackbar:
        return {};
    }
    return {};
}

} // namespace win
