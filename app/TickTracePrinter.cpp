#include "app/TickTracePrinter.h"

#include "core/SerialControl.h"

QString TickTracePrinter::line(qint64 msSinceStart, const QString& timer, const QStringList& texts)
{
    qint64 bytes = 0;
    QStringList shown;
    shown.reserve(texts.size());
    for (const QString& text : texts) {
        bytes += SerialControl::lineBytes(text).size() + 2; // and CR LF
        const bool quote =
            text.isEmpty() || text.contains(QLatin1Char(' ')) || text.contains(QLatin1Char('"'));
        shown.append(quote ? QLatin1Char('"') +
                                 QString(text).replace(QLatin1Char('"'), QLatin1String("\\\"")) +
                                 QLatin1Char('"')
                           : text);
    }
    QString line = QStringLiteral("%1 %2 %3").arg(msSinceStart).arg(timer).arg(bytes);
    if (!shown.isEmpty())
        line += QLatin1Char(' ') + shown.join(QLatin1Char(' '));
    return line;
}
