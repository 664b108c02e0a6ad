#include "launcher/WinePrefix.h"

#include "core/SimulatorError.h"
#include "launcher/WineInstallation.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <QFile>
#include <QProcess>
#include <algorithm>

namespace
{
[[noreturn]] void cannot(const QString& why)
{
    throw SimulatorError(ErrorKind::LaunchFailed,
                         QStringLiteral("cannot map a COM port of Wine: %1").arg(why));
}

// A string of the registry file: "..." with \\ and \" inside.
QString unescaped(const QString& quoted)
{
    QString text;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == QLatin1Char('\\') && i + 2 < quoted.size())
            ++i;
        text += quoted[i];
    }
    return text;
}
} // namespace

WinePrefix::WinePrefix(const QProcessEnvironment& environment) : m_environment(environment)
{
    m_prefix = m_environment.value(QStringLiteral("WINEPREFIX"));
    if (m_prefix.isEmpty())
        m_prefix = m_environment.value(QStringLiteral("HOME"), QDir::homePath()) +
                   QStringLiteral("/.wine");
}

QString WinePrefix::shownPrefix() const
{
    const QString home = m_environment.value(QStringLiteral("HOME"), QDir::homePath());
    if (!home.isEmpty() && m_prefix.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + m_prefix.mid(home.size());
    return m_prefix;
}

std::optional<QString> WinePrefix::mapped(int number) const
{
    QFile registry(m_prefix + QStringLiteral("/system.reg"));
    if (!registry.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QString name = QStringLiteral("\"COM%1\"=").arg(number);
    bool inPorts = false;
    while (!registry.atEnd()) {
        const QString line = QString::fromUtf8(registry.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inPorts =
                line.startsWith(QLatin1String(R"([Software\\Wine\\Ports])"), Qt::CaseInsensitive);
        else if (inPorts && line.startsWith(name, Qt::CaseInsensitive))
            return unescaped(line.mid(name.size()));
    }
    return std::nullopt;
}

std::optional<QString> WinePrefix::fileOf(const QString& windowsPath) const
{
    if (!windowsPath.startsWith(QLatin1String("c:"), Qt::CaseInsensitive))
        return std::nullopt;
    QString at = m_prefix + QStringLiteral("/drive_c");
    const QStringList parts =
        windowsPath.mid(2).split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QStringList entries =
            QDir(at).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const auto found = std::find_if(entries.begin(), entries.end(), [&](const QString& entry) {
            return entry.compare(part, Qt::CaseInsensitive) == 0;
        });
        if (found == entries.end())
            return std::nullopt;
        at += QLatin1Char('/') + *found;
    }
    return QFileInfo(at).isFile() ? std::optional(at) : std::nullopt;
}

void WinePrefix::run(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    QProcessEnvironment environment = m_environment;
    // Quiet, and no dialogs for components that a port mapping does not need.
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    process.setProcessEnvironment(environment);
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    // A prefix made afresh by the first use takes some seconds.
    if (!process.waitForFinished(120'000)) {
        process.kill();
        process.waitForFinished(1000);
        cannot(QStringLiteral("%1 did not finish").arg(program));
    }
}

std::optional<QString> WinePrefix::map(int number, const QString& device)
{
    if (mapped(number) == device)
        return std::nullopt;
    const std::optional<QString> loader = WineInstallation::loader();
    const std::optional<QString> server = WineInstallation::server();
    if (!loader || !server)
        cannot(WineInstallation::howToInstall());
    const QString name = QStringLiteral("COM%1").arg(number);
    run(*loader, {QStringLiteral("reg"), QStringLiteral("add"),
                  QStringLiteral("HKLM\\Software\\Wine\\Ports"), QStringLiteral("/v"), name,
                  QStringLiteral("/t"), QStringLiteral("REG_SZ"), QStringLiteral("/d"), device,
                  QStringLiteral("/f")});
    // The server writes the registry out as it ends, and the next program's reads the value.
    run(*server, {QStringLiteral("-k")});
    run(*server, {QStringLiteral("-w")});
    if (mapped(number) != device)
        cannot(QStringLiteral("%1 of %2 does not hold %3 after setting it")
                   .arg(name, shownPrefix(), device));
    return QStringLiteral("%1 of %2 \u2192 %3").arg(name, shownPrefix(), device);
}
