#include "ui/WireStrip.h"

#include "ui/LineHistory.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{
constexpr int legendHeight = 16;
constexpr int axisHeight = 14;
constexpr int labelHeight = 12; // a fault's kind, above its bar
} // namespace

WireStrip::WireStrip(const LineHistory& history, QWidget* parent)
    : QWidget(parent), m_history(history)
{
    setAccessibleName(QStringLiteral("The wire"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize WireStrip::sizeHint() const
{
    return {600, legendHeight + labelHeight + 28 + axisHeight};
}

void WireStrip::showUpTo(double nowMs)
{
    m_nowMs = nowMs;
    update();
}

void WireStrip::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.base());
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    painter.setFont(small);

    const double right = m_nowMs;
    const double left = right - spanMs;
    const double perMs = double(width() - 1) / spanMs;
    const auto x = [&](double ms) { return (ms - left) * perMs; };
    const QRectF band(0, legendHeight + labelHeight, width(),
                      height() - legendHeight - labelHeight - axisHeight);

    // A second's grid, numbered in seconds since Start.
    for (double second = std::ceil(std::max(left, 0.0) / 1000); second * 1000 <= right; ++second) {
        const double at = x(second * 1000);
        painter.setPen(colours.color(QPalette::Mid));
        painter.drawLine(QPointF(at, band.top()), QPointF(at, band.bottom()));
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(QRectF(at + 2, band.bottom(), 60, axisHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("%1 s").arg(second));
    }

    const QColor first = colours.color(QPalette::Highlight);
    const QColor second = first.lighter(160);
    const QBrush faulted(colours.color(QPalette::Text), Qt::BDiagPattern);
    const QPen leftOutPen(colours.color(QPalette::Text), 1, Qt::DashLine);
    const auto drawBar = [&](const QRectF& bar, int page, bool sent, bool broken) {
        if (!sent) {
            painter.setPen(leftOutPen);
            painter.setBrush(Qt::NoBrush);
        } else {
            painter.setPen(first.darker(150));
            painter.setBrush(page == 0 ? first : second);
        }
        painter.drawRect(bar);
        if (broken)
            painter.fillRect(bar, faulted);
    };

    // Newest first, back to the strip's left edge, of the current run only.
    for (int row = m_history.entryCount() - 1; row >= 0; --row) {
        const LineHistory::Entry& entry = m_history.entry(row);
        if (entry.run != m_history.currentRun() || entry.pages.isEmpty() ||
            entry.pages.last().wireEndMs < left)
            break;
        const bool broken = !entry.fault.isEmpty();
        for (int page = 0; page < entry.pages.size(); ++page) {
            const LineHistory::Page& on = entry.pages[page];
            const double start = x(on.wireStartMs);
            const QRectF bar(start, band.top() + 2, std::max(2.0, x(on.wireEndMs) - start),
                             band.height() - 4);
            drawBar(bar, page, entry.sent, broken);
        }
        if (broken) { // its kind above it, within the strip
            const double textWidth = painter.fontMetrics().horizontalAdvance(entry.fault) + 2;
            const double at = std::min(x(entry.pages.first().wireStartMs), width() - textWidth);
            painter.setPen(colours.color(QPalette::Text));
            painter.drawText(QRectF(at, legendHeight, textWidth, labelHeight),
                             Qt::AlignLeft | Qt::AlignBottom, entry.fault);
        }
    }

    // What each look means.
    const QList<std::tuple<QString, int, bool, bool>> legend{
        {QStringLiteral("page 1"), 0, true, false},
        {QStringLiteral("page 2"), 1, true, false},
        {QStringLiteral("broken by a fault"), 0, true, true},
        {QStringLiteral("left out"), 0, false, false}};
    double at = 4;
    for (const auto& [name, page, sent, broken] : legend) {
        drawBar(QRectF(at, 3, 14, legendHeight - 6), page, sent, broken);
        painter.setPen(colours.color(QPalette::Text));
        const double textWidth = painter.fontMetrics().horizontalAdvance(name);
        painter.drawText(QRectF(at + 18, 0, textWidth + 2, legendHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        at += 18 + textWidth + 14;
    }
}
