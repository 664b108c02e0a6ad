#include "ui/LineHistory.h"

#include "core/SerialControl.h"
#include "core/Simulator.h"
#include "core/TimerRoles.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>

namespace
{
// Ticks no one has asked for are taken in once this many wait.
constexpr std::size_t heardAtMost = 4096;
} // namespace

QString LineHistory::Entry::mark(int currentRun) const
{
    if (!fault.isEmpty())
        return faultNote.isEmpty() ? fault : faultNote;
    if (delivery == Delivery::LeftOut)
        return QStringLiteral("left out: the line could not carry it");
    if (delivery == Delivery::Lost)
        return QStringLiteral("lost: the reader was not reading");
    if (!closed && run < currentRun)
        return QStringLiteral("not ended: Stop came first");
    return {};
}

LineHistory::LineHistory(Simulator& simulator, int capacity, double charactersPerSecond)
    : m_simulator(simulator), m_capacity(std::max(1, capacity)),
      m_bytesPerMs(charactersPerSecond / 1000.0)
{
    m_simulator.addObserver(this);
}

LineHistory::~LineHistory()
{
    m_simulator.removeObserver(this);
}

void LineHistory::started(const Form1& /*form*/)
{
    ++m_run;
}

void LineHistory::ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                         const TickRecord& tick)
{
    // A copy that shares the tick's texts: nothing here goes through the bytes.
    m_heard.push_back({m_run, sinceStart, &timer, tick});
    if (m_heard.size() >= heardAtMost)
        sync();
}

bool LineHistory::continuesNewest(const Heard& heard) const
{
    return !m_entries.empty() && m_entries.back().run == heard.run && !m_entries.back().closed;
}

void LineHistory::add(Entry& entry, const Heard& heard)
{
    const TickRecord& tick = heard.tick;
    Page page;
    page.dueMs = heard.sinceStart.count();
    page.bytes = tick.bytes;
    if (tick.delivery == Delivery::Sent) {
        page.wireStartMs = std::max(double(page.dueMs), m_wireFreeMs);
        page.wireEndMs = page.wireStartMs + double(tick.bytes) / m_bytesPerMs;
        m_wireFreeMs = page.wireEndMs;
    } else { // where it would have been: the line did not carry it
        page.wireStartMs = double(page.dueMs);
        page.wireEndMs = page.wireStartMs + double(tick.bytes) / m_bytesPerMs;
    }
    entry.pages.append(page);
    for (const QString& line : tick.lines) {
        if (entry.bytes.size() < bytesKept)
            entry.bytes += SerialControl::lineBytes(line).left(bytesKept - entry.bytes.size());
        ++entry.lineCount;
    }
    entry.byteCount += tick.bytes;
    if (tick.delivery != Delivery::Sent)
        entry.delivery = tick.delivery;
    if (!tick.fault.isEmpty())
        entry.fault = tick.fault;
    if (!tick.faultNote.isEmpty())
        entry.faultNote +=
            (entry.faultNote.isEmpty() ? QString() : QStringLiteral("; ")) + tick.faultNote;
    if (tick.closedDataString) {
        entry.closed = true;
        entry.number = ++m_ended;
    }
}

void LineHistory::sync()
{
    if (m_heard.empty())
        return;
    std::vector<Heard> heard;
    heard.swap(m_heard);
    for (const Heard& one : heard) {
        if (continuesNewest(one)) {
            add(m_entries.back(), one);
            const int row = int(m_entries.size()) - 1;
            emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
            continue;
        }
        if (m_entries.empty() || m_entries.back().run != one.run)
            m_wireFreeMs = 0;
        if (int(m_entries.size()) >= m_capacity) {
            beginRemoveRows({}, 0, 0);
            m_entries.pop_front();
            endRemoveRows();
        }
        Entry entry;
        entry.run = one.run;
        entry.sinceStartMs = one.sinceStart.count();
        entry.timer = one.timer->name();
        entry.dataSet = TimerRoles::nameOf(one.timer->dataSet);
        add(entry, one);
        const int row = int(m_entries.size());
        beginInsertRows({}, row, row);
        m_entries.push_back(std::move(entry));
        endInsertRows();
    }
}

int LineHistory::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int LineHistory::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LineHistory::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Entry& shown = entry(index.row());
    const QString mark = shown.mark(m_run);
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case Number:
            return shown.number ? QString::number(shown.number) : QString();
        case Time:
            return QString::number(double(shown.sinceStartMs) / 1000.0, 'f', 3);
        case Timer:
            return shown.timer;
        case DataSet:
            return shown.dataSet;
        case Bytes:
            return QString::number(shown.byteCount);
        case Mark:
            return mark;
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() <= Bytes && index.column() != Timer &&
        index.column() != DataSet)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::DecorationRole && index.column() == Mark && !mark.isEmpty())
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    if (role == Qt::ToolTipRole && !mark.isEmpty())
        return mark;
    return {};
}

QVariant LineHistory::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Number:
        return QStringLiteral("#");
    case Time:
        return QStringLiteral("Since Start (s)");
    case Timer:
        return QStringLiteral("Timer");
    case DataSet:
        return QStringLiteral("Data set");
    case Bytes:
        return QStringLiteral("Bytes");
    case Mark:
        return QStringLiteral("Fault or mark");
    default:
        return {};
    }
}
