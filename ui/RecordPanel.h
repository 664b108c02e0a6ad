#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class RunDesk;

// The record at the desk: what --log writes, into a file chosen in a dialog, from now on.
class RecordPanel : public QWidget
{
    Q_OBJECT
public:
    explicit RecordPanel(RunDesk& desk, QWidget* parent = nullptr);

    // Records to `path`, as the file dialog's choice does.
    void recordTo(const QString& path);
    void refresh();

private:
    void choose();

    RunDesk& m_desk;
    QLabel* m_state = nullptr;
    QPushButton* m_stop = nullptr;
    QString m_refusal;
    QString m_folder;
};
