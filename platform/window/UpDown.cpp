#include <window/UpDown.h>

#include <QBoxLayout>
#include <QLineEdit>
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

UpDown::UpDown(Qt::Orientation orientation, QWidget *parent) : QWidget(parent)
{
    const bool horizontal = orientation == Qt::Horizontal;
    auto *decrement = ArrowButton(horizontal ? Qt::LeftArrow : Qt::DownArrow, this);
    auto *increment = ArrowButton(horizontal ? Qt::RightArrow : Qt::UpArrow, this);
    connect(decrement, &QToolButton::clicked, this, [this] { Step(-1); });
    connect(increment, &QToolButton::clicked, this, [this] { Step(+1); });

    auto *layout = new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    layout->setContentsMargins(0, 0, 0, 0);
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

} // namespace win
