#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// One way of breaking a data string on purpose, to see how the receiver copes with a bad line.
// As the `fault` command names it:
//
//     cut                    the string stops mid-line (a pulled cable)
//     drop-line K            line K of the string is left out
//     garble K               one byte of line K is changed (which, and to what, from the seed)
//     no-terminator          the terminator line is left out
//     extra-line TEXT        a line TEXT (CR LF) comes before the terminator line
//     wrong-terminator TEXT  the terminator line is TEXT (CR LF) instead
//     delay MS               the string's lines are held back MS ms
//     noise N                N bytes from the seed come just before the string
//     break MS               a break condition of MS ms, then the string
//
// followed by `xN` for the next N data strings instead of the next one.
struct LineFault {
    enum class Kind {
        Cut,
        DropLine,
        Garble,
        NoTerminator,
        ExtraLine,
        WrongTerminator,
        Delay,
        Noise,
        Break
    };

    Kind kind = Kind::Cut;
    qint64 number = 0; // K, MS or N
    QString text;      // TEXT
    int dataStrings = 1;

    // Reads the words after `fault`. Throws UsageError ("fault") saying what is wrong.
    static LineFault parse(const QString& arguments);
    // The kind as the command names it, e.g. "drop-line".
    QString kindName() const;
    // The fault as the command gives it, e.g. "garble 3" or "extra-line \"NOISE\" x2".
    QString describe() const;
    // The kinds, one a line, as `help` and the manual list them.
    static QString list(const QString& indent);

    // A kind as a chooser offers it: its name, the argument it takes ("K", "MS", "N", "TEXT", or
    // empty for none) and what it does.
    struct KindEntry {
        QString name;
        QString argument;
        QString meaning;
    };
    // Every kind, in the order `help` lists them.
    static QList<KindEntry> kinds();
};
