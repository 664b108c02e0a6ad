#pragma once

// What becomes of a data string's lines, decided once, when the data string opens.
enum class Delivery {
    Sent,    // they go on the line
    LeftOut, // the line is still busy with the data strings before it: left out whole
    Lost,    // the reader has the line open but does not read: it could not take them whole
};
