#pragma once

#include "core/RunObserver.h"

#include <QHash>

class RunRecord;

// The operator's actions that change a run, as the record's comment lines say them:
//
//     # Start: Text1=30 Text2=10 Text3=500 Text4=1 Text6=1 Text7=1 Text8=63536
//     # alarm 1 raised
//     # Text3 = 600
//     # Text3 refused: 10
//     # Stop
//
// An entry counts when it is refused, or accepted and new: leaving a field unchanged is no
// change.
class ActionLog final : public RunObserver
{
public:
    explicit ActionLog(RunRecord& record) : m_record(record) {}

    void started(const Form1& form) override;
    void startFailed() override;
    void stopped(bool done) override;
    void alarmToggled(int index, bool raised) override;
    void entryLeft(int field, const QString& text, bool accepted) override;

private:
    RunRecord& m_record;
    QHash<int, QString> m_lastAccepted; // the entry each field was last left with
};
