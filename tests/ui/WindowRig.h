#pragma once

#include "core/OpenDryx.h"
#include "core/RunObserver.h"
#include "tests/support/Patience.h"
#include "tests/support/RecordingLauncher.h"
#include "tests/support/SimulatorRig.h"
#include "ui/MainWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QWindow>

// The window on a simulator in virtual time, with refusals and the program's end recorded
// instead of shown and done.
struct WindowRig {
    SimulatorRig sim;
    RecordingLauncher launcher;
    RecordingPorts winePorts;
    std::unique_ptr<OpenDryx> openDryx;
    QList<EntryRefusal> refusals;
    int programEnds = 0;
    // The entries the window's checks told the run of, as "Text1 200 accepted".
    struct EntryWatch final : RunObserver {
        QStringList entries;
        void entryLeft(int field, const QString& text, bool accepted) override
        {
            entries.append(
                QStringLiteral("Text%1 %2 %3")
                    .arg(field)
                    .arg(text, accepted ? QLatin1String("accepted") : QLatin1String("refused")));
        }
    } entryWatch;
    std::unique_ptr<MainWindow> window;

    // With `recordRefusals` false the window shows its real message boxes.
    void create(bool recordRefusals = true,
                const std::optional<OpenDryx::VirtualLine>& line = std::nullopt)
    {
        openDryx = std::make_unique<OpenDryx>(sim.form, sim.rules, launcher, winePorts,
                                              sim.reporter, line);
        window = std::make_unique<MainWindow>(sim.form, sim.simulator, *openDryx);
        sim.simulator.addObserver(&entryWatch);
        if (recordRefusals)
            window->setRefusalPresenter(
                [this](int, const EntryRefusal& refusal) { refusals.append(refusal); });
        window->setProgramEnd([this] { ++programEnds; });
    }
    // NOLINTNEXTLINE(readability-make-member-function-const): it acts on the rig's window
    bool showActive()
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get(), patienceMs);
    }

    template <typename T = QWidget> T* control(const QString& name) const
    {
        return window->findChild<T*>(name);
    }
    QLineEdit* field(int number) const
    {
        return control<QLineEdit>(QStringLiteral("Text%1").arg(number));
    }

    // A click as the window system delivers it: to the window, at the control's centre.
    // NOLINTNEXTLINE(readability-make-member-function-const): it acts on the rig's window
    void click(QWidget* control, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint at = control->mapTo(window.get(), control->rect().center());
        QTest::mouseClick(window->windowHandle(), button, {}, at);
    }

    // A click handed straight to the control, as QTest does for widgets: the press reaches the
    // control after Qt has given it the focus.
    void clickDirect(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }

    // The operator puts the focus in a field and replaces its entry by typing.
    // NOLINTNEXTLINE(readability-make-member-function-const): it acts on the rig's window
    void typeInto(int number, const QString& text)
    {
        QLineEdit* edit = field(number);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }

    QColor pixelAt(QWidget* control, QPoint at) { return control->grab().toImage().pixelColor(at); }
};
