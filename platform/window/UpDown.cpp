#include <window/UpDown.h>

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolButton>

#include <algorithm>

namespace win {

namespace {

QToolButton *ArrowButton(Qt::ArrowType arrow, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

UpDown::UpDown(Qt::Orientation orientation, QWidget *parent) : QWidget(parent), orientation_(orientation)
{
    // The arrows take no focus of their own: the control as a whole does.
    setFocusPolicy(Qt::StrongFocus);
    const bool horizontal = orientation == Qt::Horizontal;
    auto *decrement = ArrowButton(horizontal ? Qt::LeftArrow : Qt::DownArrow, this);
    auto *increment = ArrowButton(horizontal ? Qt::RightArrow : Qt::UpArrow, this);
    connect(decrement, &QToolButton::clicked, this, [this] { Step(-1); });
    connect(increment, &QToolButton::clicked, this, [this] { Step(+1); });

    auto *layout = new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    // Room for the focus frame around the arrows.
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(horizontal ? decrement : increment);
    layout->addWidget(horizontal ? increment : decrement);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void UpDown::SetRange(int low, int high)
{
    low_ = low;
    high_ = high;
    SetPos(Pos());
}

void UpDown::SetPos(int position)
{
    position_ = std::clamp(position, std::min(low_, high_), std::max(low_, high_));
    if (buddy_)
        buddy_->setText(QString::number(position_));
}

int UpDown::Pos() const
{
    if (buddy_) {
        bool ok = false;
        const int shown = buddy_->text().trimmed().toInt(&ok);
        if (ok)
            return shown;
    }
    return position_;
}

void UpDown::SetBuddy(QLineEdit *edit)
{
    buddy_ = edit;
    SetPos(position_);
}

void UpDown::Step(int delta)
{
    if (!isEnabled())
        return;
    // The step applies to what the handler leaves: it may have changed the
    // range or the position in answer to the step.
    if (onStep_)
        onStep_(delta);
    SetPos(Pos() + delta);
}

void UpDown::keyPressEvent(QKeyEvent *event)
{
    const bool horizontal = orientation_ == Qt::Horizontal;
    const int key = event->key();
    if ((horizontal && key == Qt::Key_Left) || (!horizontal && key == Qt::Key_Down)) {
        Step(-1);
        return;
    }
    if ((horizontal && key == Qt::Key_Right) || (!horizontal && key == Qt::Key_Up)) {
        Step(+1);
        return;
    }
    QWidget::keyPressEvent(event);
}

void UpDown::paintEvent(QPaintEvent *)
{
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void UpDown::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void UpDown::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
}

} // namespace win
