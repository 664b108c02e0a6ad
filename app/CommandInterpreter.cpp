#include "app/CommandInterpreter.h"

#include "app/FieldEntry.h"
#include "app/FieldNames.h"
#include "core/Form1.h"
#include "app/FormStatePrinter.h"
#include "core/Simulator.h"

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

CommandInterpreter::CommandInterpreter(Simulator& simulator, QTextStream& out, QTextStream& err,
                                       std::function<void()> quit)
    : m_simulator(simulator), m_out(out), m_err(err), m_quit(std::move(quit))
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
        m_err << "unknown command: " << line.trimmed() << Qt::endl;
}

void CommandInterpreter::alarm(const QString& argument)
{
    bool ok = false;
    const int index = argument.toInt(&ok);
    if (!ok) {
        m_err << "alarm: expected an alarm button number, e.g. alarm 1" << Qt::endl;
        return;
    }
    if (index < 1 || index > Form1::alarmCount || !m_simulator.form().Command4(index).visible()) {
        m_err << "alarm " << index << ": alarm button A" << index << " is not shown" << Qt::endl;
        return;
    }
    m_simulator.Command4_Click(index);
}

void CommandInterpreter::set(const QString& arguments)
{
    auto [name, text] = splitWord(arguments);
    if (name.isEmpty()) {
        m_err << "set: expected a field and a text, e.g. set Text1 30" << Qt::endl;
        return;
    }
    // A text in double quotes keeps its blanks.
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    QString why;
    const std::optional<int> field = FieldNames::entryField(name, &why);
    if (!field) {
        m_err << "set: " << why << Qt::endl;
        return;
    }
    if (const std::optional<EntryRefusal> refusal = FieldEntry::enter(m_simulator, *field, text))
        m_err << "set " << name << ": " << refusal->title << ": " << refusal->message << Qt::endl;
}

void CommandInterpreter::show()
{
    for (const QString& line : FormStatePrinter::lines(m_simulator.form()))
        m_out << line << '\n';
    m_out << "end" << Qt::endl;
}
