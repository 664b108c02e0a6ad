#include "core/LineSettings.h"

#include "core/SimulatorError.h"

#include <QStringList>

namespace
{
[[noreturn]] void refuse(const QString& text, const QString& why)
{
    throw SimulatorError(
        ErrorKind::PortRefused,
        QStringLiteral("the line settings \"%1\" are not valid: %2").arg(text, why));
}
} // namespace

LineSettings LineSettings::parse(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        refuse(text, QStringLiteral("expected speed,parity,data bits,stop bits"));
    LineSettings settings;
    bool ok = false;
    settings.bitsPerSecond = fields[0].trimmed().toInt(&ok);
    if (!ok || settings.bitsPerSecond <= 0)
        refuse(text, QStringLiteral("the speed must be a positive whole number"));
    const QString parity = fields[1].trimmed().toUpper();
    if (parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity))
        refuse(text, QStringLiteral("the parity must be one of N, E, O, M, S"));
    settings.parity = parity[0];
    settings.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || settings.dataBits < 5 || settings.dataBits > 8)
        refuse(text, QStringLiteral("the data bits must be 5 to 8"));
    settings.stopBits = fields[3].trimmed();
    if (settings.stopBits != QLatin1String("1") && settings.stopBits != QLatin1String("1.5") &&
        settings.stopBits != QLatin1String("2"))
        refuse(text, QStringLiteral("the stop bits must be 1, 1.5 or 2"));
    return settings;
}

double LineSettings::bitsPerCharacter() const
{
    const double parityBits = parity == QLatin1Char('N') ? 0 : 1;
    return 1 + dataBits + parityBits + stopBits.toDouble();
}
