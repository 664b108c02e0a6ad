#pragma once

#include <QString>

// The line settings text "speed,parity,data bits,stop bits", e.g. "9600,N,8,1".
struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space }; // N, E, O, M, S
    enum class StopBits { One, OneAndHalf, Two };       // 1, 1.5, 2

    qint32 bitsPerSecond = 9600;
    Parity parity = Parity::None;
    int dataBits = 8; // 5..8
    StopBits stopBits = StopBits::One;

    // Refuses (port refused) anything that is not four well-formed fields.
    static LineSettings parse(const QString& text);
    // The settings as a settings text, e.g. "9600,N,8,1".
    QString text() const;

    // Bit times one character takes on the line: start bit, data bits, parity bit, stop bits.
    double bitsPerCharacter() const;
    double charactersPerSecond() const { return bitsPerSecond / bitsPerCharacter(); }

    bool operator==(const LineSettings&) const = default;
};
