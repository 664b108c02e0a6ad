#pragma once

#include "core/SerialLine.h"
#include "serial/DataStringGate.h"
#include "serial/DeferredCalls.h"
#include "serial/SerialDevice.h"
#include "serial/WireFeed.h"

#include <memory>

class Clock;
class ErrorReporter;

// A line as the program has it: a device fed at the pace of its wire. A write returns at once;
// its bytes wait in the feed and are handed to the device as the wire carries them, so what
// waits is bounded by what the line can carry, Stop never cuts a line in two, and data strings
// the line cannot carry are left out whole (DataStringGate), the operator being told once per
// run, with the figures. A data string that a reader with the line open could not take whole,
// since it is not reading, is lost whole, the operator again being told once per run.
//
// One line of a data string goes: the decision, taken when its data string opened -> the
// feed's pacer -> the device, handed over on the clock's alarm.
class PacedLine final : public SerialLine, private SerialDevice::Events
{
public:
    PacedLine(Clock& clock, std::unique_ptr<SerialDevice> device, WireFeed::PacerFactory pacerFor,
              ErrorReporter& reporter);
    ~PacedLine() override;
    PacedLine(const PacedLine&) = delete;
    PacedLine& operator=(const PacedLine&) = delete;

    void open(qint16 port, const LineSettings& settings, SerialLine::Events& events) override;
    void close() override;
    Delivery beginTick(bool opensDataString) override;
    void write(const QByteArray& bytes) override;
    void holdBack(std::chrono::milliseconds span, bool breakCondition) override;
    bool sendsBreaks() const override { return m_device->sendsBreaks(); }
    void endTick(bool endsDataString) noexcept override;
    QString describe(qint16 port) const override;

    // The program ends: the rest of the line being sent goes out now, the lines after it are
    // never sent.
    void finishCurrentLine() { m_feed.finishCurrentLine(); }
    const WireFeed& feed() const { return m_feed; }
    qint64 dataStringsLeftOut() const { return m_gate ? m_gate->dataStringsLeftOut() : 0; }

private:
    Delivery decide();
    void gone(const QString& reason) override;

    Clock& m_clock;
    std::unique_ptr<SerialDevice> m_device;
    WireFeed m_feed;
    std::unique_ptr<DataStringGate> m_gate;
    DeferredCalls m_later;
    ErrorReporter& m_reporter;
    SerialLine::Events* m_events = nullptr; // while open
    Delivery m_delivery = Delivery::Sent;   // of the data string under way
    bool m_idleReaderTold = false;
    bool m_nextLineOpensDataString = false;
    bool m_failing = false;
};
