#include "app/CommandInterpreter.h"

#include "app/FieldEntry.h"
#include "app/FormStatePrinter.h"
#include "app/HelpText.h"
#include "app/RunStatusPrinter.h"
#include "core/ErrorReporter.h"
#include "core/Fields.h"
#include "core/Form1.h"
#include "core/LineFaults.h"
#include "core/OpenDryx.h"
#include "core/ShownInput.h"
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
               "  fault KIND [ARG] [xN]\n"
               "                   break the next data string (the next N) on purpose:\n") +
           LineFault::list(QStringLiteral("                     ")) +
           QStringLiteral(
               "  show             the form state, one Name=Value line each, then \"end\"\n"
               "  status           how the run goes: the line, running or stopped since when,\n"
               "                   data strings sent and left out, bytes, errors, faults armed,\n"
               "                   the scenario's next step; Name=Value lines, then \"end\"\n"
               "  launch           click the picture: start the monitoring application\n"
               "  help             this list\n"
               "  quit             end the program, as Close does (no Stop first)\n");
}

void CommandInterpreter::confirm(const QString& line)
{
    m_out << line << Qt::endl;
}

std::optional<CommandInterpreter::Command> CommandInterpreter::read(const QString& line)
{
    using Name = Command::Name;
    const auto [word, rest] = splitWord(line);
    const QString command = word.toLower();
    if (command.isEmpty())
        return std::nullopt;
    Command read;
    static const QList<std::pair<QLatin1String, Name>> bare{
        {QLatin1String("start"), Name::Start},   {QLatin1String("stop"), Name::Stop},
        {QLatin1String("show"), Name::Show},     {QLatin1String("status"), Name::Status},
        {QLatin1String("launch"), Name::Launch}, {QLatin1String("help"), Name::Help},
        {QLatin1String("quit"), Name::Quit}};
    for (const auto& [name, value] : bare)
        if (command == name && rest.isEmpty()) {
            read.name = value;
            return read;
        }
    if (command == QLatin1String("alarm")) {
        bool ok = false;
        read.name = Name::Alarm;
        read.alarm = rest.toInt(&ok);
        if (!ok)
            throw UsageError(QStringLiteral("alarm"),
                             QStringLiteral("expected an alarm button number, e.g. alarm 1"));
        return read;
    }
    if (command == QLatin1String("set")) {
        auto [name, text] = splitWord(rest);
        if (name.isEmpty())
            throw UsageError(QStringLiteral("set"),
                             QStringLiteral("expected a field and a text, e.g. set Text1 30"));
        // A text in double quotes keeps its blanks.
        if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) &&
            text.endsWith(QLatin1Char('"')))
            text = text.mid(1, text.size() - 2);
        read.name = Name::Set;
        read.field = Fields::entryField(name, QStringLiteral("set"));
        read.fieldName = name;
        read.text = text;
        return read;
    }
    if (command == QLatin1String("fault")) {
        read.name = Name::Fault;
        read.fault = LineFault::parse(rest);
        return read;
    }
    throw UsageError(ShownInput::echoed(line.trimmed()),
                     QStringLiteral("unknown command (help lists them)"));
}

void CommandInterpreter::refuseOverlong(qsizetype bytes, qsizetype limit)
{
    m_reporter.error(QStringLiteral("a command line of %1 bytes").arg(bytes),
                     QStringLiteral("longer than any command (at most %1 bytes); ignored")
                         .arg(limit));
}

void CommandInterpreter::execute(const QString& line)
{
    std::optional<Command> command;
    try {
        command = read(line);
    } catch (const UsageError& error) {
        m_reporter.error(error.action(), error.message());
        return;
    }
    if (!command)
        return;
    using Name = Command::Name;
    switch (command->name) {
    case Name::Start:
        return start();
    case Name::Stop:
        return stop();
    case Name::Alarm:
        return alarm(command->alarm);
    case Name::Set:
        return set(*command);
    case Name::Fault:
        return fault(command->fault);
    case Name::Show:
        return show();
    case Name::Status:
        return status();
    case Name::Launch:
        return launch();
    case Name::Help:
        m_out << help() << Qt::flush;
        return;
    case Name::Quit:
        return m_quit();
    }
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

void CommandInterpreter::alarm(int index)
{
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

void CommandInterpreter::set(const Command& command)
{
    if (const std::optional<EntryRefusal> refusal =
            FieldEntry::enter(m_simulator, command.field, command.text))
        m_reporter.error(QStringLiteral("set ") + ShownInput::echoed(command.fieldName),
                         refusal->title + QLatin1String(": ") + refusal->message);
    else
        confirm(
            QStringLiteral("Text%1 = %2").arg(command.field).arg(ShownInput::echoed(command.text)));
}

void CommandInterpreter::fault(const LineFault& fault)
{
    if (!m_faults) {
        m_reporter.error(QStringLiteral("fault"), QStringLiteral("this line takes no faults"));
        return;
    }
    confirm(arm(fault));
}

QString CommandInterpreter::arm(const LineFault& fault)
{
    m_faults->arm(fault);
    QString armed =
        QStringLiteral("fault %1 armed for the next %2")
            .arg(fault.describe())
            .arg(fault.dataStrings > 1 ? QStringLiteral("%1 data strings").arg(fault.dataStrings)
                                       : QStringLiteral("data string"));
    if (fault.kind == LineFault::Kind::Break && !m_simulator.form().MSComm1.sendsBreaks())
        armed += QStringLiteral(" (this line has no break condition: it will be silent for "
                                "%1 ms)")
                     .arg(fault.number);
    return armed;
}

void CommandInterpreter::status()
{
    if (!m_status) {
        m_reporter.error(QStringLiteral("status"), QStringLiteral("there is no run to tell of"));
        return;
    }
    for (const QString& line : RunStatusPrinter::lines(m_status()))
        m_out << line << '\n';
    m_out << "end" << Qt::endl;
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
