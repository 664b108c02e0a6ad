#include "serial/DeviceAccess.h"

#include <QRegularExpression>

QIODevice::OpenMode DeviceAccess::openMode()
{
    return QIODevice::ReadWrite;
}

// A COM port is opened for exclusive use by the system itself: a second open is refused.
std::optional<QString> DeviceAccess::lockExclusively(const QSerialPort&)
{
    return std::nullopt;
}

QString DeviceAccess::openRefusal(QSerialPort::SerialPortError error, const QString& systemText,
                                  const QString& path)
{
    static const QRegularExpression prefix(QStringLiteral(R"(^\\\\\.\\)"));
    const QString port = QString(path).remove(prefix);
    const QString said = systemText.trimmed();
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("there is no %1 on this computer (%2); the Device Manager lists the "
                              "COM ports under \"Ports (COM & LPT)\": plug the USB adapter in, or "
                              "give another Com Port")
            .arg(port, said);
    case QSerialPort::PermissionError:
        // Windows refuses a COM port that another program holds with "access denied".
        return QStringLiteral("%1 is in use by another program, or access to it is denied (%2); "
                              "close the program that holds it (a terminal, or DRYX on the same "
                              "port) and press Start again")
            .arg(port, said);
    default:
        return said;
    }
}
