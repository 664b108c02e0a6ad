#pragma once

#include <QString>

// The window lives in a module of its own, dryx-plc-test-window (WindowMode.cpp with ui/ and Qt
// Widgets), which the program loads only when the window is to open: the program links Qt Core
// alone, so a headless run maps none of Qt's GUI libraries (about 7 MB of its resident memory).
namespace WindowModule
{
// The module's one entry point: the program with its window, from main()'s arguments (checked
// already). Returns the exit status.
using EntryPoint = int (*)(int* argc, char** argv);
inline constexpr const char* entryPointName = "dryxRunWindow";

// Where the module is looked for, in order: beside the program (a build tree, Windows), then in
// the installation's private library folder as seen from the program's folder
// (/usr/bin -> /usr/lib/x86_64-linux-gnu/dryx-plc-test).
QStringList places(const QString& programFolder);

struct Loaded {
    EntryPoint run = nullptr;
    QString failure; // when `run` is null: why, in a few words with the path
};
// Loads the first module found and resolves its entry point. The module stays loaded.
Loaded load(const QString& programFolder);
} // namespace WindowModule
