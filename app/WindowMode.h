#pragma once

class StandardErrorReporter;
struct Options;

// The program with its window. Returns the exit status.
int runWindow(int& argc, char** argv, const Options& options, StandardErrorReporter& reporter);
