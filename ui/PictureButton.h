#pragma once

#include <QPixmap>
#include <QWidget>

// A clickable picture: the bitmap at its top left corner on the background colour. A click is
// a press and a release of the left button inside the picture, as with a button.
class PictureButton : public QWidget
{
    Q_OBJECT
public:
    PictureButton(QPixmap picture, const QColor& background, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
    QColor m_background;
    bool m_pressed = false;
};
