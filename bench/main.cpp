// make bench: the tool on its virtual line, headless and with the line window open, read by this
// process, measured where the bytes arrive.
#include "bench/NominalTimeline.h"
#include "bench/PtyBaseline.h"
#include "bench/Quantile.h"
#include "bench/ToolRun.h"
#include "bench/WineLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <thread>
#include <tuple>
#include <vector>

namespace
{
const QByteArray terminatorLine = "63536\r\n";

struct Received {
    double startMs;
    QByteArray bytes;
    bool complete;
};

// The line's bytes cut into data strings (each up to and including its terminator line), each
// with the moment its first byte arrived.
QList<Received> dataStrings(const QList<ToolRun::Chunk>& chunks)
{
    QList<Received> strings;
    bool open = false;
    QByteArray lineSoFar;
    for (const ToolRun::Chunk& chunk : chunks) {
        for (const char c : chunk.bytes) {
            if (!open) {
                strings.append(Received{chunk.atMs, QByteArray(), false});
                open = true;
            }
            strings.last().bytes.append(c);
            lineSoFar.append(c);
            if (c == '\n') {
                if (lineSoFar == terminatorLine) {
                    strings.last().complete = true;
                    open = false;
                }
                lineSoFar.clear();
            }
        }
    }
    return strings;
}

// How the tool is started and read: the Linux program on its virtual line (its link), or the
// Windows program under Wine on COM1, a line of the bench's own.
struct Launch {
    QString program;    // the tool, or Wine's loader
    QStringList before; // arguments before the tool's own: the Windows program
    QString link;       // the virtual line's link; empty for a line of the bench's own
    int line = -1;      // that line's reading side
};

// How a run is had: headless, or in the window with the line window open (on Qt's offscreen
// platform, painted as on a screen).
enum class Mode { Headless, LineWindow };

QStringList toolArguments(const QString& settings, const Launch& launch,
                          const QList<QPair<int, QString>>& entries, qint64 seconds,
                          Mode mode = Mode::Headless)
{
    QStringList arguments = launch.before;
    arguments << (mode == Mode::Headless ? QStringLiteral("--headless")
                                         : QStringLiteral("--monitor"))
              << QStringLiteral("--settings") << settings;
    if (!launch.link.isEmpty())
        arguments << QStringLiteral("--virtual-port=") + launch.link;
    arguments << QStringLiteral("--start") << QStringLiteral("--duration")
              << QString::number(seconds);
    for (const auto& [field, text] : entries)
        arguments << QStringLiteral("--set") << QStringLiteral("Text%1=%2").arg(field).arg(text);
    return arguments;
}

bool start(ToolRun& run, const Launch& launch, const QStringList& arguments, QString* why)
{
    return launch.line >= 0 ? run.runOnLine(launch.line, launch.program, arguments, why)
                            : run.run(launch.program, arguments, why);
}

void printResources(const ToolRun& run, qint64 seconds)
{
    std::printf("  tool: CPU %.3f s in %lld s = %.3f s per minute (%.2f%% of one core), "
                "peak RSS %.1f MB, exit status %d\n",
                run.cpuSeconds, static_cast<long long>(seconds),
                run.cpuSeconds * 60.0 / double(seconds), run.cpuSeconds * 100.0 / double(seconds),
                double(run.peakRssKb) / 1024.0, run.exitStatus);
}

struct TimingFigures {
    bool met = false;
    bool measured = false; // false: the run was not wanted
    double p99Ms = 0;
    double cpuShare = 0; // % of one core
    double peakRssMb = 0;
    double wakeUpsPerSecond = 0;
};

// How the bare line did beside a run, in the same loop, at the same time.
struct BesideFigures {
    double p99Ms = 0;        // over all its bytes
    double matchedP99Ms = 0; // over its worst byte near each data string's moment
    qsizetype lateAlone = 0; // data strings late when the bare line was not
};

// A data string more than this off its moment is late.
constexpr double lateMs = 1.0;
// The bare line's bytes within this of a data string's moment are its company.
constexpr double besideMs = 100.0;

// A run at the window's initial values: every data string's bytes and time against the
// virtual-time timeline, and whether the targets are met; the bare pseudo-terminal measured at
// the same time. With the line window open the targets are the line's timing alone: the
// window's CPU and memory are told beside those of the run without it (`without`).
TimingFigures timingRun(const Launch& launch, const QString& settings, const QString& name,
                        const QList<QPair<int, QString>>& entries, qint64 seconds,
                        Mode mode = Mode::Headless, const TimingFigures* without = nullptr,
                        bool targets = true)
{
    ToolRun run;
    PtyBaseline bare;
    run.baseline = bare.readingSide() >= 0 ? &bare : nullptr;
    QString why;
    if (!start(run, launch, toolArguments(settings, launch, entries, seconds, mode), &why)) {
        std::printf("%s: %s\n", qPrintable(name), qPrintable(why));
        return {};
    }
    bare.stop();
    const QList<NominalTimeline::DataString> nominal =
        NominalTimeline::compute(entries, seconds * 1000);
    const QList<Received> received = dataStrings(run.chunks);
    int wrong = 0;
    // Each whole data string's arrival against its nominal time; the tool's own start-up (when
    // its 0 is) is the median of them, taken out.
    QList<double> offsets;
    QList<qsizetype> indices;
    for (qsizetype i = 0; i < received.size() && i < nominal.size(); ++i) {
        if (!received[i].complete)
            continue; // the one Stop ended (its lines are whole, its rest was never written)
        if (received[i].bytes != nominal[i].bytes)
            ++wrong;
        offsets.append(received[i].startMs - nominal[i].startMs);
        indices.append(i);
    }
    const double zero = quantile(offsets, 0.5);
    QList<double> deviations, absolute;
    for (const double offset : offsets) {
        deviations.append(offset - zero);
        absolute.append(std::abs(offset - zero));
    }
    qint64 bytes = 0;
    for (const Received& string : received)
        bytes += string.bytes.size();
    std::printf("%s, %lld s: %lld data strings (%lld bytes) received, %lld expected by the "
                "virtual-time timeline, %d differing in any byte\n",
                qPrintable(name), static_cast<long long>(seconds),
                static_cast<long long>(received.size()), static_cast<long long>(bytes),
                static_cast<long long>(nominal.size()), wrong);
    const double p99 = quantile(absolute, 0.99);
    // Drift: the last ten data strings against the first ten (one string's jitter aside).
    const qsizetype ten = std::min<qsizetype>(10, deviations.size());
    double early = 0, late = 0;
    for (qsizetype i = 0; i < ten; ++i) {
        early += deviations[i] / double(ten);
        late += deviations[deviations.size() - 1 - i] / double(ten);
    }
    const double drift = late - early;
    std::printf("  first byte of each data string against its moment: p99 |dev| %.3f ms, max "
                "|dev| %.3f ms; drift (last ten against first ten) %+.3f ms\n",
                p99, quantile(absolute, 1.0), drift);
    BesideFigures beside;
    if (!bare.samples().isEmpty()) {
        QList<double> delays, matched;
        for (const PtyBaseline::Sample& sample : bare.samples())
            delays.append(sample.delayMs);
        QList<double> near(deviations.size());
        for (qsizetype k = 0; k < deviations.size(); ++k) {
            near[k] = bare.worstNear(received[indices[k]].startMs, besideMs);
            matched.append(near[k]);
            // Late alone: the bare line was on time then (or far less late).
            if (absolute[k] > lateMs && near[k] < std::max(lateMs, absolute[k] / 2))
                ++beside.lateAlone;
        }
        beside.p99Ms = quantile(delays, 0.99);
        beside.matchedP99Ms = quantile(matched, 0.99);
        std::printf("  the bare pseudo-terminal meanwhile (a byte every %lld ms): p99 %.3f ms, "
                    "max %.3f ms; its worst within %.0f ms of each data string: p99 %.3f ms; "
                    "data strings late (> %.0f ms) when it was not: %lld\n",
                    static_cast<long long>(PtyBaseline::periodNs / 1'000'000), beside.p99Ms,
                    quantile(delays, 1.0), besideMs, beside.matchedP99Ms, lateMs,
                    static_cast<long long>(beside.lateAlone));
        // The worst ten, with their moments, so that a regression points at its cause.
        QList<qsizetype> order(deviations.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [&](qsizetype a, qsizetype b) { return absolute[a] > absolute[b]; });
        std::printf("  worst ten (data string, its moment since Start, deviation, the bare "
                    "line's worst near it):");
        for (qsizetype k = 0; k < std::min<qsizetype>(10, order.size()); ++k) {
            const qsizetype at = order[k];
            std::printf("%s #%lld %.0f ms %+.3f (%.3f)", k % 5 == 0 ? "\n   " : ",",
                        static_cast<long long>(indices[at] + 1), nominal[indices[at]].startMs,
                        deviations[at], near[at]);
        }
        std::printf("\n");
    }
    printResources(run, seconds);
    TimingFigures figures;
    figures.measured = true;
    figures.p99Ms = p99;
    figures.cpuShare = run.cpuSeconds * 100.0 / double(seconds);
    figures.peakRssMb = double(run.peakRssKb) / 1024.0;
    figures.wakeUpsPerSecond =
        run.switchSeconds > 0 ? double(run.contextSwitches) / run.switchSeconds : 0;
    std::printf("  wake-ups: %.1f per second (context switches of its threads)\n",
                figures.wakeUpsPerSecond);
    const double p99Allowed = std::max(beside.p99Ms, beside.matchedP99Ms) * 1.1;
    const bool timely = wrong == 0 && received.size() >= nominal.size() - 1 &&
                        (bare.samples().isEmpty() || p99 <= p99Allowed) && beside.lateAlone == 0 &&
                        std::abs(drift) <= 0.1;
    if (!targets)
        return figures;
    if (mode == Mode::LineWindow) {
        figures.met = timely && run.exitStatus == 0;
        if (without && without->measured)
            std::printf("  beside the run without the line window: p99 |dev| %.3f ms (without "
                        "%.3f ms), CPU %.2f%% of one core (without %.2f%%), peak RSS %.1f MB "
                        "(without %.1f MB)\n",
                        figures.p99Ms, without->p99Ms, figures.cpuShare, without->cpuShare,
                        figures.peakRssMb, without->peakRssMb);
        std::printf("  targets (the line's timing as without it: p99 <= %.3f ms, none late "
                    "alone, drift <= 0.1 ms): %s\n",
                    p99Allowed, figures.met ? "met" : "MISSED");
        return figures;
    }
    // The CPU target is one-page mode's; two pages a data string may take a little more.
    const double cpuAllowed = entries.isEmpty() ? 0.2 : 0.4;
    figures.met = timely && figures.cpuShare <= cpuAllowed && figures.peakRssMb <= 15.0 &&
                  run.exitStatus == 0;
    std::printf("  targets (p99 <= the bare line's x 1.1 = %.3f ms, none late alone, drift <= "
                "0.1 ms, CPU <= %.1f%% of a core = %.2f s a minute, peak RSS <= 15 MB): %s\n",
                p99Allowed, cpuAllowed, cpuAllowed * 0.6, figures.met ? "met" : "MISSED");
    return figures;
}

// Loops that keep cores busy while they live, as other work on the machine would.
class BusyLoops
{
public:
    explicit BusyLoops(int count)
    {
        for (int i = 0; i < count; ++i)
            m_loops.emplace_back([this] {
                while (m_spinning.load(std::memory_order_relaxed)) {
                }
            });
    }
    ~BusyLoops()
    {
        m_spinning = false;
        for (std::thread& loop : m_loops)
            loop.join();
    }
    BusyLoops(const BusyLoops&) = delete;
    BusyLoops& operator=(const BusyLoops&) = delete;

private:
    std::atomic<bool> m_spinning{true};
    std::vector<std::thread> m_loops;
};

// 200 points a page, 1 ms page gap: far more than the line carries. Memory must stay flat and
// every data string that arrives must be whole.
bool overloadRun(const Launch& launch, const QString& settings, qint64 seconds)
{
    const QList<QPair<int, QString>> entries{
        {1, QStringLiteral("200")}, {2, QStringLiteral("1")}, {4, QStringLiteral("2")}};
    ToolRun run;
    QString why;
    if (!start(run, launch, toolArguments(settings, launch, entries, seconds), &why)) {
        std::printf("overload: %s\n", qPrintable(why));
        return false;
    }
    QByteArray page1, page2;
    for (int i = 1; i <= 200; ++i) {
        page1 += QByteArray::number(i) + "\r\n";
        page2 += QByteArray::number(i + 10) + "\r\n";
    }
    const QByteArray closing = "0\r\n" + terminatorLine;
    const QList<Received> received = dataStrings(run.chunks);
    int whole = 0, torn = 0;
    for (const Received& string : received) {
        if (!string.complete)
            continue;
        // A whole data string is one or two whole pages, each of one data set, then its alarm
        // line and terminator line.
        const bool ok =
            string.bytes == page1 + closing || string.bytes == page2 + closing ||
            string.bytes == page1 + page1 + closing || string.bytes == page2 + page2 + closing ||
            string.bytes == page1 + page2 + closing || string.bytes == page2 + page1 + closing;
        ok ? ++whole : ++torn;
    }
    qint64 bytes = 0;
    for (const ToolRun::Chunk& chunk : run.chunks)
        bytes += chunk.bytes.size();
    const QRegularExpression notice(
        QStringLiteral("the transmitters produce (\\d+) bytes per second"));
    const auto match = notice.match(QString::fromLocal8Bit(run.standardError));
    std::printf("overload (200 points a page, two pages, 1 ms page gap), %lld s: %d whole data "
                "strings received, %d torn; %lld bytes = %.0f bytes per second on the line; "
                "the tool said it produces %s bytes per second\n",
                static_cast<long long>(seconds), whole, torn, static_cast<long long>(bytes),
                double(bytes) / double(seconds),
                match.hasMatch() ? qPrintable(match.captured(1)) : "(no notice)");
    const auto& rss = run.rssSamplesKb;
    if (rss.size() >= 20) {
        const qint64 early = *std::max_element(rss.begin() + 5, rss.begin() + 15);
        const qint64 late = *std::max_element(rss.end() - 10, rss.end());
        std::printf("  RSS: %.1f MB at 5-15 s, %.1f MB over the last 10 s, %.1f MB at most "
                    "(sampled each second)\n",
                    double(early) / 1024.0, double(late) / 1024.0,
                    double(*std::max_element(rss.begin(), rss.end())) / 1024.0);
        printResources(run, seconds);
        const bool flat = late <= early + 512;
        std::printf("  targets (memory flat within 0.5 MB, no torn data string): %s\n",
                    flat && torn == 0 ? "met" : "MISSED");
        return flat && torn == 0;
    }
    printResources(run, seconds);
    return torn == 0;
}
// An hour's scenario: alarms raised and cleared, the gap changed, a fault every few minutes.
QByteArray hourScenario()
{
    const QStringList faults{QStringLiteral("garble 7"),         QStringLiteral("cut"),
                             QStringLiteral("noise 16"),         QStringLiteral("drop-line 3"),
                             QStringLiteral("no-terminator x2"), QStringLiteral("delay 200")};
    QByteArray script = "at 0 start\n";
    for (qint64 at = 2500, step = 0; at < 3600'000; at += 7'300, ++step) {
        script += "at " + QByteArray::number(at) + " alarm 1\n";
        if (step % 5 == 1)
            script += "at " + QByteArray::number(at + 200) + " fault " +
                      faults[step / 5 % faults.size()].toLatin1() + "\n";
        if (step % 40 == 20)
            script += "at " + QByteArray::number(at + 300) + " set gap 700\n";
        if (step % 40 == 39)
            script += "at " + QByteArray::number(at + 300) + " set gap 500\n";
    }
    return script + "at 3600000 stop\nat 3600000 quit\n";
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The hour in virtual time, against a target of 5 s; and its first `seconds` in real time on
// the virtual line, whose record must be the hour's record up to then, and whose bytes (as the
// reader got them) the bytes that record says were sent.
bool scenarioRun(const QString& program, const QString& settings, const QString& link,
                 const QTemporaryDir& dir, qint64 seconds)
{
    const QString script = dir.filePath(QStringLiteral("hour.txt"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly) || file.write(hourScenario()) < 0)
        return false;
    file.close();
    const QString hourLog = dir.filePath(QStringLiteral("hour.log"));
    QElapsedTimer elapsed;
    elapsed.start();
    QProcess hour;
    hour.setStandardOutputFile(QProcess::nullDevice());
    hour.start(program, {QStringLiteral("--settings"), settings, QStringLiteral("--script"), script,
                         QStringLiteral("--virtual-time"), QStringLiteral("--log"), hourLog});
    const bool ended = hour.waitForFinished(120'000) && hour.exitCode() == 0;
    const double hourSeconds = double(elapsed.elapsed()) / 1000.0;
    const QByteArray hourRecord = readAll(hourLog);
    std::printf("scenario, an hour in virtual time: %.2f s, %lld record lines, exit status %d "
                "(target < 5 s)\n",
                hourSeconds, static_cast<long long>(hourRecord.count('\n')), hour.exitCode());

    const QString minuteLog = dir.filePath(QStringLiteral("minute.log"));
    ToolRun run;
    QString why;
    const bool ran = run.run(program,
                             {QStringLiteral("--headless"), QStringLiteral("--settings"), settings,
                              QStringLiteral("--virtual-port=") + link, QStringLiteral("--script"),
                              script, QStringLiteral("--log"), minuteLog,
                              QStringLiteral("--duration"), QString::number(seconds)},
                             &why);
    QByteArray minuteRecord = readAll(minuteLog);
    const bool stopped = minuteRecord.endsWith("# Stop\n");
    minuteRecord.chop(stopped ? 7 : 0);
    QByteArray sent, received;
    for (const QByteArray& line : minuteRecord.split('\n')) {
        if (line.isEmpty() || line[0] < '0' || line[0] > '9')
            continue;
        const QList<QByteArray> words = line.left(line.indexOf('|')).split(' ');
        if (words.value(3) == "left-out" || words.value(3).startsWith("lost:"))
            continue;
        for (const QByteArray& word : words.mid(3))
            if (word.size() == 2)
                sent += QByteArray::fromHex(word);
    }
    for (const ToolRun::Chunk& chunk : run.chunks)
        received += chunk.bytes;
    const bool same = ran && stopped && hourRecord.startsWith(minuteRecord);
    std::printf("  the same scenario, %lld s in real time on the virtual line: %lld record lines, "
                "%s the hour's first lines; reader got %lld bytes, %s the record's %lld%s\n",
                static_cast<long long>(seconds), static_cast<long long>(minuteRecord.count('\n')),
                same ? "equal to" : "NOT equal to", static_cast<long long>(received.size()),
                received == sent ? "equal to" : "NOT equal to", static_cast<long long>(sent.size()),
                ran ? "" : qPrintable(QStringLiteral(" (") + why + QLatin1Char(')')));
    const bool met = ended && hourSeconds < 5.0 && same && received == sent;
    std::printf("  targets (hour < 5 s, records equal, bytes as recorded): %s\n",
                met ? "met" : "MISSED");
    return met;
}
// The same runs of the Windows program under Wine, on COM1 of a fresh prefix mapped to a
// pseudo-terminal read here. Reported beside the Linux figures; the targets are Linux's, and
// a miss here is Wine's, not held against the tool.
void windowsRuns(const QString& program, const QString& settings, const QTemporaryDir& dir,
                 qint64 seconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    QString why;
    const std::unique_ptr<WineLine> wine =
        WineLine::open(dir.filePath(QStringLiteral("wine")), &why);
    if (!wine) {
        std::printf("Windows program under Wine: not measured: %s\n", qPrintable(why));
        return;
    }
    std::printf("Windows program under Wine (%s on COM1, a fresh prefix made in %.1f s):\n",
                qPrintable(program), double(elapsed.elapsed()) / 1000.0);
    const Launch windows{wine->loader(), {program}, {}, wine->line()};
    const QList<QPair<QString, QList<QPair<int, QString>>>> modes{
        {QStringLiteral("one-page mode under Wine"), {}},
        {QStringLiteral("two-page mode under Wine"), {{4, QStringLiteral("2")}}}};
    for (const auto& [name, entries] : modes) {
        const double serverBefore = wine->serverCpuSeconds();
        timingRun(windows, settings, name, entries, seconds);
        const double server = wine->serverCpuSeconds() - serverBefore;
        std::printf("  Wine's server meanwhile: CPU %.3f s = %.3f s per minute (%.2f%% of one "
                    "core)\n",
                    server, server * 60.0 / double(seconds), server * 100.0 / double(seconds));
    }
}

// A script of a million steps: how long the tool takes to read and check it (from its start to
// naming its line, which it does once the script is ready), and how late its first step is (the
// first data string, due 1000 ms after the `start` at 0, against the moment the line was named).
bool millionStepRun(const QString& program, const QString& settings, const QString& link,
                    const QTemporaryDir& dir)
{
    QByteArray steps = "at 0 start\n";
    for (int i = 1; i < 1'000'000; ++i)
        steps += "at " + QByteArray::number(2000 + i) + " alarm 1\n";
    const QString script = dir.filePath(QStringLiteral("million.txt"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly) || file.write(steps) < 0)
        return false;
    file.close();
    ToolRun run;
    QString why;
    if (!run.run(program,
                 {QStringLiteral("--headless"), QStringLiteral("--settings"), settings,
                  QStringLiteral("--virtual-port=") + link, QStringLiteral("--script"), script,
                  QStringLiteral("--duration"), QStringLiteral("3")},
                 &why) ||
        run.chunks.isEmpty()) {
        std::printf("a script of 1000000 steps: %s\n",
                    why.isEmpty() ? "no data string arrived in the 3 s run: MISSED"
                                  : qPrintable(why));
        return false;
    }
    const double parseSeconds = (run.lineNamedAtMs - run.startedAtMs) / 1000.0;
    const double lateMs = run.chunks.first().atMs - run.lineNamedAtMs - 1000.0;
    std::printf("a script of 1000000 steps (%.1f MB): read and checked in %.2f s; its first step "
                "%.1f ms late (the first data string against the line's naming + 1000 ms), "
                "exit status %d\n",
                double(steps.size()) / 1e6, parseSeconds, lateMs, run.exitStatus);
    const bool met = parseSeconds < 3.0 && lateMs < 20.0 && run.exitStatus == 0;
    std::printf("  targets (read and checked < 3 s, first step < 20 ms late): %s\n",
                met ? "met" : "MISSED");
    return met;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QString program;
    QString windowsProgram;
    qint64 seconds = 60;
    qint64 longSeconds = 600;
    QString only; // the runs whose names contain it; all when empty
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--program"))
            program = arguments[i + 1];
        else if (arguments[i] == QLatin1String("--seconds"))
            seconds = arguments[i + 1].toLongLong();
        else if (arguments[i] == QLatin1String("--long-seconds"))
            longSeconds = arguments[i + 1].toLongLong();
        else if (arguments[i] == QLatin1String("--windows-program"))
            windowsProgram = arguments[i + 1];
        else if (arguments[i] == QLatin1String("--only"))
            only = arguments[i + 1];
    }
    const auto wanted = [&only](const QString& name) { return name.contains(only); };
    if (program.isEmpty() || seconds < 5) {
        std::fprintf(stderr,
                     "usage: dryx-bench --program PATH [--seconds N>=5] "
                     "[--long-seconds N] [--windows-program PATH.exe] [--only TEXT: the runs "
                     "whose names contain it, e.g. \"one-page mode\"]\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("setup.ini"));
    {
        // The window's initial values: 30 points, one page, one alarm, terminator 63536.
        QFile file(settings);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("[setup]\nNumKTron=15\nNumModbus=0\nNum6B=0\nNumRelay=1\n"
                   "PLCTerminator=63536\n");
    }
    const QString link = dir.filePath(QStringLiteral("line"));
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const Launch onLinux{program, {}, link};
    bool met =
        !wanted(QStringLiteral("scenario")) || scenarioRun(program, settings, link, dir, seconds);
    const QList<QPair<int, QString>> twoPages{{4, QStringLiteral("2")}};
    // A run not wanted counts as met, and as nothing beside the others.
    const auto timing = [&](const QString& name, const QList<QPair<int, QString>>& entries,
                            Mode mode = Mode::Headless, const TimingFigures* without = nullptr,
                            bool targets = true) {
        return wanted(name)
                   ? timingRun(onLinux, settings, name, entries, seconds, mode, without, targets)
                   : TimingFigures{true};
    };
    const TimingFigures onePage = timing(QStringLiteral("one-page mode"), {});
    const TimingFigures twoPage = timing(QStringLiteral("two-page mode"), twoPages);
    met = onePage.met && twoPage.met && met;
    {
        // The same runs in the window with the line window open, on Qt's offscreen platform
        // (painted as on a screen, shown nowhere); the window keeps its place in a settings
        // folder of the bench's own.
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        met = timing(QStringLiteral("one-page mode, line window open"), {}, Mode::LineWindow,
                     &onePage)
                  .met &&
              met;
        met = timing(QStringLiteral("two-page mode, line window open"), twoPages, Mode::LineWindow,
                     &twoPage)
                  .met &&
              met;
        const auto restore = [](const char* name, const QByteArray& value) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        };
        restore("QT_QPA_PLATFORM", platform);
        restore("XDG_CONFIG_HOME", config);
    }
    {
        // The same runs on a busy machine: two loops that never sleep, one a core here. The
        // figures are told beside the quiet ones; the targets are the quiet machine's.
        const BusyLoops busy(wanted(QStringLiteral("busy loops")) ? 2 : 0);
        for (const auto& [name, entries, quiet] :
             {std::tuple{QStringLiteral("one-page mode, two busy loops"),
                         QList<QPair<int, QString>>{}, onePage},
              std::tuple{QStringLiteral("two-page mode, two busy loops"), twoPages, twoPage}}) {
            if (!wanted(name))
                continue;
            const TimingFigures loaded = timing(name, entries, Mode::Headless, nullptr, false);
            if (quiet.measured)
                std::printf(
                    "  beside the quiet run: p99 |dev| %.3f ms (quiet %.3f ms), CPU %.2f%% of "
                    "one core (quiet %.2f%%), %.1f wake-ups a second (quiet %.1f)\n",
                    loaded.p99Ms, quiet.p99Ms, loaded.cpuShare, quiet.cpuShare,
                    loaded.wakeUpsPerSecond, quiet.wakeUpsPerSecond);
        }
    }
    if (longSeconds > 0 && wanted(QStringLiteral("overload")))
        met = overloadRun(onLinux, settings, longSeconds) && met;
    if (!windowsProgram.isEmpty() && wanted(QStringLiteral("under Wine")))
        windowsRuns(windowsProgram, settings, dir, seconds);
    // Last: its script is large, and this process's memory grows with it.
    if (wanted(QStringLiteral("a script of 1000000 steps")))
        met = millionStepRun(program, settings, link, dir) && met;
    return met ? 0 : 1;
}
