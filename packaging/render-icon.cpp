// Writes the window icon as PNG files for the desktop's icon theme, at build time:
//   dryx-render-icon SIZE FILE [SIZE FILE]...
#include "ui/Pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.size() % 2 != 0) {
        std::fputs("usage: dryx-render-icon SIZE FILE [SIZE FILE]...\n", stderr);
        return 2;
    }
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        bool ok = false;
        const int size = arguments[i].toInt(&ok);
        const QString& file = arguments[i + 1];
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "dryx-render-icon: bad size \"%s\"\n", qPrintable(arguments[i]));
            return 2;
        }
        if (!QDir().mkpath(QFileInfo(file).absolutePath()) ||
            !Pictures::windowIcon(size).toImage().save(file, "PNG")) {
            std::fprintf(stderr, "dryx-render-icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
