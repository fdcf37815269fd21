#include <window/Fonts.h>

#include <QApplication>
#include <QFontDatabase>
#include <QWidget>

namespace win {

QFont GetStockFont(StockFont font)
{
    switch (font) {
    case StockFont::AnsiVariable:
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    case StockFont::AnsiFixed:
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    }
    return {};
}

QFont BoldFont(const QFont &font)
{
    QFont bold = font;
    bold.setWeight(QFont::Bold);
    return bold;
}

QFont UnderlinedFont(const QFont &font)
{
    QFont underlined = font;
    underlined.setUnderline(true);
    return underlined;
}

QCursor HandCursor()
{
    return QCursor(Qt::PointingHandCursor);
}

void SetCapture(QWidget *widget)
{
    if (widget)
        widget->grabMouse();
}

void ReleaseCapture()
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

QWidget *GetCapture()
{
    return QWidget::mouseGrabber();
}

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace win
