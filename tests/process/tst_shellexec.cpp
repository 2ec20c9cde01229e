// SPDX-License-Identifier: MIT
// shellExec against a fake xdg-open first on PATH (it notes what it was asked to open), and
// with none on PATH; the process list finds programs by the name of their executable.
#include "platform/process.h"
#include "process/enumprocess.h"
#include "processtest.h"

#include <csignal>

using namespace ProcessTest;

class tst_ShellExec : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void open_data();
    void open();
    void processList();

private:
    QTemporaryDir m_dir;
};

void tst_ShellExec::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("empty")));
    QFile opener(m_dir.filePath(QStringLiteral("bin/xdg-open")));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$*\" > %1.tmp && /bin/mv %1.tmp %1\n")
                     .arg(m_dir.filePath(QStringLiteral("opened")))
                     .toLocal8Bit());
    opener.close();
    QVERIFY(opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QFile document(m_dir.filePath(QStringLiteral("readme.txt")));
    QVERIFY(document.open(QIODevice::WriteOnly));
}

void tst_ShellExec::cleanupTestCase()
{
    QTRY_COMPARE(zombieChildren(), QStringList());
}

void tst_ShellExec::open_data()
{
    const QString document = m_dir.filePath(QStringLiteral("readme.txt"));
    QTest::addColumn<QString>("path"); // PATH below the test folder
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("opened"); // what xdg-open was given, or the failure's trace line
    QTest::newRow("address") << "bin" << "http://example.org/a b" << "success" << "http://example.org/a b";
    QTest::newRow("www address") << "bin" << "www.example.org" << "success" << "http://www.example.org";
    QTest::newRow("existing file") << "bin" << document << "success" << document;
    QTest::newRow("missing file") << "bin" << m_dir.filePath(QStringLiteral("missing.txt")) << "failed"
                                  << "  failed:The specified file was not found.";
    QTest::newRow("no xdg-open") << "empty" << document << "failed"
                                 << "  failed:There is no application associated with the given file name extension.";
    QTest::newRow("no xdg-open, address") << "empty" << "www.example.org" << "failed"
                                          << "  failed:There is no application associated with the given file name extension.";
}

void tst_ShellExec::open()
{
    QFETCH(QString, path);
    QFETCH(QString, command);
    QFETCH(QString, event);
    QFETCH(QString, opened);
    const QString note = m_dir.filePath(QStringLiteral("opened"));
    QFile::remove(note);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_dir.filePath(path)));
    TraceLines traces;
    StateRun run(QStringLiteral("shellExec"), {{QStringLiteral("command"), command}});
    const QString left = run.run();
    qputenv("PATH", oldPath);
    QCOMPARE(left, event);
    QVERIFY(traces.has("utilityStates", QStringLiteral("ShellExec command: ") + command));
    if (event == QLatin1String("failed")) {
        QVERIFY(traces.has("utilityStates", opened));
        return;
    }
    QTRY_VERIFY(QFile::exists(note));
    QFile f(note);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(f.readAll()), opened);
}

void tst_ShellExec::processList()
{
    const QString name = uniqueName("Listed");
    Platform::ProcessHandle running;
    QString error;
    QVERIFY2(running.start(helperCopy(m_dir, name), {QStringLiteral("sleep=60000")}, &error), qPrintable(error));
    const CEnumProcess list;
    bool listed = false;
    for (const CEnumProcess::CProcessEntry& e : list.entries())
        listed = listed || (e.pid == running.pid() && e.name == name);
    QVERIFY(listed);
    QCOMPARE(CEnumProcess::findProcess(name.toUpper()), running.pid());
    QCOMPARE(CEnumProcess::findProcess(uniqueName("absent")), qint64(0));
    QVERIFY(running.sendSignal(SIGKILL));
    QVERIFY(running.wait(10000) == Platform::WaitResult::Ended);
    QCOMPARE(running.exitCode(), 128 + SIGKILL);
    QCOMPARE(CEnumProcess::findProcess(name), qint64(0));
}

QTEST_GUILESS_MAIN(tst_ShellExec)
#include "tst_shellexec.moc"
