#pragma once

#include "core/ComPortMapper.h"

#include <QProcessEnvironment>

// The user's Wine prefix ($WINEPREFIX, or ~/.wine): where its drive C lies, and its COM ports,
// the values COMn under
// HKEY_LOCAL_MACHINE\Software\Wine\Ports, each the Unix path the port stands for. Wine reads
// them when its services start with the first program of a wineserver's life, so after a change
// the prefix's wineserver is ended (and with it the Windows programs running in the prefix); an
// unchanged mapping touches nothing. Nothing else of the prefix is touched.
class WinePrefix : public ComPortMapper
{
public:
    explicit WinePrefix(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    std::optional<QString> map(int number, const QString& device) override;

    QString prefix() const { return m_prefix; }
    // The environment the prefix was found in, which Wine is started with.
    const QProcessEnvironment& environment() const { return m_environment; }
    // The prefix as the operator knows it: ~/.wine.
    QString shownPrefix() const;
    // What COM `number` stands for now, read from the prefix's registry file.
    std::optional<QString> mapped(int number) const;
    // The file a path on drive C of the prefix names, found as Wine finds it (letter case does
    // not matter); nothing when there is none.
    std::optional<QString> fileOf(const QString& windowsPath) const;

private:
    void run(const QString& program, const QStringList& arguments) const;

    QProcessEnvironment m_environment;
    QString m_prefix;
};
