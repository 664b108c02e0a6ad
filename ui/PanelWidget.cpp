#include "ui/PanelWidget.h"

#include "ui/Look.h"

#include <QPainter>

PanelWidget::PanelWidget(QList<QLine> lines, QWidget* parent)
    : QWidget(parent), m_lines(std::move(lines))
{
    setFocusPolicy(Qt::NoFocus);
}

void PanelWidget::paintEvent(QPaintEvent*)
{
    constexpr int border = 2;
    QPainter painter(this);
    painter.fillRect(rect(), Look::activeBorder());
    painter.fillRect(rect().adjusted(border, border, -border, -border),
                     Look::colour(Colours::panel));
    painter.setPen(QPen(Look::scrollBar(), 1));
    for (const QLine& line : m_lines)
        painter.drawLine(line.translated(-pos()));
}
