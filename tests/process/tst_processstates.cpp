// SPDX-License-Identifier: MIT
// startProcess, stopProcess and startInstallShield7 with real programs: copies of the helper
// program under names of their own.
#include "platform/process.h"
#include "processtest.h"

#include <csignal>
#include <unistd.h>

using namespace ProcessTest;

namespace {

const QStringList kEvents {QStringLiteral("success"), QStringLiteral("failed"), QStringLiteral("timeout")};

// A helper started by the test itself, ended and reaped when the object goes.
class Running {
public:
    Running(const QString& program, const QStringList& arguments)
    {
        QString error;
        if (!m_handle.start(program, arguments, &error))
            qWarning("helper not started: %s", qPrintable(error));
    }
    ~Running()
    {
        m_handle.sendSignal(SIGKILL);
        m_handle.wait(-1);
    }
    Platform::ProcessHandle& handle() { return m_handle; }

private:
    Platform::ProcessHandle m_handle;
};

// Ends every process of that name the tests left running.
void killAll(const QString& name)
{
    while (const qint64 pid = Platform::findProcess(name)) {
        Platform::ProcessHandle h;
        int error = 0;
        if (!h.open(pid, &error) || !h.sendSignal(SIGKILL))
            break;
        h.wait(5000);
    }
}

QStringList readDump(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList fields;
    for (const QByteArray& field : f.readAll().split('\0'))
        fields.append(QString::fromLocal8Bit(field));
    fields.removeLast();
    return fields;
}

} // namespace

class tst_ProcessStates : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void exitCodes_data();
    void exitCodes();
    void argumentsArriveUnchanged_data();
    void argumentsArriveUnchanged();
    void macrosAreExpanded();
    void badCommands_data();
    void badCommands();
    void timeoutLeavesTheProgramRunning();
    void noTimeoutLeavesOnceStarted();
    void runningProgramIsWaitedFor();
    void leavingStopsTheWaitOnly();
    void administrator_data();
    void administrator();
    void stop_data();
    void stop();
    void installShield_data();
    void installShield();

private:
    QTemporaryDir m_dir;
};

void tst_ProcessStates::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(!helperCopy(m_dir, uniqueName("probe")).isEmpty());
}

void tst_ProcessStates::cleanupTestCase()
{
    QTRY_COMPARE(zombieChildren(), QStringList());
}

void tst_ProcessStates::exitCodes_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<qulonglong>("code");
    QTest::newRow("zero") << QStringLiteral("exit=0") << qulonglong(0);
    QTest::newRow("error code") << QStringLiteral("exit=3") << qulonglong(3);
    QTest::newRow("killed") << QStringLiteral("kill=9") << qulonglong(128 + 9);
}

void tst_ProcessStates::exitCodes()
{
    QFETCH(QString, argument);
    QFETCH(qulonglong, code);
    TraceLines traces;
    StateRun run(QStringLiteral("startProcess"),
                 {{QStringLiteral("command"), helperCopy(m_dir, uniqueName(QTest::currentDataTag()))},
                  {QStringLiteral("argumentList"), QStringList {argument}},
                  {QStringLiteral("timeout"), 20}});
    QCOMPARE(run.run(), QStringLiteral("success"));
    QCOMPARE(run.property("returnCode").metaType().id(), QMetaType::ULongLong);
    QCOMPARE(run.property("returnCode").toULongLong(), code);
    QVERIFY(traces.has("startprocessaction", QStringLiteral("startProcess() start success")));
    QVERIFY(traces.has("startprocessaction", QStringLiteral("Process finished, return code = %1").arg(code)));
}

void tst_ProcessStates::argumentsArriveUnchanged_data()
{
    QString binary;
    for (int c = 1; c < 256; ++c)
        binary += QChar(c);
    QTest::addColumn<QVariant>("argumentList");
    QTest::addColumn<QStringList>("expected");
    const QStringList list {QStringLiteral("two words"), QStringLiteral("\"quoted\" 'too'"), QStringLiteral("a;b|c&&d"),
                            QStringLiteral("$HOME `id` *"), QString(), binary};
    QTest::newRow("list entries") << QVariant(list) << list;
    QTest::newRow("words of a text") << QVariant(QStringLiteral("  -q  --dir x ")) << QStringList {QStringLiteral("-q"), QStringLiteral("--dir"), QStringLiteral("x")};
}

