#include "serial/SerialPortDevice.h"

#include "core/SimulatorError.h"
#include "serial/DeviceAccess.h"

namespace
{
constexpr qint64 stalledBytes = 16384;

QSerialPort::Parity parityOf(LineSettings::Parity parity)
{
    switch (parity) {
    case LineSettings::Parity::None:
        return QSerialPort::NoParity;
    case LineSettings::Parity::Even:
        return QSerialPort::EvenParity;
    case LineSettings::Parity::Odd:
        return QSerialPort::OddParity;
    case LineSettings::Parity::Mark:
        return QSerialPort::MarkParity;
    case LineSettings::Parity::Space:
        return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits stopBitsOf(LineSettings::StopBits stopBits)
{
    switch (stopBits) {
    case LineSettings::StopBits::One:
        return QSerialPort::OneStop;
    case LineSettings::StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case LineSettings::StopBits::Two:
        return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}
} // namespace

SerialPortDevice::SerialPortDevice(PortMap map) : m_map(std::move(map))
{
    QObject::connect(&m_device, &QSerialPort::errorOccurred, &m_device,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
    // Nothing is ever read from the line: what comes in where the port is open for reading too
    // is dropped, so that it cannot pile up.
    QObject::connect(&m_device, &QSerialPort::readyRead, &m_device, [this] { m_device.readAll(); });
}

SerialPortDevice::~SerialPortDevice()
{
    close();
}

QString SerialPortDevice::describe(qint16 port) const
{
    return QStringLiteral("Com Port %1 (%2)").arg(port).arg(m_map.devicePath(port));
}

void SerialPortDevice::refuse(qint16 port, const QString& reason) const
{
    throw SimulatorError(ErrorKind::PortRefused,
                         QStringLiteral("Cannot open %1: %2").arg(describe(port), reason));
}

void SerialPortDevice::open(qint16 port, const LineSettings& settings, Events& events)
{
    m_device.setPortName(m_map.devicePath(port));
    if (!m_device.open(DeviceAccess::openMode())) {
        const QString reason = DeviceAccess::openRefusal(m_device.error(), m_device.errorString(),
                                                         m_map.devicePath(port));
        m_device.clearError();
        refuse(port, reason);
    }
    // The lock file goes by the name given; this lock goes by the device itself.
    if (const std::optional<QString> held = DeviceAccess::lockExclusively(m_device)) {
        m_device.close();
        refuse(port, *held);
    }
    const bool configured = m_device.setBaudRate(settings.bitsPerSecond) &&
                            m_device.setDataBits(QSerialPort::DataBits(settings.dataBits)) &&
                            m_device.setParity(parityOf(settings.parity)) &&
                            m_device.setStopBits(stopBitsOf(settings.stopBits)) &&
                            m_device.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const QString reason = m_device.errorString();
        m_device.clearError();
        m_device.close();
        refuse(port, QStringLiteral("the line settings cannot be set: %1").arg(reason));
    }
    m_port = port;
    m_events = &events;
}

void SerialPortDevice::close()
{
    m_events = nullptr;
    if (!m_device.isOpen())
        return;
    // What the device was handed is finished: the UART sends it.
    m_device.flush();
    m_device.close();
}

void SerialPortDevice::deliver(const QByteArray& bytes)
{
    if (m_device.isOpen() && m_device.bytesToWrite() < stalledBytes)
        m_device.write(bytes);
}

void SerialPortDevice::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_device.isOpen() || m_settingBreak)
        return;
    const QString reason = m_device.errorString();
    m_device.clearError();
    if (m_events)
        m_events->gone(QStringLiteral("%1 went away: %2").arg(describe(m_port), reason));
}

// A device that cannot hold its line in a break has not gone away: it only stays silent.
void SerialPortDevice::setBreak(bool on)
{
    if (!m_device.isOpen())
        return;
    m_settingBreak = true;
    if (!m_device.setBreakEnabled(on))
        m_device.clearError();
    m_settingBreak = false;
}
