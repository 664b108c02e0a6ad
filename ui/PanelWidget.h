#pragma once

#include <QLine>
#include <QList>
#include <QWidget>

// The dark panel beneath the captions and fields: filled solid, with a two-pixel border, and
// the leader lines from the captions towards their fields drawn on it.
class PanelWidget : public QWidget
{
    Q_OBJECT
public:
    // `lines` are in the coordinates of the panel's parent, as the layout gives them.
    explicit PanelWidget(QList<QLine> lines, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<QLine> m_lines;
};
