#pragma once

#include "core/ChangeNotifier.h"

#include <QString>

// An entry field as the core sees it: a text, and the caption the operator knows it by.
class TextField
{
public:
    TextField(ChangeNotifier& notifier, int index, QString caption, QString text)
        : m_notifier(notifier), m_index(index), m_caption(std::move(caption)),
          m_text(std::move(text))
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
