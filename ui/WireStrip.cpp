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

// Drawn ten times a second on the line's thread: the bars of each look go in one call, the
// legend is drawn once and kept.
void WireStrip::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.base());
    painter.setFont(smallFont());
    const QFontMetrics metrics = painter.fontMetrics();

    const double right = m_nowMs;
    const double left = right - spanMs;
    const double perMs = double(width() - 1) / spanMs;
    const auto x = [&](double ms) { return (ms - left) * perMs; };
    const QRectF band(0, legendHeight + labelHeight, width(),
                      height() - legendHeight - labelHeight - axisHeight);

    // A second's grid, numbered in seconds since Start.
    QList<QLineF> grid;
    for (double second = std::ceil(std::max(left, 0.0) / 1000); second * 1000 <= right; ++second)
        grid.append(QLineF(x(second * 1000), band.top(), x(second * 1000), band.bottom()));
    painter.setPen(colours.color(QPalette::Mid));
    painter.drawLines(grid);
    painter.setPen(colours.color(QPalette::Text));
    const double baseline =
        band.bottom() + (axisHeight + metrics.ascent() - metrics.descent()) / 2.0;
    for (const QLineF& line : grid)
        painter.drawText(QPointF(line.x1() + 2, baseline), QStringLiteral("%1 s").arg(std::lround(
                                                               (line.x1() / perMs + left) / 1000)));

    // Newest first, back to the strip's left edge, of the current run only.
    Bars bars;
    QList<std::pair<double, QString>> faultNames;
    for (int row = m_history.entryCount() - 1; row >= 0; --row) {
        const LineHistory::Entry& entry = m_history.entry(row);
        if (entry.run != m_history.currentRun() || entry.pages.isEmpty() ||
            entry.pages.last().wireEndMs < left)
            break;
        const bool broken = !entry.fault.isEmpty();
        for (qsizetype page = 0; page < entry.pages.size(); ++page) {
            const LineHistory::Page& on = entry.pages[page];
            const double start = x(on.wireStartMs);
            bars.add(QRectF(start, band.top() + 2, std::max(2.0, x(on.wireEndMs) - start),
                            band.height() - 4),
                     page, entry.sent(), broken);
        }
        if (broken)
            faultNames.append({x(entry.pages.first().wireStartMs), entry.fault});
    }
    bars.draw(painter, colours);
    // Each broken data string's fault above it, within the strip.
    painter.setPen(colours.color(QPalette::Text));
    for (const auto& [at, name] : faultNames)
        painter.drawText(QPointF(std::min(at, width() - metrics.horizontalAdvance(name) - 2.0),
                                 legendHeight + labelHeight - metrics.descent() - 1),
                         name);

    painter.drawPixmap(0, 0, legend());
}

QFont WireStrip::smallFont() const
{
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    return small;
}

void WireStrip::Bars::add(const QRectF& bar, qsizetype page, bool sent, bool broken)
{
    (sent ? (page == 0 ? firstPages : laterPages) : leftOut).append(bar);
    if (broken)
        this->broken.append(bar);
}

void WireStrip::Bars::draw(QPainter& painter, const QPalette& colours) const
{
    const QColor first = colours.color(QPalette::Highlight);
    painter.setPen(first.darker(150));
    painter.setBrush(first);
    painter.drawRects(firstPages);
    painter.setBrush(first.lighter(160));
    painter.drawRects(laterPages);
    painter.setPen(QPen(colours.color(QPalette::Text), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRects(leftOut);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(colours.color(QPalette::Text), Qt::BDiagPattern));
    painter.drawRects(broken);
}

// What each look means, drawn again only when the palette or the font changes.
const QPixmap& WireStrip::legend()
{
    const qint64 paletteKey = palette().cacheKey();
    if (!m_legend.isNull() && m_legendPalette == paletteKey && m_legendFont == font())
        return m_legend;
    m_legendPalette = paletteKey;
    m_legendFont = font();
    const QFont small = smallFont();
    const QFontMetrics metrics(small);
    const QList<std::tuple<QString, int, bool, bool>> looks{
        {QStringLiteral("page 1"), 0, true, false},
        {QStringLiteral("page 2"), 1, true, false},
        {QStringLiteral("broken by a fault"), 0, true, true},
        {QStringLiteral("left out"), 0, false, false}};
    int width = 4;
    for (const auto& look : looks)
        width += 18 + metrics.horizontalAdvance(std::get<0>(look)) + 14;
    const qreal ratio = devicePixelRatioF();
    m_legend = QPixmap(QSize(width, legendHeight) * ratio);
    m_legend.setDevicePixelRatio(ratio);
    m_legend.fill(palette().color(QPalette::Base));
    QPainter painter(&m_legend);
    painter.setFont(small);
    double at = 4;
    for (const auto& [name, page, sent, broken] : looks) {
        Bars bar;
        bar.add(QRectF(at, 3, 14, legendHeight - 6), page, sent, broken);
        bar.draw(painter, palette());
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRectF(at + 18, 0, metrics.horizontalAdvance(name) + 2, legendHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        at += 18 + metrics.horizontalAdvance(name) + 14;
    }
    return m_legend;
}
