#include "ui/MessageBoxErrorReporter.h"

#include "ui/MessageBox.h"

void MessageBoxErrorReporter::report(const QString& message)
{
    if (m_showing)
        return;
    m_showing = true;
    showMessageBox(m_parent, QLatin1String(title), message, QMessageBox::Warning);
    m_showing = false;
}
