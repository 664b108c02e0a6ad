#include "launcher/NativeProgram.h"

#include <QProcess>
#include <QRegularExpression>

std::optional<QString> NativeProgram::start(const QString& path)
{
    QProcess process;
    process.setProgram(path);
    process.setArguments({});
    if (process.startDetached())
        return std::nullopt;
    // Qt reports e.g. "execv: No such file or directory": the operator needs the reason only.
    QString reason = process.errorString();
    reason.remove(QRegularExpression(QStringLiteral("^[a-z_]+: ")));
    return reason.isEmpty() ? QStringLiteral("the system gave no reason") : reason;
}
