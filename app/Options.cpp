#include "app/Options.h"

#include "app/HelpText.h"
#include "core/Fields.h"
#include "core/ShownInput.h"
#include "core/StartupConfiguration.h"
#include "core/UsageError.h"
#include "platform/PerUserSettingsStore.h"

#include <algorithm>
#include <cmath>

namespace
{
// "--name=value" or "--name value"; `value` empty and false when neither is there.
bool takeValue(const QStringList& arguments, qsizetype& i, const QString& name, QString* value)
{
    const QString& argument = arguments[i];
    if (argument.startsWith(name + QLatin1Char('='))) {
        *value = argument.mid(name.size() + 1);
        return true;
    }
    if (argument != name || i + 1 >= arguments.size())
        return false;
    *value = arguments[++i];
    return true;
}

bool isValueOption(const QString& argument, const QString& name)
{
    return argument == name || argument.startsWith(name + QLatin1Char('='));
}

// "N=DEVICE": Com Port N is DEVICE.
void addPortMapping(PortMap& ports, const QString& text)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    bool ok = false;
    const int port = equals > 0 ? text.left(equals).trimmed().toInt(&ok) : 0;
    const QString device = equals > 0 ? text.mid(equals + 1).trimmed() : QString();
    if (!ok || port < 1 || port > 32767 || device.isEmpty())
        throw UsageError(QStringLiteral("--port"),
                         QStringLiteral("expects N=DEVICE with N from 1 to 32767, e.g. --port "
                                        "1=/dev/ttyUSB0; got \"%1\"")
                             .arg(ShownInput::echoed(text)));
    ports.map(qint16(port), device);
}

