#pragma once

#include <QtGlobal>

// How long the machine's pseudo-terminals themselves take to hand a byte to the reader: a byte
// written every 100 ms by one thread, read on the other side by another. The tool's figures are
// measured through a pseudo-terminal too, so they cannot be better than this.
struct PtyBaseline {
    qsizetype samples = 0;
    double medianMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
    qsizetype overOneMs = 0;

    // Nothing (no samples) where no pseudo-terminal can be opened.
    static PtyBaseline measure(qint64 seconds);
};
