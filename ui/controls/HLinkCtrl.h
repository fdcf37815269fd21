// A static text that behaves like a web link: its text is the address it
// opens, drawn underlined in blue, red while the mouse is over it and purple
// once it has been opened; it shows the pointing hand, and a left click opens
// the address with the desktop's handler (win::OpenAddress).
#pragma once

#include <QColor>
#include <QLabel>

/// User-interface thread only. A dialog registers it as a static control;
/// whoever owns it sets its text. While the mouse is over the link the link
/// holds the mouse capture, so it hears the move that leaves it; that move
/// releases the capture and other windows get the mouse again.
class CHLinkCtrl : public QLabel {
public:
    enum State {
        Normal = 0,  ///< not opened yet
        Hovered = 1, ///< the mouse is over the link
        Opened = 2,  ///< opened successfully
    };

    /// Text colours (the COLORREF values 0xFF0000, 0x0000FF and 0x800080).
    static inline const QColor kUnvisitedColour{0x00, 0x00, 0xFF};
    static inline const QColor kHoverColour{0xFF, 0x00, 0x00};
    static inline const QColor kVisitedColour{0x80, 0x00, 0x80};

    explicit CHLinkCtrl(const QString &address = {}, QWidget *parent = nullptr);

    State GetState() const { return state_; }
    /// The colour the text is drawn in now.
    QColor TextColour() const;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    /// Draws the text underlined in the state's colour, on no background.
    void paintEvent(QPaintEvent *event) override;

private:
    /// Opens the text as an address; on success the link counts as opened.
    void Open();

    State state_ = Normal;
    State stateBeforeHover_ = Normal;
};
