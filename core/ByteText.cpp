#include "core/ByteText.h"

namespace ByteText
{
QString escaped(const QByteArray& bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r')
            text += QLatin1String("\\r");
        else if (byte == '\n')
            text += QLatin1String("\\n");
        else if (byte == '\t')
            text += QLatin1String("\\t");
        else if (byte == '\\')
            text += QLatin1String("\\\\");
        else if (byte < 0x20 || byte >= 0x7f)
            text += QStringLiteral("\\x") +
                    QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            text += QLatin1Char(char(byte));
    }
    return text;
}

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
} // namespace ByteText
