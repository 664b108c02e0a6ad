#include "serial/ReceiverCheck.h"

#include "core/ErrorReporter.h"

#include <QStringList>

void ReceiverCheck::readerSet(const LineSettings& receiver) const
{
    if (const std::optional<QString> told = notice(receiver))
        m_reporter.notice(QStringLiteral("Data transmission"), *told);
}

std::optional<QString> ReceiverCheck::notice(const LineSettings& receiver) const
{
    QStringList differences;
    if (receiver.bitsPerSecond != m_sent.bitsPerSecond)
        differences.append(QStringLiteral("%1 bit/s").arg(receiver.bitsPerSecond));
    if (receiver.stopBits != m_sent.stopBits)
        differences.append(receiver.stopBits == LineSettings::StopBits::Two
                               ? QStringLiteral("2 stop bits")
                               : QStringLiteral("1 stop bit"));
    if (differences.isEmpty())
        return std::nullopt;
    return QStringLiteral("the receiver on %1 set %2; the line sends %3: on a real line it would "
                          "read garbage")
        .arg(m_readerPath, differences.join(QLatin1String(" and ")), m_sent.text());
}
