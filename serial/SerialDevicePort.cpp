#include "serial/SerialDevicePort.h"

#include "core/SimulatorError.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/file.h>
#endif

namespace
{
// Hand a line to the device this long before its first byte is due: the device then always
// has the next line when it finishes one.
constexpr qint64 leadNs = 20'000'000;
// A device that takes nothing (a pseudo-terminal or socat link whose reader has stopped
// reading) gets no more lines once this much waits for it: like a wire nobody listens to.
constexpr qint64 stalledBytes = 16384;

QSerialPort::Parity parityOf(QChar letter)
{
    switch (letter.toLatin1()) {
    case 'E':
        return QSerialPort::EvenParity;
    case 'O':
        return QSerialPort::OddParity;
    case 'M':
        return QSerialPort::MarkParity;
    case 'S':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits stopBitsOf(const QString& text)
{
    if (text == QLatin1String("2"))
        return QSerialPort::TwoStop;
    if (text == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    return QSerialPort::OneStop;
}
} // namespace

SerialDevicePort::SerialDevicePort(PortMap map)
    : PacedSerialControl(LinePacer::Release::WholeLines, leadNs), m_map(std::move(map))
{
    QObject::connect(&m_device, &QSerialPort::errorOccurred, &m_device,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
}

SerialDevicePort::~SerialDevicePort()
{
    if (m_device.isOpen()) {
        m_device.flush();
        m_device.close();
    }
}

QString SerialDevicePort::describePort(qint16 port) const
{
    return QStringLiteral("Com Port %1 (%2)").arg(port).arg(m_map.devicePath(port));
}

void SerialDevicePort::refuse(qint16 port, const QString& reason)
{
    throw SimulatorError(ErrorKind::PortRefused,
                         QStringLiteral("Cannot open %1: %2").arg(describePort(port), reason));
}

void SerialDevicePort::openLine(qint16 port, const LineSettings& settings)
{
    m_device.setPortName(m_map.devicePath(port));
    if (!m_device.open(QIODevice::WriteOnly)) {
        // QSerialPort says the system's reason, except for its own lock file.
        const QString reason = m_device.error() == QSerialPort::PermissionError &&
                                       m_device.errorString().contains(QLatin1String("lock"))
                                   ? QStringLiteral("the device is in use by another program")
                                   : m_device.errorString();
        m_device.clearError();
        refuse(port, reason);
    }
#ifdef Q_OS_UNIX
    // The lock file goes by the name given; this lock goes by the device itself.
    if (::flock(int(m_device.handle()), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        m_device.close();
        refuse(port, error == EWOULDBLOCK
                         ? QStringLiteral("the device is in use by another program")
                         : QString::fromLocal8Bit(std::strerror(error)));
    }
#endif
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
}

void SerialDevicePort::closeLine()
{
    if (!m_device.isOpen())
        return;
    m_device.flush();
    m_device.close();
}

void SerialDevicePort::deliver(const QByteArray& bytes)
{
    if (m_device.isOpen() && m_device.bytesToWrite() < stalledBytes)
        m_device.write(bytes);
}

void SerialDevicePort::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_device.isOpen() || !portOpen())
        return;
    const QString reason = m_device.errorString();
    m_device.clearError();
    lineGone(QStringLiteral("%1 went away: %2").arg(describePort(commPort()), reason));
}
