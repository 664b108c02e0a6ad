#include "ui/ScenarioPanel.h"

#include "core/RunDesk.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

ScenarioPanel::ScenarioPanel(RunDesk& desk, QWidget* parent) : QWidget(parent), m_desk(desk)
{
    setObjectName(QStringLiteral("scenario"));
    m_open = new QPushButton(QStringLiteral("&Open script…"), this);
    m_open->setObjectName(QStringLiteral("openScript"));
    m_file = new QLabel(this);
    m_file->setObjectName(QStringLiteral("scriptFile"));
    m_file->setWordWrap(true);
    m_problems = new QListWidget(this);
    m_problems->setObjectName(QStringLiteral("scriptProblems"));
    m_problems->setAccessibleName(QStringLiteral("What is wrong with the script"));
    m_problems->setVisible(false);
    m_problems->setMaximumHeight(m_problems->fontMetrics().height() * 6);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("scenarioProgress"));
    m_progress->setWordWrap(true);
    m_run = new QPushButton(QStringLiteral("&Run"), this);
    m_run->setObjectName(QStringLiteral("runScenario"));
    m_stop = new QPushButton(QStringLiteral("&Stop"), this);
    m_stop->setObjectName(QStringLiteral("stopScenario"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_open);
    buttons->addWidget(m_run);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_file);
    layout->addWidget(m_problems, 1);
    layout->addWidget(m_progress);
    layout->addStretch();

    connect(m_open, &QPushButton::clicked, this, [this] { choose(); });
    connect(m_run, &QPushButton::clicked, this, [this] {
        m_desk.runScenario();
        refresh(m_desk.status());
    });
    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_desk.stopScenario();
        refresh(m_desk.status());
    });
    refresh(m_desk.status());
}

void ScenarioPanel::choose()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open a scenario script"), m_folder,
                                     QStringLiteral("Scenario scripts (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    open(path);
}

void ScenarioPanel::open(const QString& path)
{
    const QList<RunDesk::ScenarioProblem> problems = m_desk.openScenario(path);
    m_problems->clear();
    for (const RunDesk::ScenarioProblem& problem : problems)
        m_problems->addItem(
            problem.line > 0 ? QStringLiteral("line %1: %2").arg(problem.line).arg(problem.message)
                             : problem.message);
    m_problems->setVisible(!problems.isEmpty());
    if (!problems.isEmpty())
        m_file->setText(
            QStringLiteral("%1 is refused, nothing of it runs:").arg(QFileInfo(path).fileName()));
    refresh(m_desk.status());
}

void ScenarioPanel::refresh(const RunStatus& status)
{
    const bool loaded = !status.scenarioFile.isEmpty();
    if (loaded)
        m_file->setText(status.scenarioFile);
    else if (m_problems->count() == 0)
        m_file->setText(
            QStringLiteral("No script: open one (\"at MS COMMAND\", one step a line)."));
    if (status.scenarioRunning && status.nextStepAt) {
        const double in = double((*status.nextStepAt - status.time).count()) / 1000.0;
        m_progress->setText(
            QStringLiteral("Running: %1 of %2 steps taken; next, step %3 in %4 s: %5")
                .arg(status.stepsDone)
                .arg(status.steps)
                .arg(status.stepsDone + 1)
                .arg(std::max(in, 0.0), 0, 'f', 1)
                .arg(status.nextStep));
    } else if (loaded) {
        m_progress->setText(
            QStringLiteral("%1 of %2 steps taken.").arg(status.stepsDone).arg(status.steps));
    } else {
        m_progress->clear();
    }
    m_open->setEnabled(!status.scenarioRunning);
    m_run->setEnabled(loaded && !status.scenarioRunning && status.steps > 0);
    m_stop->setEnabled(status.scenarioRunning);
}
