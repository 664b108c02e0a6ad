#pragma once

#include <QStringList>

struct RunStatus;

// How a run is going as `Name=Value` lines, every name always there and in a fixed order, for
// the `status` command and the end of the trace; a value that does not apply is empty:
//
//     Time=6500
//     Line.Kind=virtual             (device, virtual, or none in virtual time)
//     Line.ComPort=1
//     Line.Device=/dev/pts/3
//     Line.Link=/tmp/dryx-line
//     Line.Bytes=1543               (bytes on the line)
//     Run.State=running             (or stopped)
//     Run.Since=0                   (when it began or ended)
//     DataStrings.Sent=12
//     DataStrings.LeftOut=0
//     DataStrings.Lost=0            (the reader of the virtual line was not reading)
//     Errors=0                      (errors reported)
//     Faults.Armed=1                (then one Fault(N)= line each)
//     Fault(1)=no-terminator x2
//     Scenario.Step=5               (steps carried out)
//     Scenario.Steps=9
//     Scenario.NextAt=8200
//     Scenario.Next=fault cut
namespace RunStatusPrinter
{
QStringList lines(const RunStatus& status);
}
