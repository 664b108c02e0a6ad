#include "app/RunRecord.h"

#include "core/SerialControl.h"
#include "core/TimerRoles.h"
#include "core/UsageError.h"

RunRecord::RunRecord(const QString& path, Mode mode) : m_file(path)
{
    // Lines end in LF on every system, so that records diff alike whichever system wrote them.
    const QIODevice::OpenMode how = mode == Mode::Append ? QIODevice::Append : QIODevice::Truncate;
    if (!m_file.open(QIODevice::WriteOnly | how))
        throw UsageError(mode == Mode::Append ? QStringLiteral("--log-append")
                                              : QStringLiteral("--log"),
                         QStringLiteral("cannot write %1: %2").arg(path, m_file.errorString()));
}

QString RunRecord::shown(const QByteArray& bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r')
            text += QLatin1String("\\r");
        else if (byte == '\n')
            text += QLatin1String("\\n");
        else if (byte == '\t')
            text += QLatin1String("\\t");
        else if (byte == '\\')
            text += QLatin1String("\\\\");
        else if (byte < 0x20 || byte >= 0x7f)
            text += QStringLiteral("\\x") +
                    QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            text += QLatin1Char(char(byte));
    }
    return text;
}

void RunRecord::ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                       const TickRecord& tick)
{
    const qint64 msSinceStart = sinceStart.count();
    const QString set = TimerRoles::nameOf(timer.dataSet);
    QString marker = tick.sent ? QString() : QStringLiteral("left-out ");
    if (!tick.fault.isEmpty())
        marker = QStringLiteral("fault:%1 ").arg(tick.fault);
    if (!tick.faultNote.isEmpty())
        m_faultNotes.append(tick.faultNote);
    for (const QString& text : tick.lines) {
        const QByteArray bytes = SerialControl::lineBytes(text);
        write(QStringLiteral("%1 %2 %3 %4%5 |%6|")
                  .arg(msSinceStart)
                  .arg(timer.name(), set, marker, QString::fromLatin1(bytes.toHex(' ').toUpper()),
                       shown(bytes)));
    }
    m_dataStringBytes += tick.bytes;
    if (tick.closedDataString) {
        QString how = tick.sent ? QString() : QStringLiteral(" left out");
        if (!m_faultNotes.isEmpty())
            how = QStringLiteral(" (%1)").arg(m_faultNotes.join(QLatin1String("; ")));
        write(QStringLiteral("= %1 data string %2%3: %4 bytes")
                  .arg(msSinceStart)
                  .arg(++m_dataStrings)
                  .arg(how)
                  .arg(m_dataStringBytes));
        m_dataStringBytes = 0;
        m_faultNotes.clear();
    }
    m_file.flush();
}

void RunRecord::comment(const QString& text)
{
    write(QStringLiteral("# ") + text);
    m_file.flush();
}

void RunRecord::write(const QString& line)
{
    m_file.write(line.toUtf8() + '\n');
}
