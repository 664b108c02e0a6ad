#include "launcher/WinePrefix.h"

#include "launcher/ProcessRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace
{
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

WinePrefix::WinePrefix(ProcessRunner& runner, const QProcessEnvironment& environment)
    : WinePrefix(runner, environment, Programs())
{
}

WinePrefix::WinePrefix(ProcessRunner& runner, const QProcessEnvironment& environment,
                       Programs programs)
    : m_runner(runner), m_environment(environment), m_programs(std::move(programs))
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

void WinePrefix::map(int number, const QString& device, Done done)
{
    m_waiting.push_back({number, device, std::move(done)});
    if (!m_current)
        serveWaiting();
}

void WinePrefix::serveWaiting()
{
    while (!m_current && !m_waiting.empty()) {
        m_current = std::move(m_waiting.front());
        m_waiting.pop_front();
        const int number = m_current->number;
        const QString device = m_current->device;
        if (mapped(number) == device) {
            finish({Outcome::Result::AlreadyMapped, {}});
            continue;
        }
        const std::optional<QString> loader = m_programs.loader();
        const std::optional<QString> server = m_programs.server();
        if (!loader || !server) {
            fail(WineInstallation::howToInstall());
            continue;
        }
        // The server writes the registry out as it ends, and the next program's reads the value.
        m_commands = {
            {*loader,
             {QStringLiteral("reg"), QStringLiteral("add"),
              QStringLiteral("HKLM\\Software\\Wine\\Ports"), QStringLiteral("/v"),
              QStringLiteral("COM%1").arg(number), QStringLiteral("/t"), QStringLiteral("REG_SZ"),
              QStringLiteral("/d"), device, QStringLiteral("/f")}},
            {*server, {QStringLiteral("-k")}},
            {*server, {QStringLiteral("-w")}}};
        runNextCommand();
    }
}

void WinePrefix::runNextCommand()
{
    if (m_commands.empty()) {
        const QString name = QStringLiteral("COM%1").arg(m_current->number);
        const QString& device = m_current->device;
        if (mapped(m_current->number) != device)
            fail(QStringLiteral("%1 of %2 does not hold %3 after setting it")
                     .arg(name, shownPrefix(), device));
        else
            finish({Outcome::Result::Mapped,
                    QStringLiteral("%1 of %2 \u2192 %3").arg(name, shownPrefix(), device)});
        return;
    }
    Command command = std::move(m_commands.front());
    m_commands.pop_front();
    QProcessEnvironment environment = m_environment;
    // Quiet, and no dialogs for components that a port mapping does not need.
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    // The outcome is told later, or at once when the program cannot start: either way the
    // request is over or goes on from here, and the ones waiting are served after it.
    m_runner.run(command.program, command.arguments, environment,
                 [this, program = command.program](const ProcessRunner::Outcome& outcome) {
                     switch (outcome.end) {
                     case ProcessRunner::Outcome::End::Exited:
                     case ProcessRunner::Outcome::End::Crashed:
                         // What Wine did is seen in the registry file at the end.
                         runNextCommand();
                         break;
                     case ProcessRunner::Outcome::End::NotStarted:
                         fail(QStringLiteral("%1 did not start: %2").arg(program, outcome.reason));
                         break;
                     case ProcessRunner::Outcome::End::TimedOut:
                         fail(QStringLiteral("%1 did not finish").arg(program));
                         break;
                     }
                     serveWaiting();
                 });
}

void WinePrefix::fail(const QString& why)
{
    m_commands.clear();
    finish({Outcome::Result::Failed, QStringLiteral("cannot map a COM port of Wine: %1").arg(why)});
}

// The request stays current while it is told, so that a request made from `done` waits its
// turn instead of being served inside it.
void WinePrefix::finish(const Outcome& outcome)
{
    const Done done = std::move(m_current->done);
    done(outcome);
    m_current.reset();
}
