#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Holds an open device exclusively, by the device itself rather than by the name it was opened
// under. Returns why it cannot, or nothing when it holds it (or when the system has no such
// lock, where the lock file alone guards the device).
std::optional<QString> lockExclusively(qintptr handle);
