#pragma once

#include "core/ChangeNotifier.h"
#include "core/LineSettings.h"
#include "core/SerialLine.h"
#include "core/TickRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class LineFaults;
class LineObserver;

// The serial control `MSComm1` as the core uses it: `CommPort`, `Settings`, `PortOpen` and
// `Output`, and the ticks in which the transmitters write. It keeps the rules every line
// shares and sends through the line it owns.
//
// It alone says where a data string begins and ends: a tick opens one when the one before has
// ended, and ends it by writing the terminator line, or (a data string that never closes, as
// with a fractional data string gap) once it has grown past `unterminatedLimit`. The line, the
// faults and the record are all told so, and none keeps a count of its own.
//
// A port that is open refuses to be renumbered, reconfigured or opened again: a second Start
// must never set a second transmitter writing beside the first.
class SerialControl final : private SerialLine::Events
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

    // A data string without a terminator line ends after the tick that takes it past this many
    // bytes: the next tick opens another, on which the line decides afresh and a fault armed
    // meanwhile is applied.
    static constexpr qint64 unterminatedLimit = 8192;

    explicit SerialControl(std::unique_ptr<SerialLine> line);
    ~SerialControl();
    SerialControl(const SerialControl&) = delete;
    SerialControl& operator=(const SerialControl&) = delete;

    qint16 commPort() const { return m_commPort; }
    void setCommPort(qint16 port);
    const QString& settings() const { return m_settingsText; }
    void setSettings(const QString& text);
    bool portOpen() const { return m_open; }
    void setPortOpen(bool open);
    // The port as messages name it, e.g. "Com Port 1 (/dev/ttyUSB0)".
    QString description() const { return m_line->describe(m_commPort); }
    // Whether the line can be held in a break condition (a serial device); without, a `break`
    // fault leaves it silent.
    bool sendsBreaks() const { return m_line->sendsBreaks(); }

    [[nodiscard]] Tick beginTick();
    // One line, inside a tick. Each character becomes one byte, in order, nothing added.
    // Characters beyond ASCII: U+0080..U+00FF go as the byte of the same value (Latin-1),
    // anything above U+00FF as "?".
    void setOutput(const QString& text);

    static QByteArray lineBytes(const QString& text);

    void setChangeNotifier(const ChangeNotifier* notifier) { m_notifier = notifier; }
    void setObserver(LineObserver* observer) { m_observer = observer; }
    // Faults armed on purpose for the data strings to come (a test rig's bad line).
    void setFaults(LineFaults* faults) { m_faults = faults; }

private:
    void gaveOut(const QString& reason) override;
    void endTick(bool closedDataString) noexcept;
    void sendFaulted(bool closedDataString);
    void setOpen(bool open);
    [[noreturn]] void refuseWhileOpen(const QString& what) const;

    std::unique_ptr<SerialLine> m_line;
    qint16 m_commPort = 1;
    LineSettings m_settings;
    QString m_settingsText = m_settings.text();
    bool m_open = false;
    bool m_inTick = false;
    bool m_inDataString = false;  // a data string's first tick has been, its last not yet
    qint64 m_dataStringBytes = 0; // of the data string under way, by the ticks before this one
    TickRecord m_tick;
    LineFaults* m_faults = nullptr;
    bool m_holdingTick = false; // this tick's lines wait for its end, to be faulted
    QList<QByteArray> m_heldLines;
    const ChangeNotifier* m_notifier = nullptr;
    LineObserver* m_observer = nullptr;
};
