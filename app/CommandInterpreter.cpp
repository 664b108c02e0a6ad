#include "app/CommandInterpreter.h"

#include "app/FieldEntry.h"
#include "app/FieldNames.h"
#include "app/FormStatePrinter.h"
#include "core/ErrorReporter.h"
#include "core/Form1.h"
#include "core/Simulator.h"
#include "core/UsageError.h"

namespace
{
// The first word, and the rest with the blanks after the word taken off.
std::pair<QString, QString> splitWord(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    while (end < trimmed.size() && !trimmed[end].isSpace())
        ++end;
    return {trimmed.left(end), trimmed.mid(end).trimmed()};
}
} // namespace

CommandInterpreter::CommandInterpreter(Simulator& simulator, QTextStream& out,
                                       ErrorReporter& reporter, std::function<void()> quit)
    : m_simulator(simulator), m_out(out), m_reporter(reporter), m_quit(std::move(quit))
{
}

void CommandInterpreter::execute(const QString& line)
{
    const auto [word, rest] = splitWord(line);
    const QString command = word.toLower();
    if (command.isEmpty())
        return;
    if (command == QLatin1String("start") && rest.isEmpty())
        m_simulator.Command1_Click();
    else if (command == QLatin1String("stop") && rest.isEmpty())
        m_simulator.Command3_Click();
    else if (command == QLatin1String("alarm"))
        alarm(rest);
    else if (command == QLatin1String("set"))
        set(rest);
    else if (command == QLatin1String("show") && rest.isEmpty())
        show();
    else if (command == QLatin1String("quit") && rest.isEmpty())
        m_quit();
    else
        m_reporter.error(line.trimmed(), QStringLiteral("unknown command"));
}

void CommandInterpreter::alarm(const QString& argument)
{
    bool ok = false;
    const int index = argument.toInt(&ok);
    if (!ok) {
        m_reporter.error(QStringLiteral("alarm"),
                         QStringLiteral("expected an alarm button number, e.g. alarm 1"));
        return;
    }
    if (index < 1 || index > Form1::alarmCount || !m_simulator.form().Command4(index).visible()) {
        m_reporter.error(QStringLiteral("alarm %1").arg(index),
                         QStringLiteral("alarm button A%1 is not shown").arg(index));
        return;
    }
    m_simulator.Command4_Click(index);
}

void CommandInterpreter::set(const QString& arguments)
{
    auto [name, text] = splitWord(arguments);
    if (name.isEmpty()) {
        m_reporter.error(QStringLiteral("set"),
                         QStringLiteral("expected a field and a text, e.g. set Text1 30"));
        return;
    }
    // A text in double quotes keeps its blanks.
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    int field = 0;
    try {
        field = FieldNames::entryField(name, QStringLiteral("set"));
    } catch (const UsageError& error) {
        m_reporter.error(error.action(), error.message());
        return;
    }
    if (const std::optional<EntryRefusal> refusal = FieldEntry::enter(m_simulator, field, text))
        m_reporter.error(QStringLiteral("set ") + name,
                         refusal->title + QLatin1String(": ") + refusal->message);
}

void CommandInterpreter::show()
{
    for (const QString& line : FormStatePrinter::lines(m_simulator.form()))
        m_out << line << '\n';
    m_out << "end" << Qt::endl;
}
