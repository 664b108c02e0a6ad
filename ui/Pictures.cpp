#include "ui/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace Pictures
{

QPixmap windowIcon()
{
    return windowIcon(32);
}

QPixmap windowIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn in 32 units; at 32 pixels no transform at all, so that the window's icon is drawn
    // exactly as it always was.
    if (size != 32)
        painter.scale(size / 32.0, size / 32.0);

    // A PLC box with a lit running lamp and a stopped lamp.
    painter.setPen(QPen(QColor(32, 32, 32), 1));
    painter.setBrush(QColor(64, 64, 64));
    painter.drawRoundedRect(QRectF(3.5, 3.5, 25, 19), 3, 3);
    painter.setBrush(QColor(51, 255, 102));
    painter.drawEllipse(QRectF(7.5, 8.5, 8, 8));
    painter.setBrush(QColor(100, 0, 0));
    painter.drawEllipse(QRectF(17.5, 8.5, 8, 8));

    // The line leaving it.
    painter.setPen(QPen(QColor(255, 160, 64), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(16, 23), QPointF(16, 27));
    painter.drawLine(QPointF(16, 27), QPointF(29, 27));
    return pixmap;
}

QPixmap launcher()
{
    QPixmap pixmap(27, 27);
    pixmap.fill(QColor(255, 224, 192));
    QPainter painter(&pixmap);

    // A monitor: frame, dark screen, stand.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(96, 96, 96));
    painter.drawRect(1, 2, 25, 18);
    painter.setBrush(QColor(0, 32, 64));
    painter.drawRect(3, 4, 21, 14);
    painter.setBrush(QColor(96, 96, 96));
    painter.drawRect(11, 20, 5, 3);
    painter.drawRect(7, 23, 13, 2);

    // A trend line on the screen.
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath trend;
    trend.moveTo(4, 15);
    trend.lineTo(8, 11);
    trend.lineTo(12, 13);
    trend.lineTo(16, 7);
    trend.lineTo(19, 9);
    trend.lineTo(23, 5);
    painter.setPen(QPen(QColor(51, 255, 102), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(trend);
    return pixmap;
}

} // namespace Pictures
