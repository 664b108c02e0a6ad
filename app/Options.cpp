#include "app/Options.h"

#include "app/FieldNames.h"
#include "core/UsageError.h"

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
                             .arg(text));
    ports.map(qint16(port), device);
}
} // namespace

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
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--version")) {
            options.version = true;
        } else if (argument == QLatin1String("--virtual-port")) {
            options.virtualPort = true;
        } else if (argument.startsWith(QLatin1String("--virtual-port="))) {
            options.virtualPort = true;
            options.virtualLink = argument.mid(15);
            if (options.virtualLink.isEmpty())
                throw UsageError(QStringLiteral("--virtual-port"),
                                 QStringLiteral("needs a link path after the ="));
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
            const int field = FieldNames::entryField(name, QStringLiteral("--set ") + value);
            options.entries.append({field, name.trimmed(), value.mid(equals + 1)});
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
        } else {
            throw UsageError(argument, QStringLiteral("unknown option (see --help)"));
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
