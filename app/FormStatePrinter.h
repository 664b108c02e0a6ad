#pragma once

#include <QStringList>

class Form1;

// The whole form state as `Name=Value` lines, in a fixed order, for the `show` command:
// texts as they stand, colours as packed decimals, flags as True or False.
namespace FormStatePrinter
{
QStringList lines(const Form1& form);
}
