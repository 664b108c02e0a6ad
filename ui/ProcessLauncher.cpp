#include "ui/ProcessLauncher.h"

#include <QProcess>
#include <QRegularExpression>

std::optional<QString> ProcessLauncher::start(const QString& path)
{
    QProcess process;
    process.setProgram(path);
    process.setArguments({});
    // A detached process gets the system's normal window when it makes one; no working
    // directory or environment of our own is passed.
    if (process.startDetached())
        return std::nullopt;
    // Qt reports e.g. "execv: No such file or directory": the operator needs the reason only.
    QString reason = process.errorString();
    reason.remove(QRegularExpression(QStringLiteral("^[a-z_]+: ")));
    return reason.isEmpty() ? QStringLiteral("the system gave no reason") : reason;
}
