#pragma once

#include <QColor>
#include <QWidget>

// A round lamp: a circle as wide as the smaller side of its box, centred in the box, filled
// solid, with a one-pixel border.
class LampWidget : public QWidget
{
    Q_OBJECT
public:
    explicit LampWidget(QWidget* parent = nullptr);

    QColor fillColour() const { return m_fill; }
    QColor borderColour() const { return m_border; }
    void setColours(const QColor& fill, const QColor& border);

    // The circle's box within the widget.
    QRectF circle() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill;
    QColor m_border;
};
