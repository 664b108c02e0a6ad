#pragma once

#include "core/Conversions.h"

class Form1;
class SettingsStore;

// Reads the monitoring application's setup once, as the window loads, and fills in what the
// operator would otherwise type: points per page, number of pages, alarms and terminator.
class StartupConfiguration
{
public:
    static constexpr const char* application = "kelmarith";
    static constexpr const char* section = "setup";

    StartupConfiguration(Form1& form, const SettingsStore& store, const Conversions& rules);

    void Form_Load();
    // What to tell the operator along with a setup that cannot be read at all: how to give one.
    void setNoSetupAdvice(const QString& advice) { m_noSetupAdvice = advice; }

private:
    qint16 readCount(const char* key) const;

    Form1& m_form;
    const SettingsStore& m_store;
    const Conversions& m_rules;
    QString m_noSetupAdvice;
};