void tst_ProcessStates::argumentsArriveUnchanged()
{
    QFETCH(QVariant, argumentList);
    QFETCH(QStringList, expected);
    const QString dump = m_dir.filePath(uniqueName("dump"));
    const QString helper = helperCopy(m_dir, uniqueName(QTest::currentDataTag()));
    // The dump request comes last: the helper ignores what it does not know.
    QStringList arguments = argumentList.toStringList();
    if (argumentList.metaType().id() == QMetaType::QString)
        arguments = {argumentList.toString() + QStringLiteral(" dump=") + dump};
    else
        arguments.append(QStringLiteral("dump=") + dump);
    StateRun run(QStringLiteral("startProcess"),
                 {{QStringLiteral("command"), helper},
                  {QStringLiteral("argumentList"), argumentList.metaType().id() == QMetaType::QString
                                                       ? QVariant(arguments.first()) : QVariant(arguments)},
                  {QStringLiteral("timeout"), -1}});
    QCOMPARE(run.run(), QStringLiteral("success"));
    expected << QStringLiteral("dump=") + dump << QStringLiteral("stdin=/dev/null") << QStringLiteral("fds=2");
    QCOMPARE(readDump(dump), expected);
    QFile::remove(dump);
}

void tst_ProcessStates::macrosAreExpanded()
{
    const QString name = uniqueName("macro");
    helperCopy(m_dir, name);
    const QByteArray temp = qgetenv("TEMP");
    qputenv("TEMP", QFile::encodeName(m_dir.path()));
    StateRun run(QStringLiteral("startProcess"),
                 {{QStringLiteral("command"), QStringLiteral("%TEMP%/") + name},
                  {QStringLiteral("argumentList"), QStringList {QStringLiteral("dump=%TEMP%/") + name + QStringLiteral(".dump")}},
                  {QStringLiteral("timeout"), -1}});
    const QString left = run.run();
    if (temp.isNull())
        qunsetenv("TEMP");
    else
        qputenv("TEMP", temp);
    QCOMPARE(left, QStringLiteral("success"));
    const QString dump = m_dir.filePath(name + QStringLiteral(".dump"));
    QCOMPARE(readDump(dump).value(0), QStringLiteral("dump=") + dump);
}

void tst_ProcessStates::badCommands_data()
{
    const QString noExec = m_dir.filePath(QStringLiteral("not-executable"));
    QFile f(noExec);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    QTest::addColumn<QString>("command");
    QTest::newRow("missing") << QStringLiteral("/nonexistent/program");
    QTest::newRow("not in PATH") << QStringLiteral("sfsm-no-such-program");
    QTest::newRow("directory") << m_dir.path();
    QTest::newRow("no execute permission") << noExec;
    QTest::newRow("empty") << QString();
    QTest::newRow("4000 characters") << QString(4000, QLatin1Char('a'));
}

void tst_ProcessStates::badCommands()
{
    QFETCH(QString, command);
    TraceLines traces;
    StateRun run(QStringLiteral("startProcess"),
                 {{QStringLiteral("command"), command}, {QStringLiteral("timeout"), 5}});
    QCOMPARE(run.run(), QStringLiteral("failed"));
    QVERIFY(traces.has("startprocessaction", QStringLiteral("startProcess() start failed")));
    QVERIFY(traces.contains(QStringLiteral("  error: ")));
    QVERIFY(!run.property("returnCode").isValid());
}

void tst_ProcessStates::timeoutLeavesTheProgramRunning()
{
    const QString name = uniqueName("slow");
    TraceLines traces;
    StateRun run(QStringLiteral("startProcess"),
                 {{QStringLiteral("command"), helperCopy(m_dir, name)},
                  {QStringLiteral("argumentList"), QStringList {QStringLiteral("sleep=60000")}},
                  {QStringLiteral("timeout"), 1}});
    QCOMPARE(run.run(10000), QStringLiteral("timeout"));
    QVERIFY(traces.has("startprocessaction", QStringLiteral("Process timeout")));
    QVERIFY(Platform::findProcess(name) != 0);
    killAll(name);
}

