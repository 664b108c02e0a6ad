#pragma once

#include "core/EntryChecks.h"

#include <optional>

class Simulator;

// Types a text into an entry field and leaves it: the field's check runs on the new text, and
// a refused entry is taken back, the field keeping the text it had.
namespace FieldEntry
{
std::optional<EntryRefusal> enter(Simulator& simulator, int field, const QString& text);
}
