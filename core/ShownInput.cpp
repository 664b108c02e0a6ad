#include "core/ShownInput.h"

QString ShownInput::escaped(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x") +
                     QString::number(c.unicode(), 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

QString ShownInput::echoed(const QString& text)
{
    if (text.size() <= longest)
        return escaped(text);
    // Never half a surrogate pair.
    const qsizetype cut = text[longest - 1].isHighSurrogate() ? longest - 1 : longest;
    return escaped(text.left(cut)) + QStringLiteral("... (%1 characters)").arg(text.size());
}
