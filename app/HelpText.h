#pragma once

#include <QString>

// Help texts as a terminal shows them: an item and its description, the description starting at
// `column` and folded at word breaks to lines of at most 84 characters, each line ending in a
// line break.
namespace HelpText
{
QString item(const QString& term, int column, const QString& description);
}
