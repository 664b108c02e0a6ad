#pragma once

#include "core/RunObserver.h"
#include "platform/RecordFile.h"

#include <QString>

#include <functional>
#include <memory>

class ErrorReporter;
struct RunStatus;

// One line per transmitter tick for --trace: milliseconds since the last Start, the timer's
// name, the bytes the tick put on the line and the texts of its lines, separated by blanks
// (a text that is empty or holds a blank or a quote is written in double quotes; control
// characters as \xHH). A tick of a
// data string the line left out has `left-out:` before its count, one its reader could not take
// since it was not reading `lost:`, and put nothing on the line:
//
//     1000 Timer4 121 1 2 3 ... 30 0 63536
//     2501 Timer1 left-out:892 1 2 3 ... 200
//     9500 Timer4 lost:121 1 2 3 ... 30 0 63536
//
// A tick of a data string broken on purpose has the fault's kind there instead, e.g.
// `3000 Timer4 drop-line:130 1 3 4 ...`.
//
// The trace ends with how the run went, as `status` tells it (RunStatusPrinter), then `end`.
//
// A trace that cannot be written, or whose reader does not read, is an error of the run, told
// once (the trace ends there, the run goes on); a reader that has gone (`--trace | head -1`)
// ends the trace quietly, as `cat` ends, and `readerGone` is called. The answers to commands
// share the file (standard output), in order with the ticks.
class TickTracePrinter final : public RunObserver
{
public:
    TickTracePrinter(std::shared_ptr<RecordFile> out, ErrorReporter& reporter,
                     std::function<void()> readerGone);
    ~TickTracePrinter();
    TickTracePrinter(const TickTracePrinter&) = delete;
    TickTracePrinter& operator=(const TickTracePrinter&) = delete;

    void ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                const TickRecord& tick) override;

    static QString line(qint64 msSinceStart, const QString& timer, const TickRecord& tick);
    // The run's end: the last lines, and what still waits for a slow reader given its time.
    void end(const RunStatus& status);

private:
    void write(const QStringList& lines);
    void tell(RecordFile::Written written);

    std::shared_ptr<RecordFile> m_out; // nothing once a write has failed
    ErrorReporter& m_reporter;
    std::function<void()> m_readerGone;
};
