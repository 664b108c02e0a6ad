#include "app/HelpText.h"

#include <QStringList>

namespace
{
constexpr int lineWidth = 84;
} // namespace

QString HelpText::item(const QString& term, int column, const QString& description)
{
    QString text;
    QString line = term.leftJustified(column - 1) + QLatin1Char(' ');
    bool lineHasWord = false;
    for (const QString& word : description.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineHasWord && line.size() + 1 + word.size() > lineWidth) {
            text += line + QLatin1Char('\n');
            line = QString(column, QLatin1Char(' '));
            lineHasWord = false;
        }
        line += (lineHasWord ? QStringLiteral(" ") : QString()) + word;
        lineHasWord = true;
    }
    return text + line + QLatin1Char('\n');
}
