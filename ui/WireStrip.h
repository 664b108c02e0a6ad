#pragma once

#include <QFont>
#include <QList>
#include <QPixmap>
#include <QRectF>
#include <QWidget>

class QPainter;

class LineHistory;

// The last seconds of the line as a timeline, live, as the README's timing diagram draws a
// run: each page of a data string a bar from its first to its last byte at the line rate.
// First and second pages, data strings broken by a fault and those left out each look their
// own way, in the desktop's colours.
class WireStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr double spanMs = 10000;

    explicit WireStrip(const LineHistory& history, QWidget* parent = nullptr);

    // The strip ends at `nowMs`, in ms since the Start of the history's current run.
    void showUpTo(double nowMs);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The bars of one picture, by their look.
    struct Bars {
        QList<QRectF> firstPages;
        QList<QRectF> laterPages;
        QList<QRectF> leftOut;
        QList<QRectF> broken; // drawn over, hatched
        void add(const QRectF& bar, qsizetype page, bool sent, bool broken);
        void draw(QPainter& painter, const QPalette& colours) const;
    };

    QFont smallFont() const;
    const QPixmap& legend();

    const LineHistory& m_history;
    double m_nowMs = 0;
    QPixmap m_legend;
    qint64 m_legendPalette = 0;
    QFont m_legendFont;
};
