#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class RunDesk;

// Faults at the desk: a kind, its argument and a count make a fault, armed as the `fault`
// command arms it; the faults armed and not yet taken are listed, and each can be taken back.
class FaultsPanel : public QWidget
{
    Q_OBJECT
public:
    explicit FaultsPanel(RunDesk& desk, QWidget* parent = nullptr);

    // The armed faults as the desk has them now.
    void refresh();

private:
    void kindChosen();
    void arm();
    void takeBack();

    RunDesk& m_desk;
    QComboBox* m_kind = nullptr;
    QLineEdit* m_argument = nullptr;
    QSpinBox* m_count = nullptr;
    QLabel* m_said = nullptr;
    QListWidget* m_armed = nullptr;
    QPushButton* m_takeBack = nullptr;
};
