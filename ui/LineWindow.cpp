#include "ui/LineWindow.h"

#include "core/ByteText.h"
#include "core/LineSettings.h"
#include "core/RunDesk.h"
#include "core/SimulatorError.h"
#include "ui/FaultsPanel.h"
#include "ui/LineHistory.h"
#include "ui/RecordPanel.h"
#include "ui/ScenarioPanel.h"
#include "ui/WireStrip.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace
{
using namespace std::chrono_literals;
constexpr auto refreshEvery = 100ms;
constexpr auto takeInEvery = 1000ms; // while hidden: the history only
// A refresh is painted on the line's thread about 5 ms later (Qt gathers the updates of a
// window that long), and painting takes a millisecond or two: a refresh keeps this far from the
// timers' next tick, so that no tick is handled late for it.
constexpr auto clearOfTicks = 20ms;
constexpr int postponedAtMost = 3;
constexpr qint64 useOverMs = 10000; // the line's use is measured over the last 10 s
const QString placeKey = QStringLiteral("LineWindow/geometry");

QString duration(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 min %2 s")
            .arg(seconds / 60)
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 h %2 min")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
}

LineSettings settingsOf(const QString& text)
{
    try {
        return LineSettings::parse(text);
    } catch (const SimulatorError&) {
        return {};
    }
}
} // namespace

