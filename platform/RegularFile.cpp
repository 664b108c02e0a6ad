#include "platform/RegularFile.h"

RegularFile RegularFile::refused(Result result, const QString& reason)
{
    RegularFile file;
    file.result = result;
    file.reason = reason;
    return file;
}

QString RegularFile::whyNot(qint64 limit) const
{
    switch (result) {
    case Result::Read:
        break;
    case Result::Absent:
        return QStringLiteral("does not exist");
    case Result::Directory:
        return QStringLiteral("is a directory, not a file");
    case Result::NotRegular:
        return QStringLiteral("is %1, not a regular file: only a regular file is read").arg(reason);
    case Result::TooLarge:
        return QStringLiteral("is larger than %1 MB (far beyond any real one): it is not read")
            .arg(limit / (1024LL * 1024));
    case Result::Unreadable:
        return QStringLiteral("cannot be read: %1").arg(reason);
    }
    return {};
}
