#pragma once

#include "core/EntryChecks.h"
#include "core/Fields.h"
#include "core/FormMember.h"

#include <QWidget>

#include <array>
#include <functional>

class EnterPressesButton;
class FocusLeaveGuard;
class Form1;
class LampWidget;
class OpenDryx;
class PictureButton;
class QLabel;
class QLineEdit;
class QPushButton;
class Simulator;

// The tool's one window, a view of the form state: every change the core makes shows at once,
// and what the operator types goes into the field's text as typed. Buttons, alarm buttons and
// the fields' checks go to the simulator's handlers; the launcher picture and "Close" are
// handled here.
class MainWindow : public QWidget, public FormObserver
{
    Q_OBJECT
public:
    static constexpr const char* caption = "DRYX PLC Test";
    MainWindow(Form1& form, Simulator& simulator, OpenDryx& openDryx, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows a refused entry of field `field` (1..8) to the operator and returns when the
    // operator has seen it: by default the field's message box.
    using RefusalPresenter = std::function<void(int field, const EntryRefusal&)>;
    void setRefusalPresenter(RefusalPresenter presenter);
    // Ends the program: by default the event loop is left with code 0.
    using ProgramEnd = std::function<void()>;
    void setProgramEnd(ProgramEnd end);

    void memberChanged(FormMember member) override;

    void Picture4_Click();
    void Command2_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void setTabOrder();
    QLabel* addLabel(const QString& name, const QString& text, const QFont& font);
    QPushButton* addButton(const QString& name, const QString& text);
    QLineEdit* addField(int field);
    LampWidget* addLamp(const QString& name);
    // Names the control and puts it at its place from the layout table.
    void place(QWidget* control, const QString& name);

    void showText(int field);
    static void fitWhole(QLineEdit* display);
    void showLamps();
    void showAlarm(int index);
    bool checkField(QWidget* field);

    Form1& m_form;
    Simulator& m_simulator;
    OpenDryx& m_openDryx;
    RefusalPresenter m_presentRefusal;
    ProgramEnd m_endProgram;

    std::array<QLineEdit*, Fields::count> m_text{}; // Text1..Text8
    LampWidget* m_shape5 = nullptr;
    LampWidget* m_shape1 = nullptr;
    std::array<LampWidget*, 4> m_shape3{};
    std::array<QPushButton*, 4> m_command4{};
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command3 = nullptr;
    PictureButton* m_picture4 = nullptr;
    FocusLeaveGuard* m_guard = nullptr;
    EnterPressesButton* m_enterPresses = nullptr;
    bool m_shownOnce = false;
};
