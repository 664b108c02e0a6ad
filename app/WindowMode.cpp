#include "app/Options.h"
#include "app/Session.h"
#include "app/StandardErrorReporter.h"
#include "app/WindowModule.h"
#include "core/UsageError.h"
#include "platform/SignalWatcher.h"
#include "ui/FormMenu.h"
#include "ui/LineHistory.h"
#include "ui/LineWindow.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"
#include "ui/MessageBoxErrorReporter.h"
#include "ui/Pictures.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

#include <optional>
#include <type_traits>

namespace
{
QString aboutText(Session& session)
{
    return QStringLiteral("%1 %2\n"
                          "Stands in for the PLC of a production line: timed data strings for "
                          "DRYX on a serial line.\n\n"
                          "Setup: %3\n"
                          "Line: %4, %5")
        .arg(QLatin1String(programName), QLatin1String(DRYX_VERSION),
             session.setupFound() ? QStringLiteral("read from ") + session.setupLocation()
                                  : QStringLiteral("none at %1: the window's own values")
                                        .arg(session.setupLocation()),
             LineWindow::lineName(session.status()), session.status().settings);
}

int runWindow(int& argc, char** argv, const Options& options, StandardErrorReporter& reporter)
{
    QApplication application(argc, argv);
    // The window and the message boxes all carry the tool's icon.
    QApplication::setWindowIcon(QIcon(Pictures::windowIcon()));
    // The boxes get the window as parent once the window exists.
    MessageBoxErrorReporter boxes(reporter);
    std::unique_ptr<Session> session;
    try {
        // Form_Load runs before the window is shown.
        session = Session::open(options, boxes, [&reporter] { return reporter.errors(); });
    } catch (const UsageError& error) {
        reporter.error(error.action(), error.message()); // bad usage: the line says it all
        return 2;
    }
    MainWindow window(session->form(), session->simulator(), session->openDryx());
    window.setProgramEnd([&session] { session->end(); });
    // A refused entry shows its field's box, and counts among the run's errors.
    window.setRefusalPresenter([&](int field, const EntryRefusal& refusal) {
        reporter.error(QStringLiteral("Text%1").arg(field),
                       refusal.title + QLatin1String(": ") + refusal.message);
        showMessageBox(&window, refusal.title, refusal.message);
    });
    boxes.setParentWindow(&window);

    // The line window keeps its place among the tool's own settings, never in DRYX's setup.
    QSettings place(QSettings::IniFormat, QSettings::UserScope, QLatin1String(programName),
                    QLatin1String(programName));
    LineHistory history(session->simulator());
    LineWindow lineWindow(*session, history, place);
    QString setupFolder = QFileInfo(session->setupLocation()).absolutePath();
    FormMenu menu(&window, {.openSetup =
                                [&] {
                                    const QString path = QFileDialog::getOpenFileName(
                                        &window, QStringLiteral("Open a setup"), setupFolder,
                                        QStringLiteral("Setups (*.ini);;All files (*)"));
                                    if (path.isEmpty())
                                        return;
                                    setupFolder = QFileInfo(path).absolutePath();
                                    if (const auto why = session->openSetup(path))
                                        boxes.error(QStringLiteral("Open setup"), *why);
                                },
                            .setupAllowed = [&] { return !session->status().running; },
                            .line = [&] { lineWindow.open(&window); },
                            .about =
                                [&] {
                                    showMessageBox(&window, QStringLiteral("About DRYX PLC Test"),
                                                   aboutText(*session), QMessageBox::Information);
                                }});

    // A signal that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT, ...) stops the run as
    // Stop does, then ends the program: the port is closed and the virtual line's link removed,
    // as when the window is closed.
    SignalWatcher signalWatcher([&session](int) { session->stopAndEnd(); });
    window.show();
    if (options.monitor)
        lineWindow.open(&window);
    if (session->begin())
        QApplication::exec();
    return session->finish(reporter);
}
} // namespace

// The module's entry point (WindowModule): main() has checked the arguments and found a display.
extern "C" Q_DECL_EXPORT int dryxRunWindow(int* argc, char** argv)
{
    static_assert(std::is_same_v<decltype(&dryxRunWindow), WindowModule::EntryPoint>);
    StandardErrorReporter reporter;
    std::optional<Options> options;
    try {
        options = Options::parse(*argc, argv);
    } catch (const UsageError& error) { // main() took them: only another version's module may not
        reporter.error(error.action(), error.message());
        return 2;
    }
    return runWindow(*argc, argv, *options, reporter);
}
