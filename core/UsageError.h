#pragma once

#include <QString>

#include <stdexcept>

// What the operator asked for cannot be done as asked: an option that is not understood, a
// settings file that cannot be read, a virtual line that cannot be made, a command or a field
// name that does not exist. Raised where it is found, answered once where it was asked for: at
// start-up by ending the program with status 2, for a command by refusing the command.
class UsageError : public std::runtime_error
{
public:
    UsageError(QString action, QString message)
        : std::runtime_error(message.toStdString()), m_action(std::move(action)),
          m_message(std::move(message))
    {
    }

    // The option, step or command at fault, e.g. "--settings"; and what is wrong with it.
    const QString& action() const { return m_action; }
    const QString& message() const { return m_message; }

private:
    QString m_action;
    QString m_message;
};
