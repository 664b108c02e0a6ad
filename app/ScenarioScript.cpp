#include "app/ScenarioScript.h"

#include "app/CommandInterpreter.h"
#include "core/UsageError.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace
{
// A step's time is bounded so that start-up plus it stays far inside the clock's range.
constexpr qint64 latestStepMs = 1000LL * 3600 * 24 * 365;
} // namespace

ScenarioScript ScenarioScript::read(const QString& path, bool virtualTime)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw UsageError(QStringLiteral("--script"),
                         QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return parse(path, QString::fromUtf8(file.readAll()), virtualTime);
}

ScenarioScript ScenarioScript::parse(const QString& name, const QString& text, bool virtualTime)
{
    ScenarioScript script;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i + 1);
        const QString line = lines[i].trimmed();
        const auto refuse = [&](const QString& message) {
            throw UsageError(QStringLiteral("%1:%2").arg(name).arg(lineNumber), message);
        };
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (words.size() < 2 || words[0] != QLatin1String("at"))
            refuse(QStringLiteral("expected \"at MS COMMAND\", e.g. at 3000 alarm 1"));
        bool ok = false;
        const qint64 at = words[1].toLongLong(&ok);
        if (!ok || at < 0 || at > latestStepMs)
            refuse(QStringLiteral("\"%1\" is not a time: a whole number of milliseconds since "
                                  "start-up, e.g. at 3000 alarm 1")
                       .arg(words[1]));
        if (!script.m_steps.isEmpty() && at < script.m_steps.last().at.count())
            refuse(QStringLiteral("at %1 comes after at %2: steps go in time order")
                       .arg(at)
                       .arg(script.m_steps.last().at.count()));
        const QString command = line.mid(line.indexOf(words[1]) + words[1].size()).trimmed();
        if (command.isEmpty())
            refuse(QStringLiteral("expected a command after the time, e.g. at %1 start").arg(at));
        std::optional<CommandInterpreter::Command> read;
        try {
            read = CommandInterpreter::read(command);
        } catch (const UsageError& error) {
            refuse(error.action() + QLatin1String(": ") + error.message());
        }
        if (virtualTime && read && read->name == CommandInterpreter::Command::Name::Launch)
            refuse(QStringLiteral("launch: a program cannot be launched in virtual time"));
        script.m_steps.append({std::chrono::milliseconds(at), command, lineNumber});
    }
    return script;
}

std::chrono::milliseconds ScenarioScript::last() const
{
    return m_steps.isEmpty() ? std::chrono::milliseconds(0) : m_steps.last().at;
}
