#pragma once

class Form1;

// The alarm buttons "A1".."A4": each click flips one alarm flag and recolours its lamp. The
// click sends nothing; the one-page first-data-set transmitter carries the flags.
class AlarmButtons
{
public:
    explicit AlarmButtons(Form1& form) : m_form(form) {}

    // An index outside 1..4 belongs to no button and changes nothing.
    void Command4_Click(int index);

private:
    Form1& m_form;
};
