// An up-down control: two arrows that step a position within a range and tell
// their dialog the step, optionally showing the position in a buddy edit. It
// takes the keyboard focus (Tab reaches it) and steps with the arrow keys.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QLineEdit;
class QToolButton;

namespace win {

class UpDown : public QWidget {
public:
    /// Horizontal: left steps by -1, right by +1. Vertical: up +1, down -1.
    explicit UpDown(Qt::Orientation orientation, QWidget *parent = nullptr);

    /// Sets the range (either order); the position is clamped into it.
    void SetRange(int low, int high);
    int Low() const { return low_; }
    int High() const { return high_; }

    /// Sets the position, clamped into the range, and shows it in the buddy. No notification.
    void SetPos(int position);
    /// The position; with a buddy, the number in the buddy's text when it holds one.
    int Pos() const;

    /// Shows the position in `edit` from now on.
    void SetBuddy(QLineEdit *edit);
    /// Called with each step the user takes, before the position moves.
    void SetOnStep(std::function<void(int)> onStep) { onStep_ = std::move(onStep); }

    /// Takes one step as a click on an arrow would: notifies, then moves the
    /// position by `delta` within the range. Nothing when disabled.
    void Step(int delta);

protected:
    /// Horizontal: Left steps by -1, Right by +1. Vertical: Up +1, Down -1.
    void keyPressEvent(QKeyEvent *event) override;
    /// Frames the arrows while the control has the focus.
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    Qt::Orientation orientation_;
    int low_ = 0;
    int high_ = 0;
    int position_ = 0;
    QPointer<QLineEdit> buddy_;
    std::function<void(int)> onStep_;
};

} // namespace win
