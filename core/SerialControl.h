#pragma once

#include "core/ChangeNotifier.h"
#include "core/LineSettings.h"
#include "core/TickRecord.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The serial control `MSComm1` as the core uses it: `CommPort`, `Settings`, `PortOpen` and
// `Output`, and the ticks in which the transmitters write. This class keeps the rules every line
// shares; the program's one line (PacedSerialControl) and a recorder in tests reach the device.
//
// A port that is open refuses to be renumbered, reconfigured or opened again: a second Start
// must never set a second transmitter writing beside the first.
class SerialControl
{
public:
    // One transmitter tick's writes. The line decides when the tick begins whether its lines go
    // out; the tick's end, however the handler ends, tells the line once whether it closed a
    // data string.
    class Tick
    {
    public:
        ~Tick();
        Tick(const Tick&) = delete;
        Tick& operator=(const Tick&) = delete;

        // The tick has written its terminator line.
        void closesDataString() { m_closesDataString = true; }

    private:
        friend class SerialControl;
        explicit Tick(SerialControl& port);

        SerialControl* m_port; // nothing when the port was not open at the tick's beginning
        bool m_closesDataString = false;
    };

    virtual ~SerialControl() = default;

    qint16 commPort() const { return m_commPort; }
    void setCommPort(qint16 port);
    const QString& settings() const { return m_settingsText; }
    void setSettings(const QString& text);
    bool portOpen() const { return m_open; }
    void setPortOpen(bool open);
    // The port as messages name it, e.g. "Com Port 1 (/dev/ttyUSB0)".
    QString description() const { return describePort(m_commPort); }

    [[nodiscard]] Tick beginTick();
    // One line, inside a tick. Each character becomes one byte, in order, nothing added.
    // Characters beyond ASCII: U+0080..U+00FF go as the byte of the same value (Latin-1),
    // anything above U+00FF as "?".
    void setOutput(const QString& text);

    static QByteArray lineBytes(const QString& text);

    void setChangeNotifier(const ChangeNotifier* notifier) { m_notifier = notifier; }
    // Told at the end of every tick with what it wrote (the trace).
    void setTickObserver(std::function<void(const TickRecord&)> observer)
    {
        m_tickObserver = std::move(observer);
    }
    // Called when the device fails on its own (pulled out, other side gone); the port is
    // then already closed.
    void setLineFailureHandler(std::function<void(const QString& reason)> handler)
    {
        m_failureHandler = std::move(handler);
    }

protected:
    // Each throws SimulatorError(ErrorKind::PortRefused, reason) when the device refuses.
    virtual void openDevice(qint16 port, const LineSettings& settings) = 0;
    virtual void closeDevice() = 0;
    // A tick begins on the open port: returns whether its lines go on the line.
    virtual bool beginLineTick() = 0;
    // Every line of a tick, whether or not it goes on the line.
    virtual void writeLine(const QByteArray& bytes) = 0;
    // The tick has ended. Must not throw.
    virtual void endLineTick(bool closedDataString) noexcept = 0;
    // A description of port `port` for messages, e.g. "Com Port 3 (/dev/ttyS2)".
    virtual QString describePort(qint16 port) const;

    // For the line: the device failed during a run. Marks the port closed, then tells the
    // failure handler.
    void deviceFailed(const QString& reason);

private:
    void endTick(bool closedDataString) noexcept;
    void setOpen(bool open);
    [[noreturn]] void refuseWhileOpen(const QString& what) const;

    qint16 m_commPort = 1;
    QString m_settingsText = QStringLiteral("9600,N,8,1");
    LineSettings m_settings;
    bool m_open = false;
    bool m_inTick = false;
    TickRecord m_tick;
    const ChangeNotifier* m_notifier = nullptr;
    std::function<void(const TickRecord&)> m_tickObserver;
    std::function<void(const QString&)> m_failureHandler;
};