// What a link name must not hold: a line break would split the line of standard error that
// names it, and the Wine mapping and the readers' configuration that carry it.
void checkLinkName(const QString& link)
{
    if (link.isEmpty())
        throw UsageError(QStringLiteral("--virtual-port"),
                         QStringLiteral("needs a link path after the ="));
    if (std::any_of(link.begin(), link.end(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        throw UsageError(QStringLiteral("--virtual-port"),
                         QStringLiteral("the link \"%1\" has a control character in its name "
                                        "(shown as \\xHH): give a name without line breaks, tabs "
                                        "or escapes")
                             .arg(ShownInput::echoed(link)));
}

// Which line the run sends on: one of a device (the positional argument), --port mappings and
// --virtual-port, never two of them.
void checkOneLine(Options& options)
{
    if (options.virtualTime &&
        (options.virtualPort || !options.ports.isEmpty() || !options.device.isEmpty()))
        throw UsageError(QStringLiteral("--virtual-time"),
                         QStringLiteral("runs with no line at all: leave out --virtual-port, "
                                        "--port and the device"));
    if (!options.device.isEmpty() && options.virtualPort)
        throw UsageError(ShownInput::echoed(options.device),
                         QStringLiteral("a device and --virtual-port are two "
                                        "lines: give one of them"));
    if (!options.device.isEmpty() && !options.ports.isEmpty())
        throw UsageError(
            ShownInput::echoed(options.device),
            QStringLiteral("a device is the line for every Com Port, which leaves nothing to "
                           "--port: give the device alone, or as --port N=DEVICE"));
    if (options.virtualPort && !options.ports.isEmpty())
        throw UsageError(QStringLiteral("--virtual-port"),
                         QStringLiteral("sends whatever the Com Port, which leaves nothing to "
                                        "--port: give one of them"));
    if (!options.device.isEmpty())
        options.ports.mapEvery(options.device);
}
} // namespace

Options Options::parse(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return parse(arguments);
}

Options Options::parse(const QStringList& arguments)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString value;
        if (argument == QLatin1String("--headless")) {
            options.headless = true;
        } else if (argument == QLatin1String("--start")) {
            options.start = true;
        } else if (argument == QLatin1String("--trace")) {
            options.trace = true;
        } else if (argument == QLatin1String("--monitor")) {
            options.monitor = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--version") || argument == QLatin1String("-V")) {
            options.version = true;
        } else if (argument == QLatin1String("--virtual-time")) {
            options.virtualTime = true;
        } else if (isValueOption(argument, QStringLiteral("--script"))) {
            if (!takeValue(arguments, i, QStringLiteral("--script"), &value) || value.isEmpty())
                throw UsageError(QStringLiteral("--script"),
                                 QStringLiteral("expects the path of a scenario script"));
            options.scriptFile = value;
        } else if (isValueOption(argument, QStringLiteral("--seed"))) {
            bool ok = takeValue(arguments, i, QStringLiteral("--seed"), &value);
            options.seed = ok ? value.toULongLong(&ok) : 0;
            if (!ok)
                throw UsageError(QStringLiteral("--seed"),
                                 QStringLiteral("expects a whole number from 0, e.g. --seed 7"));
        } else if (argument == QLatin1String("--virtual-port")) {
            options.virtualPort = true;
        } else if (argument.startsWith(QLatin1String("--virtual-port="))) {
            options.virtualPort = true;
            options.virtualLink = argument.mid(15);
            checkLinkName(options.virtualLink);
        } else if (isValueOption(argument, QStringLiteral("--duration"))) {
            bool ok = takeValue(arguments, i, QStringLiteral("--duration"), &value);
            const double seconds = ok ? value.toDouble(&ok) : 0;
            if (!ok || !(seconds >= 0) || seconds > 1e6)
                throw UsageError(QStringLiteral("--duration"),
                                 QStringLiteral("expects a number of seconds, e.g. --duration 60"));
            options.durationMs = qint64(std::llround(seconds * 1000));
        } else if (isValueOption(argument, QStringLiteral("--set"))) {
            const qsizetype equals = takeValue(arguments, i, QStringLiteral("--set"), &value)
                                         ? value.indexOf(QLatin1Char('='))
                                         : -1;
            if (equals < 1)
                throw UsageError(QStringLiteral("--set"),
                                 QStringLiteral("expects FIELD=TEXT, e.g. --set Text1=30"));
            const QString name = value.left(equals);
            const int field =
                Fields::entryField(name, QStringLiteral("--set ") + ShownInput::echoed(value));
            options.entries.append({field, name.trimmed(), value.mid(equals + 1)});
        } else if (isValueOption(argument, QStringLiteral("--log")) ||
                   isValueOption(argument, QStringLiteral("--log-append"))) {
            const QString name = argument.section(QLatin1Char('='), 0, 0);
            if (!takeValue(arguments, i, name, &value) || value.isEmpty())
                throw UsageError(name, QStringLiteral("expects the path of the record"));
            if (!options.logFile.isEmpty())
                throw UsageError(name, QStringLiteral("one record a run: --log FILE makes it "
                                                      "afresh, --log-append FILE adds to it"));
            options.logFile = value;
            options.logAppend = name == QLatin1String("--log-append");
        } else if (isValueOption(argument, QStringLiteral("--settings"))) {
            if (!takeValue(arguments, i, QStringLiteral("--settings"), &value) || value.isEmpty())
                throw UsageError(QStringLiteral("--settings"),
                                 QStringLiteral("expects the path of an INI file"));
            options.settingsFile = value;
        } else if (isValueOption(argument, QStringLiteral("--wine-com"))) {
            bool ok = takeValue(arguments, i, QStringLiteral("--wine-com"), &value);
            const int number = ok ? value.toInt(&ok) : 0;
            if (!ok || number < 1 || number > 256)
                throw UsageError(QStringLiteral("--wine-com"),
                                 QStringLiteral("expects a COM port number from 1 to 256, e.g. "
                                                "--wine-com 1"));
            options.wineCom = number;
        } else if (isValueOption(argument, QStringLiteral("--port"))) {
            takeValue(arguments, i, QStringLiteral("--port"), &value);
            addPortMapping(options.ports, value);
        } else if (argument.startsWith(QLatin1Char('-')) || argument.isEmpty()) {
            throw UsageError(ShownInput::echoed(argument),
                             QStringLiteral("unknown option (see --help)"));
        } else if (!argument.contains(QLatin1Char('/'))) {
            throw UsageError(ShownInput::echoed(argument),
                             QStringLiteral("neither an option nor a device: a device "
                                            "is a path, e.g. /dev/ttyUSB0 (see --help)"));
        } else if (!options.device.isEmpty()) {
            throw UsageError(ShownInput::echoed(argument),
                             QStringLiteral("a second device: %1 is already the line, for every "
                                            "Com Port")
                                 .arg(ShownInput::echoed(options.device)));
        } else {
            options.device = argument;
        }
    }
    checkOneLine(options);
    if (options.monitor && (options.headless || options.virtualTime))
        throw UsageError(QStringLiteral("--monitor"),
                         QStringLiteral("opens the line window beside the window: leave out %1")
                             .arg(options.headless ? QStringLiteral("--headless")
                                                   : QStringLiteral("--virtual-time")));
    if (options.virtualTime && options.scriptFile.isEmpty() && !options.durationMs)
        throw UsageError(QStringLiteral("--virtual-time"),
                         QStringLiteral("needs --script or --duration, or the run would never "
                                        "end"));
    return options;
}

