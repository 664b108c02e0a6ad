#pragma once

#include "core/SettingsStore.h"

#include <QHash>

// A setup kept in an INI file:
//
//     [setup]
//     NumKTron=10
//     PLCTerminator=63536
//
// Values are read exactly as they stand after the "=": commas, inner quotes and backslashes
// are part of the text (QSettings' own INI format would split "a,b" into a list and unescape
// backslashes). Blanks around the value are dropped; a value wrapped in double quotes keeps
// everything between them, blanks included, with \" standing for " and \\ for \.
// Section and key names are compared without regard to case. Lines starting with ; or # are
// comments. A file that is not UTF-8 is read as Latin-1, so that every byte stands for itself.
//
// Given an application name, the file answers for that application only; given none (a file
// named on the command line), it answers for any.
//
// Only a regular file of at most `largestFile` bytes is read: a FIFO, a device, a directory or a
// larger file is refused (unavailable, with the reason) without being waited on or read.
class IniFileSettingsStore : public SettingsStore
{
public:
    // A setup is a few hundred bytes.
    static constexpr qint64 largestFile = qint64{1024} * 1024;

    IniFileSettingsStore(QString path, QString application);

    std::optional<QString> value(const QString& application, const QString& section,
                                 const QString& key) const override;
    QString location() const override { return m_path; }
    std::optional<QString> unavailable() const override { return m_unavailable; }

    static QHash<QString, QString> parse(const QByteArray& contents); // "section/key" -> text

private:
    QString m_path;
    QString m_application;
    std::optional<QString> m_unavailable;
    QHash<QString, QString> m_values;
};