LineWindow::LineWindow(RunDesk& desk, LineHistory& history, QSettings& place, QWidget* parent)
    : QWidget(parent, Qt::Window), m_desk(desk), m_history(history), m_place(place)
{
    setObjectName(QStringLiteral("LineWindow"));
    setWindowTitle(QString::fromUtf8(caption));

    // Made in the order they stand, top to bottom: so goes the Tab key.
    auto* top = new QHBoxLayout;
    top->addWidget(factsBox(QStringLiteral("The line"), {{QStringLiteral("Line:"), &m_line},
                                                         {QStringLiteral("Sends:"), &m_settings},
                                                         {QStringLiteral("Reader:"), &m_reader},
                                                         {QStringLiteral("Run:"), &m_state}}),
                   3);
    top->addWidget(
        factsBox(QStringLiteral("Counts"), {{QStringLiteral("Data strings sent:"), &m_sent},
                                            {QStringLiteral("Left out:"), &m_leftOut},
                                            {QStringLiteral("Bytes on the line:"), &m_bytes},
                                            {QStringLiteral("Line in use:"), &m_use},
                                            {QStringLiteral("Errors reported:"), &m_errors}}),
        2);
    auto* wireBox = new QGroupBox(
        QStringLiteral("The wire, the last %1 s").arg(WireStrip::spanMs / 1000), this);
    m_wire = new WireStrip(history, wireBox);
    (new QVBoxLayout(wireBox))->addWidget(m_wire);
    QWidget* wentOut = createWentOut();
    m_desks = new QTabWidget(this);
    m_faults = new FaultsPanel(desk, m_desks);
    m_scenario = new ScenarioPanel(desk, m_desks);
    m_record = new RecordPanel(desk, m_desks);
    m_desks->setObjectName(QStringLiteral("desks"));
    m_desks->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    m_desks->addTab(m_faults, QStringLiteral("Fa&ults"));
    m_desks->addTab(m_scenario, QStringLiteral("Sce&nario"));
    m_desks->addTab(m_record, QStringLiteral("Recor&d"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(wireBox);
    layout->addWidget(wentOut, 1);
    layout->addWidget(m_desks);

    // Escape closes this window (the form stays); Ctrl+W as well.
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);

    // The history is taken in while the window is hidden too, so that it stays bounded.
    m_refresh.setInterval(takeInEvery);
    connect(&m_refresh, &QTimer::timeout, this, [this] {
        if (isVisible())
            refreshClearOfTicks();
        else
            m_history.sync();
    });
    m_refreshLater.setSingleShot(true);
    m_refreshLater.setTimerType(Qt::PreciseTimer);
    connect(&m_refreshLater, &QTimer::timeout, this, &LineWindow::refreshClearOfTicks);
    m_refresh.start();

    resize(860, 700);
    m_placed = restoreGeometry(m_place.value(placeKey).toByteArray());
}

LineWindow::~LineWindow()
{
    if (isVisible())
        keepPlace();
}

// A box of facts, a row each: its caption, and the label that shows it (kept in `*label`).
QWidget* LineWindow::factsBox(const QString& title, const QList<std::pair<QString, QLabel**>>& rows)
{
    auto* box = new QGroupBox(title, this);
    auto* form = new QFormLayout(box);
    for (const auto& [caption, label] : rows) {
        *label = new QLabel(box);
        (*label)->setAccessibleName(caption);
        (*label)->setTextInteractionFlags(Qt::TextSelectableByMouse);
        (*label)->setWordWrap(true);
        form->addRow(caption, *label);
    }
    return box;
}

QWidget* LineWindow::createWentOut()
{
    auto* box = new QGroupBox(QStringLiteral("&What went out, newest at the bottom"), this);
    m_table = new QTableView(box);
    m_table->setObjectName(QStringLiteral("wentOut"));
    m_table->setModel(&m_history);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(false); // Tab moves on to the next control
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Widths from the font, once: sized to their contents, the columns would be measured
    // against every row each time one comes.
    const QFontMetrics metrics = m_table->fontMetrics();
    const QList<std::pair<int, QString>> widest{
        {LineHistory::Number, QStringLiteral("0000")},
        {LineHistory::Time, QStringLiteral("Since Start (s)")},
        {LineHistory::Timer, QStringLiteral("Timer0")},
        {LineHistory::DataSet, QStringLiteral("Data set")},
        {LineHistory::Bytes, QStringLiteral("Bytes")}};
    for (const auto& [column, text] : widest)
        m_table->setColumnWidth(column, metrics.horizontalAdvance(text) + 16);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const auto addView = [&](const QString& name, const QString& accessible) {
        auto* view = new QPlainTextEdit(box);
        view->setObjectName(name);
        view->setAccessibleName(accessible);
        view->setReadOnly(true);
        view->setTabChangesFocus(true);
        view->setLineWrapMode(QPlainTextEdit::NoWrap);
        view->setFont(fixed);
        return view;
    };
    m_chosen = new QLabel(QStringLiteral("Choose a data string to see it whole."), box);
    m_chosen->setObjectName(QStringLiteral("selectedSummary"));
    m_chosen->setWordWrap(true);
    m_chosen->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text = addView(QStringLiteral("selectedText"), QStringLiteral("The data string as text"));
    m_hex = addView(QStringLiteral("selectedHex"), QStringLiteral("The data string in hex"));
    auto* whole = new QWidget(box);
    auto* views = new QHBoxLayout;
    auto* wholeLayout = new QVBoxLayout(whole);
    wholeLayout->setContentsMargins(0, 0, 0, 0);
    wholeLayout->addWidget(m_chosen);
    wholeLayout->addLayout(views, 1);
    for (const auto& [title, view] : {std::pair{QStringLiteral("As te&xt (CR LF shown):"), m_text},
                                      std::pair{QStringLiteral("In &hex:"), m_hex}}) {
        auto* column = new QVBoxLayout;
        auto* label = new QLabel(title, whole);
        label->setBuddy(view);
        column->addWidget(label);
        column->addWidget(view);
        views->addLayout(column, view == m_text ? 2 : 3);
    }
    auto* splitter = new QSplitter(Qt::Horizontal, box);
    splitter->addWidget(m_table);
    splitter->addWidget(whole);
    splitter->setSizes({560, 340});
    (new QVBoxLayout(box))->addWidget(splitter);

    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { showSelected(); });
    // The newest stays in sight, unless the operator has scrolled up or chosen an older one.
    connect(&m_history, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        const QScrollBar* bar = m_table->verticalScrollBar();
        const QModelIndexList chosen = m_table->selectionModel()->selectedRows();
        m_followNewest = bar->value() >= bar->maximum() - 1 &&
                         (chosen.isEmpty() || chosen.first().row() == m_history.rowCount() - 1);
    });
    connect(&m_history, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_followNewest)
            m_table->scrollToBottom();
    });
    return box;
}

