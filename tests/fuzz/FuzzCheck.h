#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstdlib>

// A property that does not hold ends the run at once with abort(): libFuzzer keeps the input
// as a finding, and a replay of the corpus fails with the property and the text on stderr.
namespace Fuzz
{

// The text with everything but printable ASCII as \x{...}, so that the message shows what the
// input really held; a long one cut short, the input file holding the rest.
inline QByteArray shown(const QString& text)
{
    constexpr qsizetype longest = 400;
    QByteArray out;
    for (const char32_t c : text.toUcs4()) {
        if (out.size() > longest) {
            out += "...";
            break;
        }
        if (c >= 0x20 && c < 0x7f && c != '\\')
            out += char(c);
        else
            out += "\\x{" + QByteArray::number(uint(c), 16) + '}';
    }
    return out;
}

[[noreturn]] inline void fail(const char* property, const QString& text)
{
    std::fprintf(stderr, "property broken: %s\n  on \"%s\"\n", property, shown(text).constData());
    std::abort();
}

inline void require(bool holds, const char* property, const QString& text)
{
    if (!holds)
        fail(property, text);
}

} // namespace Fuzz
