#include "ui/PictureButton.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

PictureButton::PictureButton(QPixmap picture, const QColor& background, QWidget* parent)
    : QWidget(parent), m_picture(std::move(picture)), m_background(background)
{
    // A click gives it the focus (so leaving a field for it runs the field's check); the Tab
    // key passes it by.
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::PointingHandCursor);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.drawPixmap(0, 0, m_picture);
}

void PictureButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = true;
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        event->ignore();
        return;
    }
    m_pressed = false;
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}
