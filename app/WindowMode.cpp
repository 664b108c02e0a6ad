#include "app/WindowMode.h"

#include "app/Options.h"
#include "app/Session.h"
#include "app/StandardErrorReporter.h"
#include "core/UsageError.h"
#include "platform/SignalWatcher.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"
#include "ui/MessageBoxErrorReporter.h"
#include "ui/Pictures.h"

#include <QApplication>

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
    // A signal that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT, ...) stops the run as
    // Stop does, then ends the program: the port is closed and the virtual line's link removed,
    // as when the window is closed.
    SignalWatcher signalWatcher([&session](int) { session->stopAndEnd(); });
    window.show();
    if (session->begin())
        QApplication::exec();
    return session->finish(reporter);
}