void tst_ProcessStates::noTimeoutLeavesOnceStarted()
{
    const QString name = uniqueName("nowait");
    StateRun run(QStringLiteral("startProcess"),
                 {{QStringLiteral("command"), helperCopy(m_dir, name)},
                  {QStringLiteral("argumentList"), QStringList {QStringLiteral("sleep=60000")}}});
    QCOMPARE(run.run(), QStringLiteral("success"));
    QVERIFY(Platform::findProcess(name) != 0);
    QVERIFY(!run.property("returnCode").isValid());
    killAll(name);
}

void tst_ProcessStates::runningProgramIsWaitedFor()
{
    const QString name = uniqueName("Running");
    const QString helper = helperCopy(m_dir, name);
    const QString dump = m_dir.filePath(uniqueName("second"));
    Running first(helper, {QStringLiteral("sleep=1000"), QStringLiteral("exit=5")});
    TraceLines traces;
    // Named in other letter case: the names compare in lower case.
    StateRun run(QStringLiteral("startProcess"),
                 {{QStringLiteral("command"), m_dir.filePath(name.toLower())},
                  {QStringLiteral("argumentList"), QStringList {QStringLiteral("dump=") + dump}},
                  {QStringLiteral("timeout"), -1}});
    QCOMPARE(run.run(), QStringLiteral("success"));
    QVERIFY(traces.has("startprocessaction", QStringLiteral("startProcess() process already running")));
    QVERIFY(traces.has("startprocessaction", QStringLiteral("Process finished, failed to get return code.")));
    QCOMPARE(run.property("returnCode").toULongLong(), qulonglong(0));
    QVERIFY(!first.handle().isRunning());
    QVERIFY(!QFile::exists(dump));
}

void tst_ProcessStates::leavingStopsTheWaitOnly()
{
    const QString name = uniqueName("left");
    StateRun run(QStringLiteral("startProcess"),
                 {{QStringLiteral("command"), helperCopy(m_dir, name)},
                  {QStringLiteral("argumentList"), QStringList {QStringLiteral("sleep=60000")}},
                  {QStringLiteral("timeout"), -1}});
    QSignalSpy finished(run.state(), &CState::finished);
    run.enter();
    QTRY_VERIFY(Platform::findProcess(name) != 0);
    run.state()->leave();
    run.destroy();
    QVERIFY(finished.isEmpty());
    QVERIFY(Platform::findProcess(name) != 0);
    killAll(name);
}

void tst_ProcessStates::administrator_data()
{
    QTest::addColumn<uint>("user");
    QTest::addColumn<QString>("pkexec"); // what the fake pkexec does after noting its arguments
    QTest::addColumn<QString>("event");
    QTest::newRow("root") << 0u << QString() << QStringLiteral("success");
    QTest::newRow("user without pkexec") << 65534u << QString() << QStringLiteral("failed");
    QTest::newRow("user with pkexec") << 65534u << QStringLiteral("exec \"$@\"") << QStringLiteral("success");
    QTest::newRow("password not given") << 65534u << QStringLiteral("exit 126") << QStringLiteral("failed");
}

void tst_ProcessStates::administrator()
{
    QFETCH(uint, user);
    QFETCH(QString, pkexec);
    QFETCH(QString, event);
    const bool fakePkexec = !pkexec.isEmpty();
    if (geteuid() != 0)
        QSKIP("needs root to act as another user");
    // A folder the other user may enter and write: the fake pkexec notes its arguments there.
    QTemporaryDir bin(QStringLiteral("/tmp/sfsm-pkexec-XXXXXX"));
    QFile::setPermissions(bin.path(), QFileDevice::Permissions(0x7777));
    const QString note = bin.filePath(QStringLiteral("note"));
    if (fakePkexec) {
        QFile script(bin.filePath(QStringLiteral("pkexec")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho \"$@\" > %1\n%2\n").arg(note, pkexec).toLocal8Bit());
        script.close();
        script.setPermissions(QFileDevice::Permissions(0x7555));
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ":/usr/bin:/bin");
    TraceLines traces;
    StateRun run(QStringLiteral("startProcess"),
                 {{QStringLiteral("command"), QStringLiteral("/bin/echo")},
                  {QStringLiteral("argumentList"), QStringList {QStringLiteral("as administrator")}},
                  {QStringLiteral("admin"), true},
                  {QStringLiteral("timeout"), 10}});
    QVERIFY(seteuid(user) == 0);
    const QString left = run.run();
    QVERIFY(seteuid(0) == 0);
    qputenv("PATH", path);
    QCOMPARE(left, event);
    QCOMPARE(QFile::exists(note), fakePkexec);
    if (fakePkexec) {
        QFile f(note);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("/bin/echo as administrator\n"));
    }
    if (event == QLatin1String("failed"))
        QVERIFY(traces.contains(fakePkexec ? QStringLiteral("password") : QStringLiteral("pkexec")));
}

