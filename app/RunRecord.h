#pragma once

#include "core/RunObserver.h"
#include "core/TickRecord.h"
#include "platform/RecordFile.h"

#include <QString>
#include <QStringList>

#include <memory>

class ErrorReporter;

// The --log record, made to be diffed: one line per line written to the port, at the nominal
// time of its tick (its due time, in ms since Start), with its timer, its data set, its bytes in
// hex and as text (CR and LF shown):
//
//     1000 Timer4 first 31 0D 0A |1\r\n|
//
// a counter line after each data string, one the line left out marked so, and comment lines
// (the operator's actions, ActionLog), in their place but without a time (they are the
// operator's, not the schedule's), so that two runs of the same setup and actions give the same
// record:
//
//     = 1000 data string 1: 133 bytes
//     = 2501 data string 6 left out: 902 bytes
//     # alarm 1 raised
//
// The lines of a data string that the reader of the virtual line could not take, since it had
// the line open but was not reading, are marked lost, with the reason:
//
//     9500 Timer4 first lost:not-reading 31 0D 0A |1\r\n|
//     = 9500 data string 18 lost (the reader is not reading): 133 bytes
//
// The lines of a data string broken on purpose carry the fault's kind, and its counter line
// what the fault did:
//
//     3000 Timer4 first fault:garble 31 5A 0D 0A |1Z\r\n|
//     = 3000 data string 4 (garble: line 1 byte 2: 0D -> 5A): 133 bytes
//
// A tick handled more than 100 ms after its due time (the program was stopped, or the machine
// stalled) is told before its lines, with how late it was and when it was handled; the ticks
// due meanwhile were not made (the schedule makes none up):
//
//     ! 3500 Timer4 held up 4889 ms: handled at 8389, no tick made up
//
// A data string that never writes its terminator line (a fractional data string gap) ends past
// 8 KiB all the same:
//
//     = 5010 data string 1 (no terminator line: ended past 8192 bytes): 8939 bytes
//
// A record that cannot be written (a full disk, a FIFO whose reader quit or does not read) is an
// error of the run, told once with the path and the reason; the record ends there, and the run
// goes on.
class RunRecord final : public RunObserver
{
public:
    using Mode = RecordFile::Mode;
    // How long a FIFO named as the record is waited for its reader.
    static constexpr std::chrono::seconds waitForReader{3};

    // Writes `path` afresh (--log) or appends to it (--log-append); throws UsageError naming
    // the option when it cannot be opened. A failed write is told to `reporter`.
    RunRecord(const QString& path, Mode mode, ErrorReporter& reporter);
    ~RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;

    void ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                const TickRecord& tick) override;
    void comment(const QString& text);
    // The record's end: what still waits for a slow reader is given its time.
    void finish();
    // In virtual time a reader that is slow is waited for: no line is held up.
    void setWaitsForReader(bool waits) { m_file->setWaitsForReader(waits); }
    // The run had sent (or left out) this many data strings before the record began: it
    // numbers its first one the next, as a record begun with the run would.
    void countFrom(qint64 dataStringsBefore) { m_dataStrings = dataStringsBefore; }
    // What a failed write is told as, if not the option (--log, --log-append).
    void nameAs(const QString& action) { m_option = action; }

    // A line's text as the record shows it: printable ASCII as it stands, \r \n \t \\ and \xHH
    // for the other bytes.
    static QString shown(const QByteArray& bytes);

private:
    void add(const QString& line);
    void write();
    void tell(RecordFile::Written written);

    QString m_path;
    QString m_option; // --log or --log-append, as the failure is told
    ErrorReporter& m_reporter;
    std::unique_ptr<RecordFile> m_file; // nothing once a write has failed
    QByteArray m_pending;               // the lines of the tick or comment under way
    qint64 m_dataStrings = 0;
    qint64 m_dataStringBytes = 0; // so far, of the data string under way
    QStringList m_faultNotes;     // so far, of the data string under way (and how it ended)
};
