#pragma once

#include "core/ComPortMapper.h"
#include "launcher/WineInstallation.h"

#include <QProcessEnvironment>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

class ProcessRunner;

// The user's Wine prefix ($WINEPREFIX, or ~/.wine): where its drive C lies, and its COM ports,
// the values COMn under
// HKEY_LOCAL_MACHINE\Software\Wine\Ports, each the Unix path the port stands for. Wine reads
// them when its services start with the first program of a wineserver's life, so after a change
// the prefix's wineserver is ended (and with it the Windows programs running in the prefix); an
// unchanged mapping touches nothing and needs no Wine. Nothing else of the prefix is touched.
// Wine's helpers run on `runner`, one after the other, while the event loop goes on.
class WinePrefix : public ComPortMapper
{
public:
    // Where Wine's loader and server are, looked for when a mapping needs them.
    struct Programs {
        std::function<std::optional<QString>()> loader = &WineInstallation::loader;
        std::function<std::optional<QString>()> server = &WineInstallation::server;
    };

    explicit WinePrefix(ProcessRunner& runner, const QProcessEnvironment& environment =
                                                   QProcessEnvironment::systemEnvironment());
    WinePrefix(ProcessRunner& runner, const QProcessEnvironment& environment, Programs programs);

    void map(int number, const QString& device, Done done) override;

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
    struct Request {
        int number;
        QString device;
        Done done;
    };
    struct Command {
        QString program;
        QStringList arguments;
    };

    // Serves the waiting requests in turn until one has to wait for Wine.
    void serveWaiting();
    void runNextCommand();
    void finish(const Outcome& outcome);
    void fail(const QString& why);

    ProcessRunner& m_runner;
    QProcessEnvironment m_environment;
    Programs m_programs;
    QString m_prefix;
    std::deque<Request> m_waiting;
    std::optional<Request> m_current; // the request under way
    std::deque<Command> m_commands;   // what is left to run for it
};
