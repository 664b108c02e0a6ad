#include "WindowMode.h"

#include "Options.h"

#include <cstdio>

#ifdef DRYX_WITH_UI

#include "MainWindow.h"
#include "MessageBoxErrorReporter.h"
#include "Pictures.h"
#include "ProcessLauncher.h"
#include "Session.h"

#include <QApplication>

int runWindow(int& argc, char** argv, const Options& options)
{
    QApplication application(argc, argv);
    // The window and the message boxes all carry the tool's icon.
    QApplication::setWindowIcon(QIcon(Pictures::windowIcon()));
    // The reporter comes before the simulator; its boxes get the window as parent once the
    // window exists.
    MessageBoxErrorReporter reporter;
    QString why;
    std::unique_ptr<Session> session = Session::create(options, reporter, &why);
    if (!session) {
        std::fprintf(stderr, "dryx-plc-test: %s\n", why.toLocal8Bit().constData());
        return 2;
    }
    // Form_Load runs before the window is shown.
    if (const std::optional<QString> refused = session->load()) {
        std::fprintf(stderr, "dryx-plc-test: %s\n", refused->toLocal8Bit().constData());
        return 2;
    }
    ProcessLauncher launcher;
    MainWindow window(session->form(), session->simulator(), launcher);
    reporter.setParentWindow(&window);
    window.show();
    session->begin([] { QApplication::exit(0); });
    return application.exec();
}

#else

int runWindow(int&, char**, const Options&)
{
    std::fprintf(stderr, "dryx-plc-test: the window is not built yet; use --headless\n");
    return 2;
}

#endif
