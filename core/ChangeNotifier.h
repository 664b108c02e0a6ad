#pragma once

#include "core/FormMember.h"

// Passes change notices from the form's members to the one observer, if any.
class ChangeNotifier
{
public:
    void setObserver(FormObserver* observer) { m_observer = observer; }
    void notify(FormMember member) const
    {
        if (m_observer)
            m_observer->memberChanged(member);
    }

private:
    FormObserver* m_observer = nullptr;
};
