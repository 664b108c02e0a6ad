#pragma once

#include <QByteArray>
#include <QString>

// Text the operator gives in a file or a line (a setup, a scenario, a command): UTF-8 when the
// bytes are UTF-8, else Latin-1, so that every byte of a file written in Latin-1 stands for
// itself (and a Latin-1 character goes on the line as the byte it was in the file).
QString decodeText(const QByteArray& bytes);
