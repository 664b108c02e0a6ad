#pragma once

#include "core/Delivery.h"
#include "core/RunObserver.h"
#include "core/TickRecord.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>

#include <deque>
#include <vector>

class Simulator;

// The data strings that went out, newest last, as the line window lists them and draws them on
// the wire. It hears every tick as the run's other observers do, but only keeps a copy of it
// there (the tick's lines are shared, not copied byte by byte): the copies are taken in when
// the window asks (sync()), off the line's path, into a table of at most `capacity` data
// strings, the oldest going first. So a run of an hour holds as much memory as a run of a
// minute.
class LineHistory final : public QAbstractTableModel, private RunObserver
{
    Q_OBJECT
public:
    static constexpr int defaultCapacity = 1000;
    // Of a data string's bytes, at most this many are kept (one that never ends is cut short).
    static constexpr qsizetype bytesKept = qsizetype(16) * 1024;

    // One tick's part of a data string on the wire, in ms since Start, as the line carries it
    // at its rate after what went before (one left out: where it would have been).
    struct Page {
        qint64 dueMs = 0;
        qint64 bytes = 0;
        double wireStartMs = 0;
        double wireEndMs = 0;
    };
    struct Entry {
        qint64 number = 0; // as the record counts data strings; 0 until it has ended
        int run = 0;       // the Start it belongs to, 1 for the first
        qint64 sinceStartMs = 0;
        QString timer;        // e.g. "Timer4"
        QString dataSet;      // "first" or "second"
        QByteArray bytes;     // as they went on the line (the first bytesKept of them)
        qint64 byteCount = 0; // all of them
        int lineCount = 0;
        Delivery delivery = Delivery::Sent; // left out by a busy line, or lost by a reader
        bool closed = false;                // its terminator line was written
        QString fault;                      // the kind of fault that broke it, if one did
        QString faultNote;                  // and what the fault did
        QList<Page> pages;

        bool sent() const { return delivery == Delivery::Sent; }

        // What the table's last column says: the fault and what it did, or why it is not whole.
        QString mark(int currentRun) const;
    };

    enum Column { Number, Time, Timer, DataSet, Bytes, Mark, ColumnCount };

    // Listens to `simulator` from now on. `charactersPerSecond`: the line's rate, for the wire.
    explicit LineHistory(Simulator& simulator, int capacity = defaultCapacity,
                         double charactersPerSecond = 960);
    ~LineHistory() override;
    LineHistory(const LineHistory&) = delete;
    LineHistory& operator=(const LineHistory&) = delete;

    // Takes in what went out since the last time.
    void sync();
    const Entry& entry(int row) const { return m_entries[std::size_t(row)]; }
    int entryCount() const { return int(m_entries.size()); }
    // The run under way, or the last one: the number of Starts so far.
    int currentRun() const { return m_run; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Heard {
        int run;
        std::chrono::milliseconds sinceStart;
        const TimerRole* timer;
        TickRecord tick;
    };

    void started(const Form1& form) override;
    void ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                const TickRecord& tick) override;
    // Whether `heard` adds to the newest entry (rather than beginning one).
    bool continuesNewest(const Heard& heard) const;
    void add(Entry& entry, const Heard& heard);

    Simulator& m_simulator;
    int m_capacity;
    double m_bytesPerMs;
    std::deque<Entry> m_entries;
    std::vector<Heard> m_heard; // since the last sync
    int m_run = 0;
    qint64 m_ended = 0;      // data strings ended so far
    double m_wireFreeMs = 0; // of the newest run
};
