#include "ui/RecordPanel.h"

#include "core/RunDesk.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RecordPanel::RecordPanel(RunDesk& desk, QWidget* parent)
    : QWidget(parent), m_desk(desk), m_folder(QDir::currentPath())
{
    setObjectName(QStringLiteral("record"));
    auto* save = new QPushButton(QStringLiteral("Sa&ve record…"), this);
    save->setObjectName(QStringLiteral("saveRecord"));
    m_stop = new QPushButton(QStringLiteral("Stop re&cording"), this);
    m_stop->setObjectName(QStringLiteral("stopRecording"));
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("recordState"));
    m_state->setWordWrap(true);
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_state);
    layout->addStretch();
    connect(save, &QPushButton::clicked, this, [this] { choose(); });
    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_desk.stopRecording();
        m_refusal.clear();
        refresh();
    });
    refresh();
}

void RecordPanel::choose()
{
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save the record of the run"),
                                     QDir(m_folder).filePath(QStringLiteral("run.log")),
                                     QStringLiteral("Records (*.log);;All files (*)"));
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    recordTo(path);
}

void RecordPanel::recordTo(const QString& path)
{
    m_refusal = m_desk.recordTo(path).value_or(QString());
    refresh();
}

void RecordPanel::refresh()
{
    const QString file = m_desk.recordFile();
    QString state = file.isEmpty() ? QStringLiteral("Not recording.")
                                   : QStringLiteral("Recording to %1: what --log writes, from "
                                                    "the first data string begun after Save.")
                                         .arg(file);
    if (!m_refusal.isEmpty())
        state = QStringLiteral("Not recorded: %1. %2").arg(m_refusal, state);
    m_state->setText(state);
    m_stop->setEnabled(!file.isEmpty());
}
