#pragma once

#include <QString>

// Text that came from outside (a command, an option, a scenario step, a setup value, an entry)
// as the tool shows it back: its control characters (a line break, the ESC of a terminal escape
// sequence, a NUL) as \xHH, never raw, so that no input can split a line of standard error or of
// the record, or drive the reader's terminal; and in a message, no longer than its first
// `longest` characters, with its length said, so that a 10 MB line is not echoed whole.
class ShownInput
{
public:
    static constexpr qsizetype longest = 100;

    // The whole text, each control character as \xHH: ESC is \x1B.
    static QString escaped(const QString& text);
    // As a message echoes it: escaped, and cut after `longest` characters,
    // "AAA...AAA... (10485760 characters)".
    static QString echoed(const QString& text);
};
