#include "launcher/ProcessLauncher.h"

#include "launcher/NativeProgram.h"
#include "launcher/WinePrefix.h"

#include <QOperatingSystemVersion>
#include <QProcess>
#include <QRegularExpression>

ProcessLauncher::ProcessLauncher(const WinePrefix& prefix, WineLoader wineLoader)
    : m_prefix(prefix), m_wineLoader(std::move(wineLoader))
{
}

bool ProcessLauncher::isWindowsPath(const QString& path)
{
    static const QRegularExpression windows(QStringLiteral("^([A-Za-z]:[\\\\/]|\\\\\\\\)"));
    return windows.match(path).hasMatch();
}

bool ProcessLauncher::startsThroughWine(const QString& path) const
{
    return QOperatingSystemVersion::currentType() != QOperatingSystemVersion::Windows &&
           isWindowsPath(path);
}

std::optional<QString> ProcessLauncher::start(const QString& path)
{
    if (!startsThroughWine(path))
        return NativeProgram::start(path);
    const std::optional<QString> loader = m_wineLoader();
    if (!loader)
        return WineInstallation::howToInstall();
    if (!m_prefix.fileOf(path))
        return QStringLiteral("there is no such program in the Wine prefix %1")
            .arg(m_prefix.shownPrefix());
    QProcess process;
    process.setProgram(*loader);
    process.setArguments({path});
    process.setProcessEnvironment(m_prefix.environment()); // the user's, WINEPREFIX and all
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (process.startDetached())
        return std::nullopt;
    // Qt reports e.g. "execv: No such file or directory": the operator needs the reason only.
    QString reason = process.errorString();
    reason.remove(QRegularExpression(QStringLiteral("^[a-z_]+: ")));
    return reason.isEmpty() ? QStringLiteral("the system gave no reason") : reason;
}
