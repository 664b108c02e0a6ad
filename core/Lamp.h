#pragma once

#include "core/ChangeNotifier.h"
#include "core/Colour.h"

// A round lamp: fill and border colour, shown or hidden.
class Lamp
{
public:
    Lamp(ChangeNotifier& notifier, FormMember member, Colour fill, Colour border, bool visible)
        : m_notifier(notifier), m_member(member), m_fill(fill), m_border(border), m_visible(visible)
    {
    }

    Colour fillColor() const { return m_fill; }
    Colour borderColor() const { return m_border; }
    bool visible() const { return m_visible; }

    void setFillColor(Colour colour) { update(m_fill, colour); }
    void setBorderColor(Colour colour) { update(m_border, colour); }
    void setVisible(bool visible) { update(m_visible, visible); }

private:
    template <typename T> void update(T& member, T value)
    {
        if (member == value)
            return;
        member = value;
        m_notifier.notify(m_member);
    }

    ChangeNotifier& m_notifier;
    FormMember m_member;
    Colour m_fill;
    Colour m_border;
    bool m_visible;
};
