#pragma once

#include "core/ChangeNotifier.h"

// One of the alarm buttons "A1".."A4"; the core only ever shows it.
class AlarmButton
{
public:
    AlarmButton(ChangeNotifier& notifier, int index) : m_notifier(notifier), m_index(index) {}

    bool visible() const { return m_visible; }
    void setVisible(bool visible)
    {
        if (visible == m_visible)
            return;
        m_visible = visible;
        m_notifier.notify({FormMember::Kind::AlarmButton, m_index});
    }

private:
    ChangeNotifier& m_notifier;
    int m_index;
    bool m_visible = false;
};