void LineWindow::open(const QWidget* beside)
{
    if (!std::exchange(m_placed, true) && beside) {
        // To the right of the form, as far as the screen allows.
        const QRect screen = beside->screen()->availableGeometry();
        const QRect form = beside->frameGeometry();
        move(std::max(screen.left(), std::min(form.right() + 8, screen.right() - width())),
             std::max(screen.top(), std::min(form.top(), screen.bottom() - height())));
    }
    show();
    raise();
    activateWindow();
}

void LineWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
    m_refresh.start(refreshEvery);
    m_table->scrollToBottom();
}

void LineWindow::hideEvent(QHideEvent* event)
{
    m_refresh.start(takeInEvery);
    m_refreshLater.stop();
    keepPlace();
    QWidget::hideEvent(event);
}

void LineWindow::keepPlace()
{
    m_place.setValue(placeKey, saveGeometry());
    m_place.sync();
}

void LineWindow::refreshClearOfTicks()
{
    const std::optional<std::chrono::milliseconds> next = m_desk.nextTickIn();
    if (next && *next < clearOfTicks && m_postponed < postponedAtMost) {
        ++m_postponed;
        m_refreshLater.start(*next + 2ms); // just after it
        return;
    }
    m_postponed = 0;
    refresh();
}

void LineWindow::refresh()
{
    m_history.sync();
    const RunStatus status = m_desk.status();
    showLine(status);
    showCounts(status);
    showWire(status);
    showSelected();
    m_faults->refresh();
    m_scenario->refresh(status);
    m_record->refresh();
    // Each tab says in its name how things stand there.
    const qsizetype armed = status.faultsArmed.size();
    const QStringList names{
        armed ? QStringLiteral("Fa&ults (%1 armed)").arg(armed) : QStringLiteral("Fa&ults"),
        status.scenarioRunning ? QStringLiteral("Sce&nario (running)")
                               : QStringLiteral("Sce&nario"),
        m_desk.recordFile().isEmpty() ? QStringLiteral("Recor&d") : QStringLiteral("Recor&d (on)")};
    for (int tab = 0; tab < int(names.size()); ++tab)
        if (m_desks->tabText(tab) != names[tab])
            m_desks->setTabText(tab, names[tab]);
}

QString LineWindow::lineName(const RunStatus& status)
{
    switch (status.line) {
    case RunStatus::Line::Virtual:
        return QStringLiteral("virtual line %1%2 (whatever the Com Port, now %3)")
            .arg(status.device,
                 status.link.isEmpty() ? QString() : QStringLiteral(", link ") + status.link)
            .arg(status.comPort);
    case RunStatus::Line::Device:
        return QStringLiteral("Com Port %1: %2").arg(status.comPort).arg(status.device);
    case RunStatus::Line::None:
        break;
    }
    return QStringLiteral("none (virtual time)");
}

void LineWindow::showLine(const RunStatus& status)
{
    m_line->setText(lineName(status));
    m_settings->setText(QStringLiteral("%1, %2 characters a second")
                            .arg(status.settings)
                            .arg(settingsOf(status.settings).charactersPerSecond(), 0, 'f', 0));
    QString reader;
    if (!status.readerPresent)
        reader = QStringLiteral("not seen on a serial device");
    else if (*status.readerPresent)
        reader =
            QStringLiteral("a reader has the line open") +
            (status.receiver.isEmpty() ? QString() : QStringLiteral(" and set ") + status.receiver);
    else
        reader = QStringLiteral("no reader has the line open: what is sent is lost, as on a wire");
    // The receiver check's notice, for as long as the reader is set so.
    if (!status.receiverNotice.isEmpty())
        reader += QStringLiteral("\nNotice: ") + status.receiverNotice;
    m_reader->setText(reader);

    // Since when, on the clock of the wall: the tool's clock counts from start-up.
    const QDateTime since =
        QDateTime::currentDateTime().addMSecs(-(status.time - status.since).count());
    const QString when = QStringLiteral("since %1 (%2)")
                             .arg(since.toString(QStringLiteral("HH:mm:ss")),
                                  duration((status.time - status.since).count()));
    if (status.running)
        m_state->setText(QStringLiteral("running ") + when);
    else if (status.since.count() == 0 && status.dataStringsSent + status.dataStringsLeftOut == 0)
        m_state->setText(QStringLiteral("stopped: not started yet"));
    else
        m_state->setText(QStringLiteral("stopped ") + when);
}

