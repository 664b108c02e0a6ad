#include "ui/MessageBox.h"

#include <QAbstractButton>

void showMessageBox(QWidget* parent, const QString& title, const QString& text,
                    QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}
