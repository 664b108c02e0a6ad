#include "ui/LampWidget.h"

#include <QPainter>

#include <algorithm>

LampWidget::LampWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void LampWidget::setColours(const QColor& fill, const QColor& border)
{
    if (fill == m_fill && border == m_border)
        return;
    m_fill = fill;
    m_border = border;
    update();
}

QRectF LampWidget::circle() const
{
    const qreal diameter = std::min(width(), height());
    return {(width() - diameter) / 2.0, (height() - diameter) / 2.0, diameter, diameter};
}

void LampWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_border, 1));
    painter.setBrush(m_fill);
    // The pen straddles the outline: pull it in by half its width to stay inside the box.
    painter.drawEllipse(circle().adjusted(0.5, 0.5, -0.5, -0.5));
}
