#pragma once

#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <optional>
#include <utility>

class FaultsPanel;
class LineHistory;
class QItemSelection;
class QLabel;
class QPlainTextEdit;
class QSettings;
class QTabWidget;
class QTableView;
class RecordPanel;
class RunDesk;
class ScenarioPanel;
class WireStrip;
struct RunStatus;

// The second window, beside the form: the line and what goes on it, live, and the rig's
// controls of a desk (faults, scenario, record). It reads the run ten times a second while it
// is shown, from the desk's status and the bounded history, each time clear of the timers'
// next tick: nothing of it sits on the line's path, nor holds up a tick. It keeps its place and
// size in `place` (the tool's own settings, never DRYX's setup).
class LineWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char* caption = "Line \u2014 DRYX PLC Test";

    LineWindow(RunDesk& desk, LineHistory& history, QSettings& place, QWidget* parent = nullptr);
    ~LineWindow() override;

    // Shows the window, or brings it to the front with the keyboard in it. The first time ever
    // (no place kept yet) it goes beside `beside`, if given.
    void open(const QWidget* beside = nullptr);
    // The line as the window names it, e.g. "virtual line /dev/pts/3, link /tmp/dryx-line".
    static QString lineName(const RunStatus& status);
    // Reads the run anew, as the window's timer does (away from the ticks).
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* factsBox(const QString& title, const QList<std::pair<QString, QLabel**>>& rows);
    QWidget* createWentOut();
    void showLine(const RunStatus& status);
    void showCounts(const RunStatus& status);
    void showWire(const RunStatus& status);
    void showSelected();
    void keepPlace();
    void refreshClearOfTicks();

    RunDesk& m_desk;
    LineHistory& m_history;
    QSettings& m_place;
    QTimer m_refresh;
    QTimer m_refreshLater; // a refresh put off until a tick due now has gone
    int m_postponed = 0;

    QLabel* m_line = nullptr;
    QLabel* m_settings = nullptr;
    QLabel* m_reader = nullptr;
    QLabel* m_state = nullptr;
    QLabel* m_sent = nullptr;
    QLabel* m_leftOut = nullptr;
    QLabel* m_bytes = nullptr;
    QLabel* m_use = nullptr;
    QLabel* m_errors = nullptr;
    WireStrip* m_wire = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_chosen = nullptr; // what the data string shown whole is
    QPlainTextEdit* m_text = nullptr;
    QPlainTextEdit* m_hex = nullptr;
    FaultsPanel* m_faults = nullptr;
    ScenarioPanel* m_scenario = nullptr;
    RecordPanel* m_record = nullptr;
    QTabWidget* m_desks = nullptr;

    // Bytes on the line at each refresh of the last seconds, for the line's use.
    struct Sample {
        qint64 atMs;
        qint64 bytes;
    };
    std::deque<Sample> m_samples;
    std::optional<qint64> m_runStartMs; // the Start of the run under way, on the tool's clock
    bool m_placed = false;              // a place was kept, or the window has been shown
    bool m_followNewest = true;         // the list keeps its newest row in sight
    QString m_shown;                    // which data string is shown whole, and how much of it
};
