#pragma once

#include "serial/DataStringGate.h"
#include "serial/LinePacer.h"
#include "core/SerialControl.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>

// The write path every line shares. A write returns at once; its bytes wait in a queue of
// whole lines and are handed to the device as the wire would carry them, so that what waits
// is bounded by what the line can carry, Stop never cuts a line in two, and data strings the
// line cannot carry are left out whole (see DataStringGate). The operator is told once per
// run when that happens, with the figures.
class PacedSerialControl : public SerialControl
{
public:
    using NoticeHandler = std::function<void(const QString& notice)>;

    ~PacedSerialControl() override;

    // Told (from the event loop, never inside a write) when the line cannot keep up.
    void setNoticeHandler(NoticeHandler handler) { m_noticeHandler = std::move(handler); }

    void tickEnded(bool closedDataString) override;

    // The program ends: the rest of the line being sent goes out now, the lines after it
    // are never sent.
    void finishCurrentLine();

    qint64 queuedBytes() const { return m_pacer ? m_pacer->queuedBytes() : 0; }
    // Characters the wire has yet to send, queued here or handed over.
    qint64 backlogBytes() const { return m_pacer ? m_pacer->backlogBytes(nowNs()) : 0; }
    qint64 dataStringsLeftOut() const { return m_gate ? m_gate->dataStringsLeftOut() : 0; }

protected:
    PacedSerialControl(LinePacer::Release release, qint64 leadNs);

    // Reaches the device. openLine throws SimulatorError (port refused) with the system's
    // reason; closeLine is called once whatever is left of the current line has been handed
    // over (WholeLines) or right away (Bytes: the rest of the line goes on being paced).
    virtual void openLine(qint16 port, const LineSettings& settings) = 0;
    virtual void closeLine() = 0;
    // Bytes whose time has come, for the device. Must not fail the port here: a failure is
    // reported through lineGone(), which defers it.
    virtual void deliver(const QByteArray& bytes) = 0;

    // The device has gone away: the queue is dropped, the device closed and the failure handed
    // on from the event loop (the handler stops the run, which must not happen in a write).
    void lineGone(const QString& reason);

    qint64 nowNs() const { return m_clock.nsecsElapsed(); }

private:
    void openDevice(qint16 port, const LineSettings& settings) final;
    void closeDevice() final;
    void writeBytes(const QByteArray& bytes) final;

    void pump();
    void arm();

    LinePacer::Release m_release;
    qint64 m_leadNs;
    QElapsedTimer m_clock;
    QTimer m_wakeUp;
    std::unique_ptr<LinePacer> m_pacer;
    std::unique_ptr<DataStringGate> m_gate;
    NoticeHandler m_noticeHandler;
    bool m_failing = false;
};
