#include "app/CommandInterpreter.h"

#include "app/FieldEntry.h"
#include "app/FormStatePrinter.h"
#include "app/HelpText.h"
#include "core/ErrorReporter.h"
#include "core/Fields.h"
#include "core/Form1.h"
#include "core/OpenDryx.h"
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

CommandInterpreter::CommandInterpreter(Simulator& simulator, OpenDryx& openDryx, QTextStream& out,
                                       ErrorReporter& reporter, std::function<void()> quit)
    : m_simulator(simulator), m_openDryx(openDryx), m_out(out), m_reporter(reporter),
      m_quit(std::move(quit))
{
}

QString CommandInterpreter::help()
{
    return QStringLiteral(
               "Commands, one a line (case does not matter):\n"
               "  start            press Start: open the port, send data strings\n"
               "  stop             press Stop: halt the timers, close the port\n"
               "  alarm N          press alarm button AN (1 to 4, as many as are shown)\n") +
           HelpText::item(QStringLiteral("  set FIELD TEXT"), 19,
                          QStringLiteral("type TEXT into a field and leave it (its check runs); "
                                         "FIELD is %1; \"quotes\" keep blanks around TEXT")
                              .arg(Fields::namingRule())) +
           QStringLiteral(
               "  show             the form state, one Name=Value line each, then \"end\"\n"
               "  launch           click the picture: start the monitoring application\n"
               "  help             this list\n"
               "  quit             end the program, as Close does (no Stop first)\n");
}

void CommandInterpreter::confirm(const QString& line)
{
    m_out << line << Qt::endl;
}

void CommandInterpreter::execute(const QString& line)
{
    const auto [word, rest] = splitWord(line);
    const QString command = word.toLower();
    if (command.isEmpty())
        return;
    if (command == QLatin1String("start") && rest.isEmpty())
        start();
    else if (command == QLatin1String("stop") && rest.isEmpty())
        stop();
    else if (command == QLatin1String("alarm"))
        alarm(rest);
    else if (command == QLatin1String("set"))
        set(rest);
    else if (command == QLatin1String("show") && rest.isEmpty())
        show();
    else if (command == QLatin1String("launch") && rest.isEmpty())
        launch();
    else if (command == QLatin1String("help") && rest.isEmpty())
        m_out << help() << Qt::flush;
    else if (command == QLatin1String("quit") && rest.isEmpty())
        m_quit();
    else
        m_reporter.error(line.trimmed(), QStringLiteral("unknown command (help lists them)"));
}

void CommandInterpreter::start()
{
    if (m_simulator.Command1_Click())
        confirm(QStringLiteral("started on ") + m_simulator.form().MSComm1.description());
}

void CommandInterpreter::stop()
{
    if (m_simulator.Command3_Click())
        confirm(QStringLiteral("stopped"));
}

void CommandInterpreter::launch()
{
    // Confirmed once the program has started, which may be after a mapping of some seconds.
    m_openDryx.Picture4_Click([this](const QString& done) { confirm(done); });
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
    if (m_simulator.Command4_Click(index))
        confirm(QStringLiteral("alarm %1 %2")
                    .arg(index)
                    .arg(m_simulator.form().AlarmState(index) ? QLatin1String("raised")
                                                              : QLatin1String("cleared")));
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
        field = Fields::entryField(name, QStringLiteral("set"));
    } catch (const UsageError& error) {
        m_reporter.error(error.action(), error.message());
        return;
    }
    if (const std::optional<EntryRefusal> refusal = FieldEntry::enter(m_simulator, field, text))
        m_reporter.error(QStringLiteral("set ") + name,
                         refusal->title + QLatin1String(": ") + refusal->message);
    else
        confirm(QStringLiteral("Text%1 = %2").arg(field).arg(text));
}

void CommandInterpreter::show()
{
    QStringList lines = FormStatePrinter::lines(m_simulator.form());
    if (m_moreState)
        lines += m_moreState();
    for (const QString& line : lines)
        m_out << line << '\n';
    m_out << "end" << Qt::endl;
}
