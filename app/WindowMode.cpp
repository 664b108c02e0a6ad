#include "app/WindowMode.h"

#include "ui/MainWindow.h"
#include "ui/MessageBoxErrorReporter.h"
#include "app/Options.h"
#include "ui/Pictures.h"
#include "ui/ProcessLauncher.h"
#include "app/Session.h"

#include <QApplication>

int runWindow(int& argc, char** argv, const Options& options)
{
    QApplication application(argc, argv);
    // The window and the message boxes all carry the tool's icon.
    QApplication::setWindowIcon(QIcon(Pictures::windowIcon()));
    // The reporter comes before the simulator; its boxes get the window as parent once the
    // window exists.
    MessageBoxErrorReporter reporter;
    // Form_Load runs before the window is shown.
    std::unique_ptr<Session> session = Session::open(options, reporter);
    if (!session)
        return 2;
    ProcessLauncher launcher;
    MainWindow window(session->form(), session->simulator(), launcher);
    window.setProgramEnd([&session] { session->end(); });
    reporter.setParentWindow(&window);
    window.show();
    session->begin();
    return application.exec();
}
