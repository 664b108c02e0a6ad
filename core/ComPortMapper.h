#pragma once

#include <QString>

#include <functional>

// Gives a COM port of the Windows programs on this system a Unix device to stand for, so that
// the monitoring application, run through Wine, finds the virtual line on its COM port. Mapping
// may take seconds of helper programs, so what came of it is told later: the event loop, and
// the run with it, goes on meanwhile.
class ComPortMapper
{
public:
    struct Outcome {
        enum class Result {
            Mapped,        // `text` says what was done, for the operator
            AlreadyMapped, // nothing was touched, nothing to say
            Failed,        // `text` says why
        };
        Result result = Result::AlreadyMapped;
        QString text;
        bool operator==(const Outcome&) const = default;
    };
    using Done = std::function<void(const Outcome& outcome)>;

    virtual ~ComPortMapper() = default;

    // Makes COM `number` stand for `device`, then tells `done` once ("COM1 of ~/.wine ->
    // /tmp/dryx-line"); at once when it stood for it already. A request made while another is
    // under way waits for it, and so finds what that one mapped.
    virtual void map(int number, const QString& device, Done done) = 0;
};
