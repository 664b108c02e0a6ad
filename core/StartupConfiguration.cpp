#include "core/StartupConfiguration.h"

#include "core/Form1.h"
#include "core/Int16.h"
#include "core/SettingsStore.h"
#include "core/ShownInput.h"
#include "core/SimulatorError.h"

#include <algorithm>

StartupConfiguration::StartupConfiguration(Form1& form, const SettingsStore& store,
                                           const Conversions& rules)
    : m_form(form), m_store(store), m_rules(rules)
{
}

qint16 StartupConfiguration::readCount(const char* key) const
{
    const QString name = QLatin1String(key);
    const std::optional<QString> stored =
        m_store.value(QLatin1String(application), QLatin1String(section), name);
    try {
        return m_rules.ToInt16(stored.value_or(QString()));
    } catch (const SimulatorError& error) {
        if (!stored)
            throw error.restated(QStringLiteral("the setup key \"%1\" is absent from %2")
                                     .arg(name, ShownInput::escaped(m_store.location())));
        const QString what = error.kind() == ErrorKind::TypeMismatch
                                 ? QStringLiteral("not a number")
                                 : QStringLiteral("out of range");
        throw error.restated(QStringLiteral("the setup key \"%1\" in %2 holds \"%3\", %4")
                                 .arg(name, ShownInput::escaped(m_store.location()),
                                      ShownInput::echoed(*stored), what));
    }
}

void StartupConfiguration::Form_Load()
{
    // Without a store every key would read absent: say what is the matter instead.
    if (std::optional<QString> why = m_store.unavailable()) {
        if (!m_noSetupAdvice.isEmpty())
            *why += QLatin1String("; ") + m_noSetupAdvice;
        throw SimulatorError(ErrorKind::NoSetup,
                             *why + QStringLiteral("; the fields keep the window's values"));
    }
    const qint16 kTrons = readCount("NumKTron");
    const qint16 modbus = readCount("NumModbus");
    const qint16 sixB = readCount("Num6B");
    const qint16 relays = readCount("NumRelay");
    m_form.Text6.setText(Conversions::FormatInt16(relays));
    m_form.Text8.setText(
        m_store.read(QLatin1String(application), QLatin1String(section), "PLCTerminator"));

    // Points and lines of a one-page data string, one 16-bit operation at a time.
    const auto points = [&] {
        const char* what = "the number of data points in the setup";
        const qint16 kTronPoints = Int16::multiply(kTrons, 2, what);
        const qint16 modbusPoints = Int16::multiply(modbus, 2, what);
        return Int16::add(Int16::add(kTronPoints, modbusPoints, what), sixB, what);
    };
    const char* lineCount = "the number of lines of a one-page data string";
    const qint16 lines = Int16::add(Int16::add(points(), relays, lineCount), 1, lineCount);

    if (lines > 64) {
        m_form.Text1.setText(m_rules.FormatDouble(double(points()) / 2));
        m_form.Text4.setText(QStringLiteral("2"));
    } else {
        m_form.Text1.setText(Conversions::FormatInt16(points()));
        m_form.Text4.setText(QStringLiteral("1"));
    }

    m_form.Text5.setText(Conversions::FormatInt16(m_form.SwitchTicks()));
    m_form.setSwitchTicks(0);

    // The window has four alarms: a larger count sets up all four and stops there, so that
    // start-up completes; the transmitter sends "0" for the alarms beyond the fourth.
    const qint16 shown = std::min<qint16>(relays, Form1::alarmCount);
    for (qint16 i = 1; i <= shown; ++i) {
        m_form.Command4(i).setVisible(true);
        m_form.Shape3(i).setVisible(true);
        m_form.setAlarmState(i, 0);
    }
}
