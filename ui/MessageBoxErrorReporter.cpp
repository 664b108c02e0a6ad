#include "ui/MessageBoxErrorReporter.h"

#include "ui/MainWindow.h"
#include "ui/MessageBox.h"

void MessageBoxErrorReporter::report(Severity severity, const QString& action,
                                     const QString& message)
{
    m_beneath.report(severity, action, message);
    if (m_showing)
        return;
    m_showing = true;
    showMessageBox(m_parent, QLatin1String(MainWindow::caption),
                   action + QLatin1String(": ") + message,
                   severity == Severity::Error ? QMessageBox::Warning : QMessageBox::Information);
    m_showing = false;
}
