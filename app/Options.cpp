#include "app/Options.h"

#include "app/FieldNames.h"

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
} // namespace

std::optional<Options> Options::parse(const QStringList& arguments, QString* why)
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
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--version")) {
            options.version = true;
        } else if (argument == QLatin1String("--virtual-port")) {
            options.virtualPort = true;
        } else if (argument.startsWith(QLatin1String("--virtual-port="))) {
            options.virtualPort = true;
            options.virtualLink = argument.mid(15);
            if (options.virtualLink.isEmpty()) {
                *why = QStringLiteral("--virtual-port= needs a link path after the =");
                return std::nullopt;
            }
        } else if (isValueOption(argument, QStringLiteral("--duration"))) {
            bool ok = takeValue(arguments, i, QStringLiteral("--duration"), &value);
            const double seconds = ok ? value.toDouble(&ok) : 0;
            if (!ok || !(seconds >= 0) || seconds > 1e6) {
                *why = QStringLiteral("--duration expects a number of seconds, e.g. --duration 60");
                return std::nullopt;
            }
            options.durationMs = qint64(std::llround(seconds * 1000));
        } else if (isValueOption(argument, QStringLiteral("--set"))) {
            const qsizetype equals = takeValue(arguments, i, QStringLiteral("--set"), &value)
                                         ? value.indexOf(QLatin1Char('='))
                                         : -1;
            if (equals < 1) {
                *why = QStringLiteral("--set expects FIELD=TEXT, e.g. --set Text1=30");
                return std::nullopt;
            }
            QString fieldWhy;
            const QString name = value.left(equals);
            const std::optional<int> field = FieldNames::entryField(name, &fieldWhy);
            if (!field) {
                *why = QStringLiteral("--set %1: %2").arg(value, fieldWhy);
                return std::nullopt;
            }
            options.entries.append({*field, name.trimmed(), value.mid(equals + 1)});
        } else if (isValueOption(argument, QStringLiteral("--settings"))) {
            if (!takeValue(arguments, i, QStringLiteral("--settings"), &value) || value.isEmpty()) {
                *why = QStringLiteral("--settings expects the path of an INI file");
                return std::nullopt;
            }
            options.settingsFile = value;
        } else if (isValueOption(argument, QStringLiteral("--port"))) {
            if (!takeValue(arguments, i, QStringLiteral("--port"), &value)) {
                *why = QStringLiteral("--port expects N=DEVICE, e.g. --port 1=/dev/ttyUSB0");
                return std::nullopt;
            }
            if (!options.ports.addMapping(value, why))
                return std::nullopt;
        } else {
            *why = QStringLiteral("unknown option \"%1\" (see --help)").arg(argument);
            return std::nullopt;
        }
    }
    return options;
}

QString Options::usage()
{
    return QStringLiteral(
        "Usage: dryx-plc-test [options]\n"
        "Stands in for the PLC of a production line: writes timed data strings on a serial\n"
        "line for the DRYX line-monitoring application.\n"
        "\n"
        "  --headless            run without a window; operator actions come on standard\n"
        "                        input (also the mode when there is no display)\n"
        "  --start               press Start once start-up is done\n"
        "  --duration SECONDS    press Stop and end the program that long after start-up\n"
        "  --set FIELD=TEXT      type TEXT into a field before --start (repeatable); FIELD is\n"
        "                        Text1..Text8 or points, pagegap, gap, pages, alarms, port,\n"
        "                        terminator; a refused entry ends the program (status 2)\n"
        "  --trace               print one line per transmitter tick on standard output:\n"
        "                        ms since Start, timer, byte count, line texts\n"
        "  --settings FILE       read the setup from this INI file instead of the per-user\n"
        "                        settings of \"kelmarith\"\n"
        "  --port N=DEVICE       Com Port N is DEVICE (repeatable); by default Com Port N is\n"
        "                        /dev/ttyS<N-1> (COM<N> on Windows)\n"
        "  --virtual-port[=LINK] send on a built-in virtual line (a pseudo-terminal) whatever\n"
        "                        the Com Port; its path is printed on standard error, and\n"
        "                        LINK, if given, is made a symbolic link to it\n"
        "  --help, --version\n"
        "\n"
        "Headless commands, one per line: start, stop, alarm N, set FIELD TEXT, show, quit.\n");
}
