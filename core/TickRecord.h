#pragma once

#include "core/Delivery.h"

#include <QStringList>

#include <chrono>

// What one transmitter tick wrote to the port, told when the tick has ended.
struct TickRecord {
    QStringList lines; // each as written, CR LF included
    // Its data string ends with it: its terminator line was written, or (`unterminated`) the
    // string had grown past SerialControl::unterminatedLimit without one.
    bool closedDataString = false;
    Delivery delivery = Delivery::Sent; // of its data string
    qint64 bytes = 0;                   // the bytes its lines make, sent or not
    QString fault;                      // the kind of fault its data string was given, if any
    QString faultNote; // what the fault did in this tick, e.g. "drop-line: line 3 left out"
    bool unterminated = false;
    // Handled this much after its due time, the program having been held up (stopped, or the
    // machine stalled) for more than 100 ms; 0 otherwise.
    std::chrono::milliseconds heldUp{0};
};
