#include "ui/ProcessLauncher.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class ProcessLauncherTest : public QObject
{
    Q_OBJECT

private slots:
    void startsEveryClickWithoutWaitingOrArguments();
    void missingProgram();
    void fileThatIsNotAProgram();
};

void ProcessLauncherTest::startsEveryClickWithoutWaitingOrArguments()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("started.log"));
    const QString program = dir.filePath(QStringLiteral("monitor"));
    {
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        // Says who it is and how many arguments it got, then stays up for a while.
        script.write(
            QStringLiteral("#!/bin/sh\necho \"$$ $#\" >> '%1'\nexec sleep 30\n").arg(log).toUtf8());
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    ProcessLauncher launcher;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(launcher.start(program), std::nullopt);
    QCOMPARE(launcher.start(program), std::nullopt);
    // Not waiting: each program runs for 30 s.
    QVERIFY(clock.elapsed() < 10000);

    QStringList lines;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile file(log);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            return lines.size() == 2;
        }(),
        10000);
    QList<qint64> pids;
    for (const QString& line : lines) {
        const QStringList words = line.split(QLatin1Char(' '));
        QCOMPARE(words.value(1), QStringLiteral("0"));
        pids.append(words.value(0).toLongLong());
    }
    QVERIFY(pids[0] > 0 && pids[1] > 0 && pids[0] != pids[1]);
    for (const qint64 pid : pids)
        ::kill(pid_t(pid), SIGTERM);
}

void ProcessLauncherTest::missingProgram()
{
    ProcessLauncher launcher;
    QCOMPARE(launcher.start(QStringLiteral("c:\\program files\\dryx\\dryx.exe")),
             QStringLiteral("No such file or directory"));
}

void ProcessLauncherTest::fileThatIsNotAProgram()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("plain text\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    ProcessLauncher launcher;
    QCOMPARE(launcher.start(path), QStringLiteral("Permission denied"));
}

QTEST_GUILESS_MAIN(ProcessLauncherTest)
#include "tst_processlauncher.moc"
