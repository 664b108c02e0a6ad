#pragma once

#include "core/RunObserver.h"

#include <QtGlobal>

// The one line a run ends with: the data strings that went on the line and those left out,
// those the reader could not take since it did not read (only when there were such), the bytes
// handed to the line, the errors reported:
//
//     23 data strings sent, 0 left out; 3019 bytes on the line; 0 errors reported
//     89 data strings sent, 0 left out, 70 lost (not read); 36645 bytes on the line; ...
class RunSummary final : public RunObserver
{
public:
    void started(const Form1& /*form*/) override { m_underWay = false; }
    void ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                const TickRecord& tick) override;

    QString line(qint64 bytesOnTheLine, int errorsReported) const;
    qint64 sent() const { return m_sent; }
    qint64 leftOut() const { return m_leftOut; }
    // A data string has begun and not yet ended.
    bool dataStringUnderWay() const { return m_underWay; }
    qint64 lost() const { return m_lost; }

private:
    qint64 m_sent = 0;
    qint64 m_leftOut = 0;
    bool m_underWay = false;
    qint64 m_lost = 0;
};
