#include "app/FormStatePrinter.h"

#include "core/Form1.h"

namespace
{
QString flag(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
} // namespace

QStringList FormStatePrinter::lines(const Form1& form)
{
    QStringList lines;
    const auto add = [&lines](const QString& name, const QString& value) {
        lines.append(name + QLatin1Char('=') + value);
    };
    for (const FieldRow& field : Fields::all())
        add(field.name(), form.text(field.number).text());
    add(QStringLiteral("Shape5.FillColor"), QString::number(form.Shape5.fillColor()));
    add(QStringLiteral("Shape5.BorderColor"), QString::number(form.Shape5.borderColor()));
    add(QStringLiteral("Shape1.FillColor"), QString::number(form.Shape1.fillColor()));
    for (int i = 1; i <= Form1::alarmCount; ++i)
        add(QStringLiteral("Shape3(%1).FillColor").arg(i),
            QString::number(form.Shape3(i).fillColor()));
    for (int i = 1; i <= Form1::alarmCount; ++i)
        add(QStringLiteral("Shape3(%1).Visible").arg(i), flag(form.Shape3(i).visible()));
    for (int i = 1; i <= Form1::alarmCount; ++i)
        add(QStringLiteral("Command4(%1).Visible").arg(i), flag(form.Command4(i).visible()));
    for (const TimerRole& role : TimerRoles::all()) {
        add(role.name() + QStringLiteral(".Enabled"), flag(form.timer(role.number).enabled()));
        add(role.name() + QStringLiteral(".Interval"),
            QString::number(form.timer(role.number).interval()));
    }
    for (int i = 1; i <= Form1::alarmCount; ++i)
        add(QStringLiteral("AlarmState(%1)").arg(i), QString::number(form.AlarmState(i)));
    add(QStringLiteral("SwitchTicks"), QString::number(form.SwitchTicks()));
    add(QStringLiteral("MSComm1.CommPort"), QString::number(form.MSComm1.commPort()));
    add(QStringLiteral("MSComm1.Settings"), form.MSComm1.settings());
    add(QStringLiteral("MSComm1.PortOpen"), flag(form.MSComm1.portOpen()));
    return lines;
}
