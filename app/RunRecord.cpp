#include "app/RunRecord.h"

#include "core/ByteText.h"
#include "core/ErrorReporter.h"
#include "core/SerialControl.h"
#include "core/ShownInput.h"
#include "core/TimerRoles.h"
#include "core/UsageError.h"

RunRecord::RunRecord(const QString& path, Mode mode, ErrorReporter& reporter)
    : m_path(ShownInput::escaped(path)),
      m_option(mode == Mode::Append ? QStringLiteral("--log-append") : QStringLiteral("--log")),
      m_reporter(reporter)
{
    // Lines end in LF on every system (RecordFile writes bytes as they are), so that records
    // diff alike whichever system wrote them.
    QString why;
    m_file = RecordFile::open(path, mode, waitForReader, &why);
    if (!m_file)
        throw UsageError(m_option, QStringLiteral("cannot write %1: %2").arg(m_path, why));
}

RunRecord::~RunRecord() = default;

QString RunRecord::shown(const QByteArray& bytes)
{
    return ByteText::escaped(bytes);
}

void RunRecord::ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                       const TickRecord& tick)
{
    const qint64 msSinceStart = sinceStart.count();
    const QString set = TimerRoles::nameOf(timer.dataSet);
    static const char* const markers[] = {"", "left-out ", "lost:not-reading "};
    QString marker = QLatin1String(markers[int(tick.delivery)]);
    if (!tick.fault.isEmpty())
        marker = QStringLiteral("fault:%1 ").arg(tick.fault);
    if (!tick.faultNote.isEmpty())
        m_faultNotes.append(tick.faultNote);
    // The record keeps the due time; when the tick was handled late, it says so first.
    if (tick.heldUp.count() > 0)
        add(QStringLiteral("! %1 %2 held up %3 ms: handled at %4, no tick made up")
                .arg(msSinceStart)
                .arg(timer.name())
                .arg(tick.heldUp.count())
                .arg(msSinceStart + tick.heldUp.count()));
    for (const QString& text : tick.lines) {
        const QByteArray bytes = SerialControl::lineBytes(text);
        add(QStringLiteral("%1 %2 %3 %4%5 |%6|")
                .arg(msSinceStart)
                .arg(timer.name(), set, marker, ByteText::hex(bytes), shown(bytes)));
    }
    m_dataStringBytes += tick.bytes;
    if (tick.unterminated)
        m_faultNotes.append(QStringLiteral("no terminator line: ended past %1 bytes")
                                .arg(SerialControl::unterminatedLimit));
    if (tick.closedDataString) {
        static const char* const hows[] = {"", " left out", " lost (the reader is not reading)"};
        QString how = QLatin1String(hows[int(tick.delivery)]);
        if (!m_faultNotes.isEmpty())
            how += QStringLiteral(" (%1)").arg(m_faultNotes.join(QLatin1String("; ")));
        add(QStringLiteral("= %1 data string %2%3: %4 bytes")
                .arg(msSinceStart)
                .arg(++m_dataStrings)
                .arg(how)
                .arg(m_dataStringBytes));
        m_dataStringBytes = 0;
        m_faultNotes.clear();
    }
    write();
}

// A comment says what the operator gave: its line breaks and escapes would break the record's
// lines, so they are shown as \xHH.
void RunRecord::comment(const QString& text)
{
    add(QStringLiteral("# ") + ShownInput::escaped(text));
    write();
}

void RunRecord::add(const QString& line)
{
    m_pending += line.toUtf8() + '\n';
}

// A tick's lines go in one write, so that a failure is seen, and told, once.
void RunRecord::write()
{
    const QByteArray lines = std::exchange(m_pending, {});
    if (!m_file)
        return;
    tell(m_file->write(lines));
}

void RunRecord::finish()
{
    if (m_file)
        tell(m_file->finish(RecordFile::patienceAtEnd));
}

void RunRecord::tell(RecordFile::Written written)
{
    if (written == RecordFile::Written::Whole)
        return;
    m_reporter.error(m_option, QStringLiteral("cannot write %1: %2; the record ends there, the "
                                              "run goes on")
                                   .arg(m_path, written == RecordFile::Written::ReaderGone
                                                    ? QStringLiteral("its reader has gone")
                                                    : m_file->failure()));
    m_file.reset();
}
