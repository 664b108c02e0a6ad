#pragma once

struct Options;

// The program without a window: the same simulator, driven by commands on standard input.
int runHeadless(int& argc, char** argv, const Options& options);
