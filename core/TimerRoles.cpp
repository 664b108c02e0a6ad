#include "core/TimerRoles.h"

#include <array>
#include <stdexcept>

namespace TimerRoles
{
namespace
{
using Job = TimerRole::Job;

// clang-format off
constexpr std::array<TimerRole, count> table{{
    {1, Job::Transmitter, RunMode::TwoPage, DataSet::First,  false},
    {2, Job::Switcher,    RunMode::TwoPage, DataSet::First,  false},
    {3, Job::Transmitter, RunMode::TwoPage, DataSet::Second, false},
    {4, Job::Transmitter, RunMode::OnePage, DataSet::First,  true},
    {5, Job::Transmitter, RunMode::OnePage, DataSet::Second, false},
    {6, Job::Switcher,    RunMode::OnePage, DataSet::First,  false},
}};
// clang-format on

const TimerRole& find(Job job, RunMode mode, DataSet dataSet)
{
    for (const TimerRole& role : table)
        if (role.job == job && role.mode == mode &&
            (job == Job::Switcher || role.dataSet == dataSet))
            return role;
    throw std::logic_error("no such timer role");
}
} // namespace

std::span<const TimerRole> all()
{
    return table;
}

const TimerRole& of(int timer)
{
    if (timer < 1 || timer > count)
        throw std::out_of_range("no such timer");
    return table[std::size_t(timer - 1)];
}

const TimerRole& transmitter(RunMode mode, DataSet dataSet)
{
    return find(Job::Transmitter, mode, dataSet);
}

const TimerRole& switcher(RunMode mode)
{
    return find(Job::Switcher, mode, DataSet::First);
}

QString nameOf(DataSet dataSet)
{
    return dataSet == DataSet::First ? QStringLiteral("first") : QStringLiteral("second");
}
} // namespace TimerRoles
