#pragma once

class StandardErrorReporter;
struct Options;

// The program without a window: the same simulator, driven by commands on standard input.
// Returns the exit status.
int runHeadless(int& argc, char** argv, const Options& options, StandardErrorReporter& reporter);
