#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class RunDesk;
struct RunStatus;

// A scenario at the desk: a script opened from a file is checked whole first (every step at
// fault listed with its line number, and nothing to run), then run on the tool's clock from the
// moment Run is pressed; the next step shows with when it comes, and Stop ends it.
class ScenarioPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ScenarioPanel(RunDesk& desk, QWidget* parent = nullptr);

    // Opens the script at `path`, as the file dialog's choice does.
    void open(const QString& path);
    void refresh(const RunStatus& status);

private:
    void choose();

    RunDesk& m_desk;
    QPushButton* m_open = nullptr;
    QLabel* m_file = nullptr;
    QListWidget* m_problems = nullptr;
    QLabel* m_progress = nullptr;
    QPushButton* m_run = nullptr;
    QPushButton* m_stop = nullptr;
    QString m_folder; // where the last script was chosen
};