void tst_ProcessStates::stop_data()
{
    QTest::addColumn<QStringList>("target"); // arguments of the running program; none: no program
    QTest::addColumn<int>("timeout");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("trace");
    QTest::newRow("not running") << QStringList() << 5 << QStringLiteral("failed") << QStringLiteral("Process not stopped");
    QTest::newRow("running") << QStringList {QStringLiteral("sleep=60000")} << 5 << QStringLiteral("success")
                             << QStringLiteral("Process finished, failed to get return code.");
    QTest::newRow("ignores SIGTERM")
        << QStringList {QStringLiteral("ignore-term"), QStringLiteral("ready"), QStringLiteral("sleep=60000")} << 1
        << QStringLiteral("timeout") << QStringLiteral("Process timeout");
    QTest::newRow("no time-out") << QStringList {QStringLiteral("sleep=60000")} << 0 << QStringLiteral("success")
                                 << QString();
}

void tst_ProcessStates::stop()
{
    QFETCH(QStringList, target);
    QFETCH(int, timeout);
    QFETCH(QString, event);
    QFETCH(QString, trace);
    const QString name = uniqueName(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString helper = helperCopy(m_dir, name);
    const QString ready = m_dir.filePath(uniqueName("ready"));
    target.replaceInStrings(QStringLiteral("ready"), QStringLiteral("ready=") + ready);
    std::unique_ptr<Running> running;
    if (!target.isEmpty()) {
        running = std::make_unique<Running>(helper, target);
        QTRY_VERIFY(Platform::findProcess(name) != 0);
        if (target.contains(QStringLiteral("ready=") + ready))
            QTRY_VERIFY(QFile::exists(ready));
    }
    TraceLines traces;
    StateRun run(QStringLiteral("stopProcess"),
                 {{QStringLiteral("command"), helper}, {QStringLiteral("timeout"), timeout}});
    QCOMPARE(run.run(), event);
    if (!trace.isEmpty())
        QVERIFY(traces.has("startprocessaction", trace));
    // Stopped by SIGTERM, or by SIGKILL once the time-out passed.
    if (running)
        QVERIFY(running->handle().wait(10000) == Platform::WaitResult::Ended);
    QFile::remove(ready);
}

void tst_ProcessStates::installShield_data()
{
    QTest::addColumn<bool>("handsOver");
    QTest::addColumn<QString>("event");
    QTest::newRow("second process appears") << true << QStringLiteral("success");
    QTest::newRow("second process never starts") << false << QStringLiteral("failed");
}

void tst_ProcessStates::installShield()
{
    QFETCH(bool, handsOver);
    QFETCH(QString, event);
    const QString second = helperCopy(m_dir, uniqueName("instr"));
    QStringList arguments;
    if (handsOver)
        arguments << QStringLiteral("launch=") + second;
    TraceLines traces;
    StateRun run(QStringLiteral("startInstallShield7"),
                 {{QStringLiteral("command"), helperCopy(m_dir, uniqueName("setup"))},
                  {QStringLiteral("argumentList"), arguments},
                  {QStringLiteral("attachProcess"), uniqueName("instr")},
                  {QStringLiteral("timeout"), 20}});
    QCOMPARE(run.run(40000), event);
    QVERIFY(traces.has("startprocessaction", QStringLiteral("Process finished, return code = 0")));
    if (handsOver)
        QVERIFY(traces.has("startprocessaction", QStringLiteral("Process finished, failed to get return code.")));
}

QTEST_GUILESS_MAIN(tst_ProcessStates)
#include "tst_processstates.moc"
