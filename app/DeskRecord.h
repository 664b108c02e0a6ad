#pragma once

#include "app/ActionLog.h"
#include "app/RunRecord.h"
#include "core/RunObserver.h"

#include <QString>

class ErrorReporter;

// The record begun at the desk while the program runs (the line window's "Save record…"): what
// --log writes, made afresh, from now on: after its seed line, the lines a --log record of the
// run has from then on, data strings numbered as the run counts them. A data string already
// under way is left out of it whole rather than recorded from its middle: its first data string
// is the next one to begin.
class DeskRecord final : public RunObserver
{
public:
    // `dataStrings`: those the run has ended so far. Throws UsageError when `path` cannot be
    // written; a write that fails later is told to `reporter`.
    DeskRecord(const QString& path, quint64 seed, qint64 dataStrings, bool dataStringUnderWay,
               ErrorReporter& reporter);

    const QString& path() const { return m_path; }
    // The record's end: what still waits for a slow reader is given its time.
    void finish() { m_record.finish(); }

    void started(const Form1& form) override;
    void startFailed() override { m_actions.startFailed(); }
    void stopped(bool done) override { m_actions.stopped(done); }
    void alarmToggled(int index, bool raised) override { m_actions.alarmToggled(index, raised); }
    void entryLeft(int field, const QString& text, bool accepted) override
    {
        m_actions.entryLeft(field, text, accepted);
    }
    void ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                const TickRecord& tick) override;

private:
    QString m_path;
    RunRecord m_record;
    ActionLog m_actions{m_record};
    qint64 m_dataStrings;
    bool m_waiting; // for the data string under way to end
};
