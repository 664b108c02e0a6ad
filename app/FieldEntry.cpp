#include "app/FieldEntry.h"

#include "core/Form1.h"
#include "core/Simulator.h"

std::optional<EntryRefusal> FieldEntry::enter(Simulator& simulator, int field, const QString& text)
{
    TextField& target = simulator.form().text(field);
    const QString before = target.text();
    target.setText(text);
    std::optional<EntryRefusal> refusal = simulator.leaveField(field);
    if (refusal)
        target.setText(before);
    return refusal;
}
