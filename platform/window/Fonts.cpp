#include <window/Fonts.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QWidget>

namespace win {
namespace {

// Whether every printable ASCII glyph of `font` has the same advance. Font
// databases report fixed pitch from a flag that some monospaced fonts do not
// set (and some proportional ones do), so the glyphs themselves decide.
bool HasEqualAdvances(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('0'));
    if (advance <= 0)
        return false;
    for (char c = 0x20; c < 0x7F; ++c) {
        if (qAbs(metrics.horizontalAdvance(QLatin1Char(c)) - advance) > 0.01)
            return false;
    }
    return true;
}

// The desktop's fixed font when its glyphs really are of equal width, else
// the first installed family that is; the desktop's choice as a last resort.
QFont FixedPitchFont()
{
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (HasEqualAdvances(system))
        return system;
    QStringList candidates = {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                              QStringLiteral("Noto Mono"), QStringLiteral("FreeMono")};
    for (const QString &family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family))
            candidates.append(family);
    }
    for (const QString &family : candidates) {
        QFont font(system);
        font.setFamilies({family});
        font.setStyleHint(QFont::TypeWriter);
        if (HasEqualAdvances(font))
            return font;
    }
    return system;
}

} // namespace

QFont GetStockFont(StockFont font)
{
    switch (font) {
    case StockFont::AnsiVariable:
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    case StockFont::AnsiFixed:
        return FixedPitchFont();
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
