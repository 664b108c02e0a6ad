#include "app/TickTracePrinter.h"

#include "app/RunStatusPrinter.h"
#include "core/TickRecord.h"
#include "core/TimerRoles.h"

#include <QStringList>

void TickTracePrinter::ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                              const TickRecord& tick)
{
    std::fprintf(m_out, "%s\n",
                 line(sinceStart.count(), timer.name(), tick).toLocal8Bit().constData());
    std::fflush(m_out);
}

void TickTracePrinter::end(const RunStatus& status)
{
    const QStringList lines = RunStatusPrinter::lines(status) << QStringLiteral("end");
    for (const QString& line : lines)
        std::fprintf(m_out, "%s\n", line.toLocal8Bit().constData());
    std::fflush(m_out);
}

// A control character (a garbled byte, noise) would upset the reader's terminal: \xHH instead.
QString TickTracePrinter::withControlsShown(const QString& text)
{
    QString shown;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
            shown += QStringLiteral("\\x") +
                     QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

QString TickTracePrinter::line(qint64 msSinceStart, const QString& timer, const TickRecord& tick)
{
    QStringList shown;
    shown.reserve(tick.lines.size());
    for (QString text : tick.lines) {
        if (text.endsWith(QLatin1String("\r\n")))
            text.chop(2);
        text = withControlsShown(text);
        const bool quote =
            text.isEmpty() || text.contains(QLatin1Char(' ')) || text.contains(QLatin1Char('"'));
        shown.append(quote ? QLatin1Char('"') +
                                 text.replace(QLatin1Char('"'), QLatin1String("\\\"")) +
                                 QLatin1Char('"')
                           : text);
    }
    // A tick whose data string the line left out put nothing on the line: its count says so.
    QString bytes =
        tick.sent ? QString::number(tick.bytes) : QStringLiteral("left-out:%1").arg(tick.bytes);
    // A tick of a data string broken on purpose: the kind of fault, and what it sent.
    if (!tick.fault.isEmpty())
        bytes = QStringLiteral("%1:%2").arg(tick.fault).arg(tick.bytes);
    QString line = QStringLiteral("%1 %2 %3").arg(msSinceStart).arg(timer, bytes);
    if (!shown.isEmpty())
        line += QLatin1Char(' ') + shown.join(QLatin1Char(' '));
    return line;
}
