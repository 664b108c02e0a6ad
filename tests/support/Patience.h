#pragma once

// How long a test waits for something that is to happen on a real clock (a process to end,
// bytes to arrive, a window to show) before it calls it a failure: enough for a machine three
// times slower than a loaded CI machine. A passing test waits only as long as the thing takes.
inline constexpr int patienceMs = 60000;
