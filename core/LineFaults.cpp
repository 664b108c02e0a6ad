#include "core/LineFaults.h"

namespace
{
QString hex(quint8 byte)
{
    return QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

QByteArray crlf(const QString& text)
{
    return text.toLatin1() + "\r\n";
}
} // namespace

LineFaults::LineFaults(quint64 seed) : m_random(seed) {}

quint64 LineFaults::arm(const LineFault& fault)
{
    m_armed.push_back({++m_lastId, fault});
    return m_lastId;
}

QStringList LineFaults::armed() const
{
    QStringList faults;
    for (const Pending& armed : m_armed)
        faults.append(armed.fault.describe());
    return faults;
}

QList<LineFaults::Armed> LineFaults::armedFaults() const
{
    QList<Armed> faults;
    for (const Pending& armed : m_armed)
        faults.append({armed.id, armed.fault.describe()});
    return faults;
}

bool LineFaults::takeBack(quint64 id)
{
    return std::erase_if(m_armed, [id](const Pending& armed) { return armed.id == id; }) > 0;
}

const LineFault* LineFaults::beginTick(bool opensDataString)
{
    m_opening = opensDataString;
    if (opensDataString) {
        m_current.reset();
        m_linesBefore = 0;
        m_cutOff = false;
        m_found = false;
        if (!m_armed.empty()) {
            m_current = m_armed.front().fault;
            m_current->dataStrings = 1;
            if (--m_armed.front().fault.dataStrings == 0)
                m_armed.pop_front();
        }
    }
    return m_current ? &*m_current : nullptr;
}

LineFaults::Outcome LineFaults::apply(QList<QByteArray> lines, bool closesDataString)
{
    Outcome outcome;
    const LineFault& fault = *m_current;
    const qint64 first = m_linesBefore + 1; // the number of this tick's first line
    m_linesBefore += lines.size();
    const qint64 index = fault.number - first; // of line K in this tick
    const bool holdsLineK = index >= 0 && index < lines.size();
    const QString kind = fault.kindName();
    if (m_cutOff)
        return outcome; // the string was cut in an earlier tick
    outcome.lines = std::move(lines);
    switch (fault.kind) {
    case LineFault::Kind::Cut:
        cut(outcome, first);
        break;
    case LineFault::Kind::DropLine:
        if (holdsLineK) {
            outcome.lines.removeAt(index);
            outcome.note = QStringLiteral("line %1 left out").arg(fault.number);
            m_found = true;
        }
        break;
    case LineFault::Kind::Garble:
        if (holdsLineK) {
            QByteArray& line = outcome.lines[index];
            // A byte of the text, not of its CR LF (unless the line is nothing else).
            const qsizetype span = line.size() > 2 ? line.size() - 2 : line.size();
            const auto at = qsizetype(below(quint64(span)));
            const auto was = quint8(line[at]);
            const auto now = quint8(was + 1 + below(255));
            line[at] = char(now);
            outcome.note = QStringLiteral("line %1 byte %2: %3 -> %4")
                               .arg(fault.number)
                               .arg(at + 1)
                               .arg(hex(was), hex(now));
            m_found = true;
        }
        break;
    case LineFault::Kind::NoTerminator:
        if (closesDataString && !outcome.lines.isEmpty()) {
            outcome.lines.removeLast();
            outcome.note = QStringLiteral("terminator line left out");
        }
        break;
    case LineFault::Kind::ExtraLine:
        if (closesDataString) {
            outcome.lines.insert(qMax<qsizetype>(0, outcome.lines.size() - 1), crlf(fault.text));
            outcome.note = QStringLiteral("extra line before the terminator");
        }
        break;
    case LineFault::Kind::WrongTerminator:
        if (closesDataString && !outcome.lines.isEmpty()) {
            outcome.lines.last() = crlf(fault.text);
            outcome.note = QStringLiteral("terminator line replaced");
        }
        break;
    case LineFault::Kind::Delay:
        if (m_opening) {
            outcome.holdBack = std::chrono::milliseconds(fault.number);
            outcome.note = QStringLiteral("held back %1 ms").arg(fault.number);
        }
        break;
    case LineFault::Kind::Noise:
        if (m_opening && fault.number > 0) {
            outcome.lines.prepend(randomBytes(fault.number));
            outcome.note = QStringLiteral("%1 random bytes before it").arg(fault.number);
        }
        break;
    case LineFault::Kind::Break:
        if (m_opening) {
            outcome.holdBack = std::chrono::milliseconds(fault.number);
            outcome.breakCondition = true;
            outcome.note = QStringLiteral("a %1 ms break before it").arg(fault.number);
        }
        break;
    }
    if (closesDataString && !m_found &&
        (fault.kind == LineFault::Kind::DropLine || fault.kind == LineFault::Kind::Garble))
        outcome.note = QStringLiteral("no line %1: the data string has %2, sent as it is")
                           .arg(fault.number)
                           .arg(m_linesBefore);
    if (!outcome.note.isEmpty())
        outcome.note = kind + QLatin1String(": ") + outcome.note;
    return outcome;
}

// The string stops at a byte chosen in one of this tick's lines, before that line's end, and
// nothing more of it is sent.
void LineFaults::cut(Outcome& outcome, qint64 first)
{
    m_cutOff = true;
    if (outcome.lines.isEmpty())
        return;
    const auto line = qsizetype(below(quint64(outcome.lines.size())));
    const qsizetype size = outcome.lines[line].size();
    const qsizetype kept = size > 1 ? 1 + qsizetype(below(quint64(size - 1))) : 0;
    outcome.lines[line].truncate(kept);
    outcome.lines.erase(outcome.lines.begin() + line + 1, outcome.lines.end());
    outcome.note = QStringLiteral("line %1 stops after %2 of its %3 bytes")
                       .arg(first + line)
                       .arg(kept)
                       .arg(size);
}

QByteArray LineFaults::randomBytes(qint64 count)
{
    QByteArray bytes(count, '\0');
    for (char& byte : bytes)
        byte = char(below(256));
    return bytes;
}
