#include "app/ActionLog.h"

#include "app/RunRecord.h"
#include "core/Form1.h"

#include <QStringList>

void ActionLog::started(const Form1& form)
{
    QStringList fields;
    for (const FieldRow& field : Fields::all())
        if (field.isEntry())
            fields.append(field.name() + QLatin1Char('=') + form.text(field.number).text());
    m_record.comment(QStringLiteral("Start: ") + fields.join(QLatin1Char(' ')));
}

void ActionLog::startFailed()
{
    m_record.comment(QStringLiteral("Start failed"));
}

void ActionLog::stopped(bool done)
{
    m_record.comment(done ? QStringLiteral("Stop") : QStringLiteral("Stop failed"));
}

void ActionLog::alarmToggled(int index, bool raised)
{
    m_record.comment(QStringLiteral("alarm %1 %2")
                         .arg(index)
                         .arg(raised ? QLatin1String("raised") : QLatin1String("cleared")));
}

void ActionLog::entryLeft(int field, const QString& text, bool accepted)
{
    const QString name = Fields::row(field).name();
    if (!accepted) {
        m_record.comment(QStringLiteral("%1 refused: %2").arg(name, text));
        return;
    }
    const auto last = m_lastAccepted.constFind(field);
    if (last == m_lastAccepted.constEnd() || *last != text)
        m_record.comment(QStringLiteral("%1 = %2").arg(name, text));
    m_lastAccepted.insert(field, text);
}
