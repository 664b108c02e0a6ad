#include "platform/IniFileSettingsStore.h"
#include "platform/PerUserSettingsStore.h"

#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

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
    // Written as the monitoring application writes it: string values, read back as stored
    // (no list splitting at commas, no unescaping, no "@" conventions of QSettings).
    const QString application =
        QStringLiteral("dryx-plc-test-%1").arg(QCoreApplication::applicationPid());
    const auto path = QStringLiteral("Software\\VB and VBA Program Settings\\%1\\setup")
                          .arg(application)
                          .toStdWString();
    QCOMPARE(openPerUserSettingsStore(application)->unavailable(),
             std::optional(QStringLiteral("there is no setup in the registry at HKEY_CURRENT_USER"
                                          "\\Software\\VB and VBA Program Settings\\") +
                           application));
    HKEY key = nullptr;
    QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                             nullptr, &key, nullptr),
             LONG(ERROR_SUCCESS));
    const auto setText = [key](const wchar_t* name, const std::wstring& text) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       DWORD((text.size() + 1) * sizeof(wchar_t)));
    };
    setText(L"NumRelay", L"3");
    setText(L"PLCTerminator", L"@@END, \\n \"x\" \u00e9");
    setText(L"Empty", L"");
    const DWORD number = 7;
    RegSetValueExW(key, L"NumKTron", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    RegCloseKey(key);
    const auto store = openPerUserSettingsStore(application);
    const QString relays = store->read(application, "setup", "NumRelay");
    const std::optional<QString> terminator = store->value(application, "setup", "PLCTerminator");
    const std::optional<QString> empty = store->value(application, "setup", "Empty");
    const std::optional<QString> dword = store->value(application, "setup", "NumKTron");
    const std::optional<QString> elsewhere = store->value(application, "other", "NumRelay");
    RegDeleteTreeW(
        HKEY_CURRENT_USER,
        (L"Software\\VB and VBA Program Settings\\" + application.toStdWString()).c_str());
    QCOMPARE(store->unavailable(), std::nullopt);
    QCOMPARE(relays, QStringLiteral("3"));
    QCOMPARE(terminator, std::optional(QStringLiteral("@@END, \\n \"x\" \u00e9")));
    QCOMPARE(empty, std::optional(QString()));
    QCOMPARE(dword, std::nullopt); // not a string: not the application's
    QCOMPARE(elsewhere, std::nullopt);
    QCOMPARE(store->location(), perUserSettingsLocation(application));
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
