#include <ui/controls/HLinkCtrl.h>

#include <window/Fonts.h>
#include <window/Shell.h>

#include <QMouseEvent>
#include <QPainter>

CHLinkCtrl::CHLinkCtrl(const QString &address, QWidget *parent) : QLabel(address, parent)
{
    setTextFormat(Qt::PlainText);
    // Moves without a button pressed tell when the mouse comes over the link.
    setMouseTracking(true);
    setCursor(win::HandCursor());
}

QColor CHLinkCtrl::TextColour() const
{
    switch (state_) {
    case Normal:
        return kUnvisitedColour;
    case Opened:
        return kVisitedColour;
    case Hovered:
        return kHoverColour;
    }
    return kHoverColour;
}

void CHLinkCtrl::mouseMoveEvent(QMouseEvent *event)
{
    const bool inside = rect().contains(event->position().toPoint());
    if (inside && state_ != Hovered) {
        win::SetCapture(this);
        stateBeforeHover_ = state_;
        state_ = Hovered;
        update();
    } else if (!inside && (state_ == Hovered || win::GetCapture() == this)) {
        // A link opened while the mouse was over it is no longer Hovered but
        // still holds the capture: leaving releases it all the same.
        if (state_ == Hovered) {
            state_ = stateBeforeHover_;
            update();
        }
        win::ReleaseCapture();
    }
    QLabel::mouseMoveEvent(event);
}

void CHLinkCtrl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        Open();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CHLinkCtrl::Open()
{
    const win::WaitCursor wait;
    if (!win::OpenAddress(text()))
        return;
    state_ = Opened;
    update();
}

void CHLinkCtrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(win::UnderlinedFont(font()));
    painter.setPen(TextColour());
    painter.drawText(contentsRect(), int(alignment()), text());
}
