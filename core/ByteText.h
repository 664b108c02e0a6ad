#pragma once

#include <QByteArray>
#include <QString>

// Bytes of the line as a person reads them, the same in the record and in the line window.
namespace ByteText
{
// Printable ASCII as it stands; \r \n \t \\ and \xHH for the other bytes: "1\r\n".
QString escaped(const QByteArray& bytes);
// Two upper-case hex digits a byte, a blank between: "31 0D 0A".
QString hex(const QByteArray& bytes);
} // namespace ByteText
