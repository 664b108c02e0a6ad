#include "app/RunStatusPrinter.h"

#include "core/RunStatus.h"

QStringList RunStatusPrinter::lines(const RunStatus& status)
{
    QStringList lines;
    const auto add = [&lines](const QString& name, const QString& value) {
        lines.append(name + QLatin1Char('=') + value);
    };
    const auto number = [](qint64 value) { return QString::number(value); };
    static const char* const kinds[] = {"device", "virtual", "none"};
    add(QStringLiteral("Time"), number(status.time.count()));
    add(QStringLiteral("Line.Kind"), QLatin1String(kinds[int(status.line)]));
    add(QStringLiteral("Line.ComPort"), number(status.comPort));
    add(QStringLiteral("Line.Device"), status.device);
    add(QStringLiteral("Line.Link"), status.link);
    add(QStringLiteral("Line.Bytes"), number(status.bytesOnTheLine));
    add(QStringLiteral("Run.State"),
        status.running ? QStringLiteral("running") : QStringLiteral("stopped"));
    add(QStringLiteral("Run.Since"), number(status.since.count()));
    add(QStringLiteral("DataStrings.Sent"), number(status.dataStringsSent));
    add(QStringLiteral("DataStrings.LeftOut"), number(status.dataStringsLeftOut));
    add(QStringLiteral("DataStrings.Lost"), number(status.dataStringsLost));
    add(QStringLiteral("Errors"), number(status.errorsReported));
    add(QStringLiteral("Faults.Armed"), number(status.faultsArmed.size()));
    for (qsizetype i = 0; i < status.faultsArmed.size(); ++i)
        add(QStringLiteral("Fault(%1)").arg(i + 1), status.faultsArmed[i]);
    add(QStringLiteral("Scenario.Step"), number(status.stepsDone));
    add(QStringLiteral("Scenario.Steps"), number(status.steps));
    add(QStringLiteral("Scenario.NextAt"),
        status.nextStepAt ? number(status.nextStepAt->count()) : QString());
    add(QStringLiteral("Scenario.Next"), status.nextStep);
    return lines;
}
