#pragma once

#include "core/SerialControl.h"
#include "serial/DataStringGate.h"
#include "serial/Pacer.h"
#include "serial/SerialDevice.h"

#include <functional>
#include <memory>
#include <vector>

class Alarm;
class Clock;

// `MSComm1` on a device, through a pacer that carries the bytes as the wire would. A write
// returns at once; its bytes wait in the pacer and are handed to the device as the wire carries
// them, so what waits is bounded by what the line can carry, Stop never cuts a line in two, and
// data strings the line cannot carry are left out whole (DataStringGate), the operator being
// told once per run, with the figures.
//
// A line goes: the transmitter's write (SerialControl::setOutput) -> the gate's decision, taken
// when the tick began -> the pacer -> the device, handed over on the clock's alarm.
class PacedSerialControl final : public SerialControl
{
public:
    // Makes the pacer that suits the device, for a line of the given rate.
    using PacerFactory = std::function<std::unique_ptr<Pacer>(double charactersPerSecond)>;
    using NoticeHandler = std::function<void(const QString& notice)>;

    PacedSerialControl(Clock& clock, std::unique_ptr<SerialDevice> device, PacerFactory pacerFor);
    ~PacedSerialControl() override;

    SerialDevice& device() { return *m_device; }

    // Told (from the event loop, never inside a write) when the line cannot keep up.
    void setNoticeHandler(NoticeHandler handler) { m_noticeHandler = std::move(handler); }

    // The program ends: the rest of the line being sent goes out now, the lines after it
    // are never sent.
    void finishCurrentLine();

    qint64 queuedBytes() const { return m_pacer ? m_pacer->queuedBytes() : 0; }
    // Characters the wire has yet to send, queued here or handed over.
    qint64 backlogBytes() const;
    qint64 dataStringsLeftOut() const { return m_gate ? m_gate->dataStringsLeftOut() : 0; }
    // Every byte handed to the device since the program started.
    qint64 bytesHandedOver() const { return m_bytesHandedOver; }

protected:
    void openDevice(qint16 port, const LineSettings& settings) override;
    void closeDevice() override;
    bool beginLineTick() override;
    void writeLine(const QByteArray& bytes) override;
    void endLineTick(bool closedDataString) noexcept override;
    QString describePort(qint16 port) const override;

private:
    void handOver();
    void deliver(const QByteArray& bytes);
    void arm();
    void deviceGone(const QString& reason);
    // Runs `action` from the event loop, outside any write or tick.
    void later(std::function<void()> action);
    void runLater();

    Clock& m_clock;
    std::unique_ptr<SerialDevice> m_device;
    PacerFactory m_pacerFor;
    std::unique_ptr<Pacer> m_pacer;
    std::unique_ptr<DataStringGate> m_gate;
    std::unique_ptr<Alarm> m_handOver;
    std::unique_ptr<Alarm> m_laterAlarm;
    std::vector<std::function<void()>> m_later;
    NoticeHandler m_noticeHandler;
    bool m_tickLetThrough = true;
    bool m_nextLineOpensDataString = false;
    bool m_failing = false;
    qint64 m_bytesHandedOver = 0;
};
