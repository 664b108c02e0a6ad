#include "app/ExampleSetup.h"

#include <QDir>
#include <QFileInfo>

QString ExampleSetup::path(const QString& programDirectory)
{
    // The installation's documentation as seen from its program folder, so that any prefix
    // works; a program in a build tree has none beside it.
    QString installed = QDir::cleanPath(programDirectory + QLatin1Char('/') +
                                        QLatin1String(DRYX_DOCS_FROM_PROGRAM) +
                                        QLatin1String("/examples/setup.ini"));
    if (QFileInfo::exists(installed))
        return installed;
    QString source = QLatin1String(DRYX_SOURCE_EXAMPLES) + QLatin1String("/setup.ini");
    if (QFileInfo::exists(source))
        return source;
    return {};
}
