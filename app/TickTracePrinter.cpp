#include "app/TickTracePrinter.h"

#include "app/RunStatusPrinter.h"
#include "core/ErrorReporter.h"
#include "core/ShownInput.h"
#include "core/TickRecord.h"
#include "core/TimerRoles.h"

#include <QStringList>

TickTracePrinter::TickTracePrinter(std::shared_ptr<RecordFile> out, ErrorReporter& reporter,
                                   std::function<void()> readerGone)
    : m_out(std::move(out)), m_reporter(reporter), m_readerGone(std::move(readerGone))
{
}

TickTracePrinter::~TickTracePrinter() = default;

void TickTracePrinter::ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                              const TickRecord& tick)
{
    write({line(sinceStart.count(), timer.name(), tick)});
}

void TickTracePrinter::end(const RunStatus& status)
{
    write(RunStatusPrinter::lines(status) << QStringLiteral("end"));
    if (m_out)
        tell(m_out->finish(RecordFile::patienceAtEnd));
}

void TickTracePrinter::write(const QStringList& lines)
{
    if (m_out)
        tell(m_out->write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toLocal8Bit()));
}

void TickTracePrinter::tell(RecordFile::Written written)
{
    if (written == RecordFile::Written::Whole)
        return;
    if (written == RecordFile::Written::Failed)
        m_reporter.error(QStringLiteral("--trace"),
                         QStringLiteral("cannot write standard output: %1; the trace ends there, "
                                        "the run goes on")
                             .arg(m_out->failure()));
    m_out.reset();
    if (written == RecordFile::Written::ReaderGone && m_readerGone)
        m_readerGone();
}

QString TickTracePrinter::line(qint64 msSinceStart, const QString& timer, const TickRecord& tick)
{
    QStringList shown;
    shown.reserve(tick.lines.size());
    for (QString text : tick.lines) {
        if (text.endsWith(QLatin1String("\r\n")))
            text.chop(2);
        text = ShownInput::escaped(text);
        const bool quote =
            text.isEmpty() || text.contains(QLatin1Char(' ')) || text.contains(QLatin1Char('"'));
        shown.append(quote ? QLatin1Char('"') +
                                 text.replace(QLatin1Char('"'), QLatin1String("\\\"")) +
                                 QLatin1Char('"')
                           : text);
    }
    // A tick whose data string the line left out or lost put nothing on the line: its count
    // says so.
    static const char* const delivered[] = {"", "left-out:", "lost:"};
    QString bytes = QLatin1String(delivered[int(tick.delivery)]) + QString::number(tick.bytes);
    // A tick of a data string broken on purpose: the kind of fault, and what it sent.
    if (!tick.fault.isEmpty())
        bytes = QStringLiteral("%1:%2").arg(tick.fault).arg(tick.bytes);
    QString line = QStringLiteral("%1 %2 %3").arg(msSinceStart).arg(timer, bytes);
    if (!shown.isEmpty())
        line += QLatin1Char(' ') + shown.join(QLatin1Char(' '));
    return line;
}