QString Options::usage()
{
    const QString setup = perUserSettingsLocation(QLatin1String(StartupConfiguration::application));
    return QStringLiteral(R"(Usage: %6 [OPTION]... [DEVICE]
Stands in for the PLC of a production line: writes timed data strings on a serial
line (or a built-in virtual one) for the DRYX line-monitoring application. With a
display it opens its window; without one, or with --headless, it takes the
operator's actions as commands on standard input.

DEVICE (e.g. /dev/ttyUSB0) is the line: every Start sends on it, whatever the Com
Port [Com Port N is %1, or as --port maps it].

Options (default in brackets):
  --headless            no window, commands on standard input [window if there is
                        a display]
  --start               press Start once start-up is done [not pressed]
  --duration SECONDS    press Stop and end that long after start-up [run until
                        ended]
  --monitor             open the line window beside the window: the line, what
                        went out, faults, scenario, record (the window's menu
                        and Ctrl+L open it too) [closed]
%3  --script FILE         carry out the commands of FILE, each at its moment since
                        start-up ("at 3000 alarm 1", one a line; a regular file
                        of UTF-8 or Latin-1 text, up to 64 MB) [none]
  --virtual-time        no line and no waiting: run the script or --duration at
                        once on a virtual clock, the line taken to be 9600 8N1,
                        for --log and --trace; no window, no standard input
                        [real time]
  --seed N              the seed of every random choice of the line faults; the
                        record's first line names it [1]
  --trace               one line per transmitter tick on standard output, and at
                        the end what `status` says; a reader that goes away (a
                        pipe into head) ends the run [off]
  --log FILE            a record of every line written to the port, in FILE made
                        afresh (a FIFO is given 3 s to find its reader) [off]
  --log-append FILE     the same record, added to the end of FILE [off]
  --settings FILE       read the setup from this INI file (a regular file, up to
                        1 MB) [the per-user setup]
  --port N=DEVICE       Com Port N is DEVICE, e.g. 1=/dev/ttyUSB0; again for more
                        [Com Port N is %1]
  --virtual-port[=LINK] send on a built-in virtual line, whatever the Com Port; its
                        path goes to standard error, LINK is made a link to it (a
                        LINK that another running instance holds is refused)
                        [a serial device]
  --wine-com N          the COM port of Wine that a launch maps to the virtual
                        line's link [the number in Com Port at the launch]
  -h, --help            this text
  -V, --version         the version

Commands without a window, one a line: start, stop, alarm N, set FIELD TEXT,
fault KIND, show, status, launch, help, quit (`help` says more).

The setup is read from %2
(application "%4", section [%5]: NumKTron, NumModbus, Num6B, NumRelay,
PLCTerminator), or from the file --settings names.

Exit status: 0 the run went as asked; 1 an error was reported during the run (a
record that could not be written is one; at once when --start cannot start); 2
bad usage.

Examples:
  %6 --settings setup.ini --virtual-port=/tmp/dryx-line
      the window, sending on /tmp/dryx-line (`cat /tmp/dryx-line` shows what it sends)
  %6 --headless --start --duration 60 --trace /dev/ttyUSB0
      a minute on a USB adapter, one line per tick; the exit status tells
  %6 --settings setup.ini --script rig.txt --virtual-time --log rig.log
      the record of the scenario rig.txt, at once, to diff against a golden one
)")
        .arg(PortMap::defaultDevicePattern(), setup,
             HelpText::item(QStringLiteral("  --set FIELD=TEXT"), 24,
                            QStringLiteral("type TEXT into a field and leave it, before --start; "
                                           "again for more fields; FIELD is %1 [none]")
                                .arg(Fields::namingRule())),
             QLatin1String(StartupConfiguration::application),
             QLatin1String(StartupConfiguration::section), QLatin1String(programName));
}
