#include "app/StandardErrorReporter.h"

#include "app/Options.h"
#include "core/ShownInput.h"

void StandardErrorReporter::report(Severity severity, const QString& action, const QString& message)
{
    if (severity == Severity::Error)
        ++m_errors;
    write(action, message);
}

void StandardErrorReporter::summarize(const QString& message)
{
    write(QStringLiteral("Summary"), message);
}

// Whatever a message echoes, no control character of it reaches the terminal raw: one report,
// one line.
void StandardErrorReporter::write(const QString& action, const QString& message)
{
    const QByteArray line =
        (QLatin1String(programName) + QLatin1String(": ") +
         ShownInput::escaped(action + QLatin1String(": ") + message) + QLatin1Char('\n'))
            .toLocal8Bit();
    std::fputs(line.constData(), m_stream);
    std::fflush(m_stream);
}
