#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The platform's modal message box: a title, a text and a single OK button, which is also the
// default. Returns when the operator has closed it; ticks of a running simulator go on being
// handled meanwhile, since the box runs its own event loop.
void showMessageBox(QWidget* parent, const QString& title, const QString& text,
                    QMessageBox::Icon icon = QMessageBox::NoIcon);
