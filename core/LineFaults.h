#pragma once

#include "core/LineFault.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <deque>
#include <optional>
#include <random>

// The faults armed for the data strings to come, and what each does to the lines of its string.
// Each data string that goes on the line takes the next armed fault, if any; the strings after
// it are sent as they are. Every random choice (where a cut falls, which byte is garbled and
// to what, the noise) comes from one generator seeded at start-up, so a run repeats exactly.
class LineFaults
{
public:
    // What a faulted tick sends instead of its lines.
    struct Outcome {
        QList<QByteArray> lines;
        std::chrono::milliseconds holdBack{0}; // before the first line
        bool breakCondition = false;           // the line is held in a break meanwhile
        QString note;                          // what was done, e.g. "line 3 left out"
    };

    // A fault armed and not yet taken (or not all its data strings), as a desk lists it.
    struct Armed {
        quint64 id;    // the one arm() returned
        QString fault; // as `fault` gives it, with what is left of its count
    };

    explicit LineFaults(quint64 seed);

    // The next data string not yet taken by a fault gets this one. Returns its id, by which it
    // can be taken back.
    quint64 arm(const LineFault& fault);
    // The faults armed and not yet taken, as `fault` gives them (e.g. "cut x2"), in turn.
    QStringList armed() const;
    QList<Armed> armedFaults() const;
    // The armed fault `id`, what is left of it, is not applied after all. False when it is no
    // longer armed: every data string it was armed for has taken it meanwhile. The faults
    // behind it move up; the data string under way keeps the fault it took.
    bool takeBack(quint64 id);

    // A tick that goes on the line begins, opening a data string or going on with one. Returns
    // the fault of its data string, if it has one: the tick's lines are then given to `apply`.
    const LineFault* beginTick(bool opensDataString);
    // The lines of the tick `beginTick` named a fault for, each with its CR LF.
    Outcome apply(QList<QByteArray> lines, bool closesDataString);

private:
    void cut(Outcome& outcome, qint64 first);
    QByteArray randomBytes(qint64 count);
    quint64 below(quint64 bound) { return m_random() % bound; }

    std::mt19937_64 m_random; // its sequence is the same on every system
    struct Pending {
        quint64 id;
        LineFault fault;
    };
    std::deque<Pending> m_armed;
    quint64 m_lastId = 0;
    std::optional<LineFault> m_current; // the fault of the data string under way
    bool m_opening = false;             // the tick under way opens the data string
    qint64 m_linesBefore = 0;           // lines of the data string in its earlier ticks
    bool m_cutOff = false;              // the rest of the data string is not sent
    bool m_found = false;               // the line a drop-line or garble names was there
};
