#include "app/DeskRecord.h"

#include "core/TickRecord.h"

DeskRecord::DeskRecord(const QString& path, quint64 seed, qint64 dataStrings,
                       bool dataStringUnderWay, ErrorReporter& reporter)
    : m_path(path), m_record(path, RunRecord::Mode::Afresh, reporter), m_dataStrings(dataStrings),
      m_waiting(dataStringUnderWay)
{
    m_record.nameAs(QStringLiteral("Record"));
    m_record.comment(QStringLiteral("seed %1").arg(seed));
    m_record.countFrom(m_dataStrings);
}

void DeskRecord::started(const Form1& form)
{
    m_waiting = false; // Stop abandoned the one under way, uncounted; Start begins afresh
    m_actions.started(form);
}

void DeskRecord::ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                        const TickRecord& tick)
{
    if (m_waiting) {
        m_waiting = !tick.closedDataString;
        if (!m_waiting) // the run counts the one left out of the record
            m_record.countFrom(m_dataStrings + 1);
        return;
    }
    m_record.ticked(sinceStart, timer, tick);
}
