// Fonts and cursors the windows use: the stock proportional and fixed fonts,
// bold and underlined variants, the hand and wait cursors, and mouse capture.
// User-interface thread only.
#pragma once

#include <QCursor>
#include <QFont>

class QWidget;

namespace win {

enum class StockFont {
    AnsiVariable, ///< the proportional font of dialog controls
    AnsiFixed,    ///< the fixed-pitch font of hexadecimal and display texts
};

/// A stock font of the desktop.
QFont GetStockFont(StockFont font);
/// `font` in bold (weight 700).
QFont BoldFont(const QFont &font);
/// `font` underlined.
QFont UnderlinedFont(const QFont &font);
/// The pointing-hand cursor of links.
QCursor HandCursor();

/// Sends all mouse input to `widget` until released (it must be visible).
void SetCapture(QWidget *widget);
/// Ends a mouse capture, if any.
void ReleaseCapture();
/// The widget holding the mouse capture, or null.
QWidget *GetCapture();

/// Shows the wait cursor for its lifetime.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace win
