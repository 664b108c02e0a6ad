#include "core/FieldReader.h"

#include "core/ShownInput.h"
#include "core/SimulatorError.h"

template <typename Convert> auto FieldReader::read(const TextField& field, Convert convert) const
{
    try {
        return convert(field.text());
    } catch (const SimulatorError& error) {
        const QString what = error.kind() == ErrorKind::TypeMismatch
                                 ? QStringLiteral("is not a number")
                                 : QStringLiteral("is out of range");
        throw error.restated(QStringLiteral("%1 \"%2\" %3")
                                 .arg(field.caption(), ShownInput::echoed(field.text()), what));
    }
}

qint16 FieldReader::int16(const TextField& field) const
{
    return read(field, [this](const QString& text) { return m_rules.ToInt16(text); });
}

qint32 FieldReader::int32(const TextField& field) const
{
    return read(field, [this](const QString& text) { return m_rules.ToInt32(text); });
}

double FieldReader::number(const TextField& field) const
{
    return read(field, [this](const QString& text) { return m_rules.ToDouble(text); });
}
