// Any input as the headless program's command lines, on a simulator in virtual time: whatever
// the operator types, nothing escapes the interpreter, the line carries whole lines only, and
// only "quit" asks to end the program.
#include "app/CommandInterpreter.h"
#include "core/OpenDryx.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/RecordingLauncher.h"
#include "tests/support/SimulatorRig.h"

#include <QByteArrayList>
#include <QTextStream>

#include <chrono>
#include <cstdint>
#include <exception>

using namespace std::chrono_literals;
using Fuzz::require;

namespace
{

// Each line is followed by this much virtual time, so that an empty line is a pause and the
// input decides when ticks fall between commands.
constexpr auto afterEachLine = 50ms;
// Enough after the last line for a started run's first data strings.
constexpr auto afterTheInput = 3s;

bool isQuit(const QString& line)
{
    return line.trimmed().compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0;
}

void checkWrites(const RecordingLine& line)
{
    for (const RecordingLine::Write& write : line.writes) {
        if (!write.bytes.endsWith("\r\n"))
            Fuzz::fail("every write is a line ending in CR LF", QString::fromLatin1(write.bytes));
        if (write.bytes.count('\n') != 1 || write.bytes.count('\r') != 1)
            Fuzz::fail("every write is one line", QString::fromLatin1(write.bytes));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SimulatorRig rig;
    rig.setSetup(QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2"),
                 QStringLiteral("3"));
    QString shownText;
    QTextStream out(&shownText);
    int quits = 0;
    // `launch` starts nothing here: the launcher and the Wine prefix only take note.
    RecordingLauncher launcher;
    launcher.throughWine = true;
    RecordingPorts winePorts;
    OpenDryx openDryx(rig.form, rig.rules, launcher, winePorts, rig.reporter,
                      OpenDryx::VirtualLine{QStringLiteral("/tmp/dryx-line"), std::nullopt});
    CommandInterpreter interpreter(rig.simulator, openDryx, out, rig.reporter, [&] { ++quits; });
    QString line; // the line being run, for the message when something escapes
    try {
        rig.simulator.Form_Load();
        // As the command reader hands them over: split at LF, a CR before it dropped.
        for (QByteArray bytes :
             QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\n')) {
            if (bytes.endsWith('\r'))
                bytes.chop(1);
            line = QString::fromUtf8(bytes);
            const int quitsBefore = quits;
            interpreter.execute(line);
            require(quits == quitsBefore + (isQuit(line) ? 1 : 0),
                    "quit, and nothing else, calls the quit callback once", line);
            rig.clock.advanceBy(afterEachLine);
        }
        line.clear();
        rig.clock.advanceBy(afterTheInput);
    } catch (const std::exception& error) {
        Fuzz::fail(error.what(), line);
    } catch (...) {
        Fuzz::fail("an exception escaped", line);
    }
    checkWrites(rig.line);
    return 0;
}
