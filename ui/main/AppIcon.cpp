#include <ui/main/AppIcon.h>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1F, 0x5F, 0xA8));
    painter.drawEllipse(QRectF(2, 2, 60, 60));

    // The handset: a thick arc for the grip with an ear piece and a mouth
    // piece at its ends, lying diagonally.
    painter.translate(32, 32);
    painter.rotate(-45);
    QPen grip(Qt::white, 7, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(grip);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(-17, -12, 34, 30), 20 * 16, 140 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(-22, -4, 14, 9), 3, 3);
    painter.drawRoundedRect(QRectF(8, -4, 14, 9), 3, 3);
    return pixmap;
}

} // namespace

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(DrawIcon(size));
    return icon;
}
