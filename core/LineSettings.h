#pragma once

#include <QString>

// The line settings text "speed,parity,data bits,stop bits", e.g. "9600,N,8,1".
struct LineSettings {
    qint32 bitsPerSecond = 9600;
    QChar parity = QLatin1Char('N');        // N, E, O, M or S
    int dataBits = 8;                       // 5..8
    QString stopBits = QStringLiteral("1"); // 1, 1.5 or 2

    // Refuses (port refused) anything that is not four well-formed fields.
    static LineSettings parse(const QString& text);

    // Bit times one character takes on the line: start bit, data bits, parity bit, stop bits.
    double bitsPerCharacter() const;
    double charactersPerSecond() const { return bitsPerSecond / bitsPerCharacter(); }
};
