#include "core/LineSettings.h"

#include "core/SimulatorError.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace
{
[[noreturn]] void refuse(const QString& text, const QString& why)
{
    throw SimulatorError(
        ErrorKind::PortRefused,
        QStringLiteral("the line settings \"%1\" are not valid: %2").arg(text, why));
}

// The letters and texts of the settings, in the order of the enums.
constexpr std::array<char, 5> parityLetters{'N', 'E', 'O', 'M', 'S'};
const std::array<QString, 3> stopBitTexts{QStringLiteral("1"), QStringLiteral("1.5"),
                                          QStringLiteral("2")};
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
    // NOLINTNEXTLINE(readability-qualified-auto): an array iterator, a pointer only in libstdc++
    const auto letter = parity.size() == 1 ? std::find(parityLetters.begin(), parityLetters.end(),
                                                       parity[0].toLatin1())
                                           : parityLetters.end();
    if (letter == parityLetters.end())
        refuse(text, QStringLiteral("the parity must be one of N, E, O, M, S"));
    settings.parity = Parity(letter - parityLetters.begin());

    settings.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || settings.dataBits < 5 || settings.dataBits > 8)
        refuse(text, QStringLiteral("the data bits must be 5 to 8"));

    // NOLINTNEXTLINE(readability-qualified-auto): an array iterator, a pointer only in libstdc++
    const auto stop = std::find(stopBitTexts.begin(), stopBitTexts.end(), fields[3].trimmed());
    if (stop == stopBitTexts.end())
        refuse(text, QStringLiteral("the stop bits must be 1, 1.5 or 2"));
    settings.stopBits = StopBits(stop - stopBitTexts.begin());
    return settings;
}

QString LineSettings::text() const
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(bitsPerSecond)
        .arg(QLatin1Char(parityLetters[std::size_t(parity)]))
        .arg(dataBits)
        .arg(stopBitTexts[std::size_t(stopBits)]);
}

double LineSettings::bitsPerCharacter() const
{
    const double parityBits = parity == Parity::None ? 0 : 1;
    const std::array<double, 3> stopBitTimes{1, 1.5, 2};
    return 1 + dataBits + parityBits + stopBitTimes[std::size_t(stopBits)];
}
