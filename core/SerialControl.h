#pragma once

#include "core/ChangeNotifier.h"
#include "core/LineSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// The serial control `MSComm1` as the core uses it: `CommPort`, `Settings`, `PortOpen` and
// `Output`. This class keeps the rules every line shares; a subclass reaches the device (a
// real serial port, the virtual line, a recorder in tests).
//
// A port that is open refuses to be renumbered, reconfigured or opened again: a second Start
// must never set a second transmitter writing beside the first.
class SerialControl
{
public:
    virtual ~SerialControl() = default;

    qint16 commPort() const { return m_commPort; }
    void setCommPort(qint16 port);
    const QString& settings() const { return m_settingsText; }
    void setSettings(const QString& text);
    bool portOpen() const { return m_open; }
    void setPortOpen(bool open);
    // Each character becomes one byte, in order, nothing added. Characters beyond ASCII:
    // U+0080..U+00FF go as the byte of the same value (Latin-1), anything above U+00FF as "?".
    void setOutput(const QString& text);

    static QByteArray lineBytes(const QString& text);

    // Told by the transmitters after the last write of each tick: whether the tick ended a
    // data string (its terminator line was written). A line that cannot carry everything uses
    // it to leave data strings out whole. Must not throw.
    virtual void tickEnded(bool closedDataString) { (void)closedDataString; }

    void setChangeNotifier(const ChangeNotifier* notifier) { m_notifier = notifier; }
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
    virtual void writeBytes(const QByteArray& bytes) = 0;

    // For subclasses: the device failed during a run. Marks the port closed, then tells the
    // failure handler.
    void deviceFailed(const QString& reason);
    // A description of port `port` for messages, e.g. "Com Port 3 (/dev/ttyS2)".
    virtual QString describePort(qint16 port) const;

private:
    void setOpen(bool open);
    [[noreturn]] void refuseWhileOpen(const QString& what) const;

    qint16 m_commPort = 1;
    QString m_settingsText = QStringLiteral("9600,N,8,1");
    LineSettings m_settings;
    bool m_open = false;
    const ChangeNotifier* m_notifier = nullptr;
    std::function<void(const QString&)> m_failureHandler;
};
