#include "platform/IniFileSettingsStore.h"
#include "platform/PerUserSettingsStore.h"

#include <QTemporaryDir>
#include <QtTest>

// The setup as stored on disk, read back exactly.
class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void valuesAreReadAsStored_data();
    void valuesAreReadAsStored();
    void absentKeysAndOtherApplications();
    void perUserStoreLivesUnderTheConfigDirectory();

private:
    static QString write(const QTemporaryDir& dir, const QByteArray& contents)
    {
        QString path = dir.filePath(QStringLiteral("setup.ini"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        file.write(contents);
        return path;
    }
};

void SettingsStoreTest::valuesAreReadAsStored_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("text");

    QTest::newRow("digits") << QByteArray("PLCTerminator=63536") << "63536";
    QTest::newRow("comma stays text") << QByteArray("PLCTerminator=END, OK") << "END, OK";
    QTest::newRow("backslashes as typed") << QByteArray("PLCTerminator=a\\nb\\") << "a\\nb\\";
    QTest::newRow("inner quotes") << QByteArray("PLCTerminator=say \"hi\"") << "say \"hi\"";
    QTest::newRow("blanks around dropped") << QByteArray("PLCTerminator =  x y  ") << "x y";
    QTest::newRow("quoted keeps blanks") << QByteArray("PLCTerminator=\"  x, y \"") << "  x, y ";
    QTest::newRow("quoted escapes") << QByteArray(R"(PLCTerminator="a\"b\\c")") << "a\"b\\c";
    QTest::newRow("empty") << QByteArray("PLCTerminator=") << "";
    QTest::newRow("CR LF line end") << QByteArray("PLCTerminator=7\r") << "7";
    QTest::newRow("key case") << QByteArray("plcterminator=9") << "9";
    QTest::newRow("UTF-8") << QByteArray("PLCTerminator=\xc3\xa9t\xc3\xa9") << "\u00e9t\u00e9";
}

void SettingsStoreTest::valuesAreReadAsStored()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = write(dir, "; a comment\n[Setup]\nNumKTron=1\n" + line + "\n[other]\n");
    const IniFileSettingsStore store(path, QString());
    QCOMPARE(store.unavailable(), std::nullopt);
    QCOMPARE(store.value("kelmarith", "setup", "PLCTerminator"), std::optional(text));
    QCOMPARE(store.read("kelmarith", "setup", "NumKTron"), QStringLiteral("1"));
}

void SettingsStoreTest::absentKeysAndOtherApplications()
{
    QTemporaryDir dir;
    const QString path = write(dir, "[setup]\nNumKTron=4\n[elsewhere]\nNum6B=2\n");
    const IniFileSettingsStore store(path, QStringLiteral("kelmarith"));
    QCOMPARE(store.value("kelmarith", "setup", "Num6B"), std::nullopt);
    QCOMPARE(store.read("kelmarith", "setup", "Num6B"), QString());
    QCOMPARE(store.value("other", "setup", "NumKTron"), std::nullopt);
    QCOMPARE(store.value("KELMARITH", "setup", "NumKTron"), std::optional(QStringLiteral("4")));
    const IniFileSettingsStore missing(dir.filePath("none.ini"), QString());
    QVERIFY(missing.unavailable().has_value());
    QCOMPARE(missing.value("kelmarith", "setup", "NumKTron"), std::nullopt);
    QCOMPARE(missing.location(), dir.filePath("none.ini"));
}

void SettingsStoreTest::perUserStoreLivesUnderTheConfigDirectory()
{
#ifdef Q_OS_WIN
    QCOMPARE(perUserSettingsLocation("kelmarith"),
             QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\kelmarith"));
#else
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    const QString expected = dir.path() + "/VB and VBA Program Settings/kelmarith.ini";
    QCOMPARE(perUserSettingsLocation("kelmarith"), expected);
    QVERIFY(QDir().mkpath(dir.path() + "/VB and VBA Program Settings"));
    QFile file(expected);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[setup]\nNumRelay=3\n");
    file.close();
    const auto store = openPerUserSettingsStore("kelmarith");
    QCOMPARE(store->read("kelmarith", "setup", "NumRelay"), QStringLiteral("3"));
    QCOMPARE(store->location(), expected);
#endif
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
