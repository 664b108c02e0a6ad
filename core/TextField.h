#pragma once

#include "core/ChangeNotifier.h"
#include "core/Fields.h"

#include <QString>

// An entry field as the core sees it: a text, and the caption the operator knows it by.
class TextField
{
public:
    // The field of that row, holding its creation text.
    TextField(ChangeNotifier& notifier, const FieldRow& row)
        : m_notifier(notifier), m_index(row.number), m_caption(QLatin1String(row.caption)),
          m_text(QLatin1String(row.creationText))
    {
    }

    const QString& text() const { return m_text; }
    void setText(const QString& text)
    {
        if (text == m_text)
            return;
        m_text = text;
        m_notifier.notify({FormMember::Kind::Text, m_index});
    }
    const QString& caption() const { return m_caption; }
    int index() const { return m_index; }

private:
    ChangeNotifier& m_notifier;
    int m_index;
    QString m_caption;
    QString m_text;
};