void LineWindow::showCounts(const RunStatus& status)
{
    m_sent->setText(QString::number(status.dataStringsSent));
    m_leftOut->setText(status.dataStringsLost == 0 ? QString::number(status.dataStringsLeftOut)
                                                   : QStringLiteral("%1; lost, not read: %2")
                                                         .arg(status.dataStringsLeftOut)
                                                         .arg(status.dataStringsLost));
    m_bytes->setText(QString::number(status.bytesOnTheLine));
    m_errors->setText(QString::number(status.errorsReported));

    const qint64 now = status.time.count();
    m_samples.push_back({now, status.bytesOnTheLine});
    while (m_samples.size() > 2 && m_samples.front().atMs < now - useOverMs)
        m_samples.pop_front();
    const Sample& first = m_samples.front();
    if (now - first.atMs < 1000) {
        m_use->setText(QStringLiteral("(measuring)"));
        return;
    }
    const LineSettings line = settingsOf(status.settings);
    const double carried = line.charactersPerSecond() * double(now - first.atMs) / 1000.0;
    m_use->setText(
        QStringLiteral("%1 % of %2 baud (last %3 s)")
            .arg(100.0 * double(status.bytesOnTheLine - first.bytes) / carried, 0, 'f', 1)
            .arg(line.bitsPerSecond)
            .arg((now - first.atMs + 500) / 1000));
}

void LineWindow::showWire(const RunStatus& status)
{
    if (status.running) {
        m_runStartMs = status.since.count();
        m_wire->showUpTo(double((status.time - status.since).count()));
        return;
    }
    // Stopped: the strip stays where the run ended.
    if (m_runStartMs)
        m_wire->showUpTo(double(status.since.count() - *m_runStartMs));
    else
        m_wire->update();
}

void LineWindow::showSelected()
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        if (!m_shown.isEmpty()) {
            m_chosen->setText(QStringLiteral("Choose a data string to see it whole."));
            m_text->clear();
            m_hex->clear();
            m_shown.clear();
        }
        return;
    }
    const LineHistory::Entry& entry = m_history.entry(rows.first().row());
    // Shown again only when another is chosen or this one has grown (its second page).
    const QString shown =
        QStringLiteral("%1 %2 %3").arg(entry.run).arg(entry.sinceStartMs).arg(entry.byteCount);
    if (shown == m_shown)
        return;
    m_shown = shown;
    QStringList text;
    QStringList hex;
    // One line of the data string a row, as it went: up to and including its LF.
    qsizetype from = 0;
    while (from < entry.bytes.size()) {
        qsizetype to = entry.bytes.indexOf('\n', from);
        to = to < 0 ? entry.bytes.size() : to + 1;
        const QByteArray line = entry.bytes.mid(from, to - from);
        text.append(ByteText::escaped(line));
        hex.append(ByteText::hex(line));
        from = to;
    }
    if (entry.byteCount > entry.bytes.size())
        text.append(
            QStringLiteral("... (%1 more bytes)").arg(entry.byteCount - entry.bytes.size()));
    QString summary =
        QStringLiteral("%1 at %2 s since Start, %3, %4 data set: %5 bytes in %6 lines")
            .arg(entry.number ? QStringLiteral("Data string %1").arg(entry.number)
                              : QStringLiteral("A data string"))
            .arg(double(entry.sinceStartMs) / 1000.0, 0, 'f', 3)
            .arg(entry.timer, entry.dataSet)
            .arg(entry.byteCount)
            .arg(entry.lineCount);
    if (const QString mark = entry.mark(m_history.currentRun()); !mark.isEmpty())
        summary += QStringLiteral("; ") + mark;
    m_chosen->setText(summary);
    m_text->setPlainText(text.join(QLatin1Char('\n')));
    m_hex->setPlainText(hex.join(QLatin1Char('\n')));
}
