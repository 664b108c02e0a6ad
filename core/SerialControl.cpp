#include "core/SerialControl.h"

#include "core/SimulatorError.h"

void SerialControl::refuseWhileOpen(const QString& what) const
{
    throw SimulatorError(
        ErrorKind::PortRefused,
        QStringLiteral("cannot %1: %2 is already open").arg(what, describePort(m_commPort)));
}

void SerialControl::setCommPort(qint16 port)
{
    if (m_open)
        refuseWhileOpen(QStringLiteral("change the port number"));
    if (port < 1)
        throw SimulatorError(ErrorKind::PortRefused,
                             QStringLiteral("there is no Com Port %1").arg(port));
    m_commPort = port;
}

void SerialControl::setSettings(const QString& text)
{
    if (m_open)
        refuseWhileOpen(QStringLiteral("change the line settings"));
    m_settings = LineSettings::parse(text);
    m_settingsText = text;
}

void SerialControl::setPortOpen(bool open)
{
    if (open == m_open) {
        if (open)
            refuseWhileOpen(QStringLiteral("open the port"));
        return;
    }
    if (open)
        openDevice(m_commPort, m_settings);
    else
        closeDevice();
    setOpen(open);
}

void SerialControl::setOutput(const QString& text)
{
    if (!m_open)
        throw SimulatorError(
            ErrorKind::PortRefused,
            QStringLiteral("cannot write: %1 is not open").arg(describePort(m_commPort)));
    writeBytes(lineBytes(text));
}

QByteArray SerialControl::lineBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) // one "?" per character, even beyond U+FFFF
        bytes.append(c <= 0xFF ? char(c) : '?');
    return bytes;
}

void SerialControl::deviceFailed(const QString& reason)
{
    if (!m_open)
        return;
    setOpen(false);
    if (m_failureHandler)
        m_failureHandler(reason);
}

QString SerialControl::describePort(qint16 port) const
{
    return QStringLiteral("Com Port %1").arg(port);
}

void SerialControl::setOpen(bool open)
{
    m_open = open;
    if (m_notifier)
        m_notifier->notify({FormMember::Kind::PortOpen, 0});
}
