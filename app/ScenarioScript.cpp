#include "app/ScenarioScript.h"

#include "app/CommandInterpreter.h"
#include "core/ShownInput.h"
#include "core/TextDecoding.h"
#include "core/UsageError.h"
#include "platform/RegularFile.h"

#include <QStringList>

#include <algorithm>

namespace
{
// A step's time is bounded so that start-up plus it stays far inside the clock's range.
constexpr qint64 latestStepMs = 1000LL * 3600 * 24 * 365;

// The first `count` words of a line, split at blanks.
QList<QStringView> wordsOf(QStringView line, qsizetype count)
{
    QList<QStringView> words;
    qsizetype i = 0;
    while (i < line.size() && words.size() < count) {
        while (i < line.size() && line[i].isSpace())
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !line[i].isSpace())
            ++i;
        if (i > start)
            words.append(line.mid(start, i - start));
    }
    return words;
}
} // namespace

ScenarioScript ScenarioScript::read(const QString& path, bool virtualTime)
{
    const RegularFile file = RegularFile::read(path, largestFile);
    if (file.result != RegularFile::Result::Read)
        throw UsageError(
            QStringLiteral("--script"),
            QStringLiteral("%1 %2").arg(ShownInput::escaped(path), file.whyNot(largestFile)));
    return parse(path, decodeText(file.contents), virtualTime);
}

ScenarioScript ScenarioScript::parse(const QString& name, const QString& text, bool virtualTime)
{
    ScenarioScript script;
    const QString shownName = ShownInput::escaped(name);
    int lineNumber = 0;
    for (const QStringView whole : QStringTokenizer(text, u'\n')) {
        ++lineNumber;
        const QStringView line = whole.trimmed();
        const auto refuse = [&](const QString& message) {
            throw UsageError(QStringLiteral("%1:%2").arg(shownName).arg(lineNumber), message);
        };
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QList<QStringView> words = wordsOf(line, 2);
        if (words.size() < 2 || words[0] != QLatin1String("at"))
            refuse(QStringLiteral("expected \"at MS COMMAND\", e.g. at 3000 alarm 1"));
        bool ok = false;
        const qint64 at = words[1].toLongLong(&ok);
        const bool digits = std::all_of(words[1].begin(), words[1].end(),
                                        [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (digits && (!ok || at > latestStepMs))
            refuse(QStringLiteral("at %1 is later than a step can be: at most %2 ms (365 days) "
                                  "after start-up")
                       .arg(ShownInput::echoed(words[1].toString()))
                       .arg(latestStepMs));
        if (!ok || at < 0)
            refuse(QStringLiteral("\"%1\" is not a time: a whole number of milliseconds since "
                                  "start-up, e.g. at 3000 alarm 1")
                       .arg(ShownInput::echoed(words[1].toString())));
        if (!script.m_steps.isEmpty() && at < script.m_steps.last().at.count())
            refuse(QStringLiteral("at %1 comes after at %2: steps go in time order")
                       .arg(at)
                       .arg(script.m_steps.last().at.count()));
        const QString command =
            line.sliced(words[1].data() - line.data() + words[1].size()).trimmed().toString();
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
