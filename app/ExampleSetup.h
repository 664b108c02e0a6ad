#pragma once

#include <QString>

// Where the example setup (examples/setup.ini) is, for the hint given when there is no setup:
// for an installed program, in its installation's documentation, found from the program's own
// folder (/usr/bin -> /usr/share/doc/dryx-plc-test/examples); for a program run where it was
// built, in its source tree. Empty when neither is there.
namespace ExampleSetup
{
QString path(const QString& programDirectory);
}
