// How an administrator runs a flow: exit statuses, answers, unattended runs, and where the
// output goes on a terminal and on a pipe.
#include "clirunner.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// a -> b; b finishes ("done"), fails (declared failure="yes"), keeps ("no") or loops back to a.
const QByteArray kFlow = R"(<fsm>
  <states>
    <state name="a" type="page"/>
    <state name="b" type="page"><property key="events" value="finish;abort;keep;again"/></state>
  </states>
  <events><event name="done"/><event name="failed" failure="YES"/><event name="kept" failure="no"/></events>
  <transitions>
    <transition startstate="a"/>
    <transition fromstate="a" event="next" tostate="b"/>
    <transition fromstate="b" event="finish" toexit="done"/>
    <transition fromstate="b" event="abort" toexit="failed"/>
    <transition fromstate="b" event="keep" toexit="kept"/>
    <transition fromstate="b" event="again" tostate="a"/>
  </transitions>
</fsm>)";

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace

class TestRunOptions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_flow = m_dir.filePath(QStringLiteral("flow.xml"));
        QVERIFY(writeFile(m_flow, kFlow));
        m_env = {{QStringLiteral("XDG_STATE_HOME"), m_dir.filePath(QStringLiteral("state"))}};
    }

    // The command line decides the status; %FLOW% and %DIR% stand for the flow and a folder.
    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const QString& args, int status, const QString& message) {
            QTest::newRow(name) << args.split(QLatin1Char(' ')) << status << message;
        };
        row("plain exit", "run --answer b=finish %FLOW%", 0, "");
        row("declared failure", "run --answer b=abort %FLOW%", 2, "the flow ended with the failure exit 'failed'");
        row("failure=no is no failure", "run --answer b=keep %FLOW%", 0, "");
        row("fail-on list", "run --fail-on kept,done --answer b=finish %FLOW%", 2, "failure exit 'done'");
        row("fail-on repeated", "run --fail-on kept --fail-on pageBack --answer a=pageBack %FLOW%", 2, "'pageBack'");
        row("fail-on unknown exit", "run --fail-on finished %FLOW%", 64, "no exit event of FSM flow: finished");
        row("fail-on empty item", "run --fail-on done, %FLOW%", 64, "--fail-on needs exit events");
        row("unattended without answer", "run --unattended --answer a=next %FLOW%", 2,
            "page flow:b has no answer");
        row("unattended answered by full name", "run --unattended --answer flow:a=next --answer b=finish %FLOW%", 0, "");
        row("answers file missing", "run --answers %DIR%/none %FLOW%", 64, "cannot read answers file");
        row("answer names no page", "run --answer flow:c=next %FLOW%", 64, "no page of the flow is named flow:c");
        row("field answer of a page", "run --answer b.key=x --answer b=finish %FLOW%", 0, "answers not used: b.key=x");
        row("field answer of no page", "run --answer c.key=x %FLOW%", 64, "no page of the flow is named c.key");
        row("quiet and verbose", "run --quiet -v %FLOW%", 64, "exclude each other");
        row("bad include pattern", "run --trace-include ( %FLOW%", 64, "'(' is no valid regular expression");
        row("bad exclude pattern", "graph --trace-exclude a[ %FLOW%", 64, "'a[' is no valid regular expression");
        row("log that cannot be written", "run --log %DIR%/flow.xml/x.log %FLOW%", 64, "cannot write the log");
        row("graph is quiet", "graph --quiet %FLOW%", 0, "");
        row("check is quiet", "check --quiet -- %FLOW%", 0, "");
    }

    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        arguments.replaceInStrings(QStringLiteral("%FLOW%"), m_flow);
        arguments.replaceInStrings(QStringLiteral("%DIR%"), m_dir.path());
        const CliResult r = runPiped(arguments, m_env);
        QVERIFY2(r.status == status, qPrintable(QString::number(r.status) + QLatin1Char(' ') + QString::fromUtf8(r.err)));
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    }

    // Answers files and --answer are one queue in command-line order.
    void answersFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected"); // visits of page a, or the error

        QTest::newRow("comments, blanks, spaces, order")
            << QByteArray("# a comment\n\n a = next \r\nb=again\nflow:a=next\n  # indented comment\nb=finish\n") << QStringList() << 0
            << "2";
        QTest::newRow("after --answer") << QByteArray("b=finish\n") << QStringList {QStringLiteral("--answer=a=next")} << 0 << "1";
        QTest::newRow("no assignment") << QByteArray("a=next\nnext\n") << QStringList() << 64
                                       << "answers.txt:2: expected NAME=EVENT, not 'next'";
        QTest::newRow("no name") << QByteArray("=next\n") << QStringList() << 64 << "answers.txt:1:";
        QTest::newRow("names no page") << QByteArray("a=next\nwelcome=next\n") << QStringList() << 64
                                       << "no page of the flow is named welcome";
    }

    void answersFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, before);
        QFETCH(int, status);
        QFETCH(QString, expected);
        const QString answers = m_dir.filePath(QStringLiteral("answers.txt"));
        QVERIFY(writeFile(answers, content));
        const CliResult r = runPiped(QStringList {QStringLiteral("run"), QStringLiteral("--unattended"), QStringLiteral("--json")} + before
                                         + QStringList {QStringLiteral("--answers"), answers, m_flow},
                                     m_env);
        QVERIFY2(r.status == status, r.err.constData());
        if (status != 0) {
            QVERIFY2(r.err.contains(expected.toUtf8()), r.err.constData());
            return;
        }
        QCOMPARE(QString::number(r.out.count(R"("from":"a")")), expected);
    }

    // On a pipe trace lines stay on standard error, filtered by the category name as written.
    void traceOnAPipe_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        const QString fsm = QStringLiteral("[fsm "), transition = QStringLiteral("[transition "), state = QStringLiteral("[state ");
        QTest::newRow("all") << QStringList() << QStringList {fsm, transition} << QStringList();
        QTest::newRow("include anchored") << QStringList {QStringLiteral("--trace-include"), QStringLiteral("^fsm$")}
                                          << QStringList {fsm} << QStringList {transition, state};
        QTest::newRow("exclude anchored") << QStringList {QStringLiteral("--trace-exclude=^(fsm|state)$")} << QStringList {transition}
                                          << QStringList {fsm, state};
        QTest::newRow("quiet") << QStringList {QStringLiteral("--quiet")} << QStringList() << QStringList {fsm, transition, QStringLiteral("exit:")};
    }

    void traceOnAPipe()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);
        const CliResult r = runPiped(QStringList {QStringLiteral("run"), QStringLiteral("--answer"), QStringLiteral("b=finish")} + options
                                         + QStringList {m_flow},
                                     m_env);
        QCOMPARE(r.status, 0);
        for (const QString& s : shown)
            QVERIFY2(r.err.contains(s.toUtf8()), qPrintable(s));
        for (const QString& s : hidden)
            QVERIFY2(!r.err.contains(s.toUtf8()) && !r.out.contains(s.toUtf8()), qPrintable(s));
    }

    void namedLogKeepsTheTraceOnAPipeToo()
    {
        const QString log = m_dir.filePath(QStringLiteral("named/run.log"));
        const CliResult r = runPiped({QStringLiteral("run"), QStringLiteral("--log"), log, QStringLiteral("--answer"),
                                      QStringLiteral("b=finish"), m_flow});
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.contains("[fsm "));
        QVERIFY(readFile(log).contains(R"(finish on exit "done")"));
        QVERIFY(r.err.contains(("log: " + log).toUtf8()));
    }

    // On a terminal the person sees the host's lines; the trace goes to the run's log.
    void terminal_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("xdgSet");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        const QString finish = QStringLiteral("b=finish"), abort = QStringLiteral("b=abort");
        const QString trace = QStringLiteral("[fsm "), tail = QStringLiteral("last trace lines:");
        const QString log = QStringLiteral("log: %LOG%");
        QTest::newRow("success") << QStringList {finish} << true << 0 << QStringList {QStringLiteral("exit: done"), log}
                                 << QStringList {trace, tail};
        QTest::newRow("failure shows the tail")
            << QStringList {abort} << true << 2
            << QStringList {tail, QStringLiteral(R"(finish on exit "failed")"), QStringLiteral("failure exit 'failed'"), log}
            << QStringList();
        QTest::newRow("verbose") << QStringList {QStringLiteral("-v"), finish} << true << 0 << QStringList {trace, log} << QStringList {tail};
        QTest::newRow("quiet") << QStringList {QStringLiteral("--quiet"), finish} << true << 0 << QStringList()
                               << QStringList {trace, QStringLiteral("exit:"), QStringLiteral("log:")};
        QTest::newRow("home fallback") << QStringList {finish} << false << 0 << QStringList {log} << QStringList {trace};
        QTest::newRow("unattended does not prompt")
            << QStringList {QStringLiteral("--unattended")} << true << 2
            << QStringList {QStringLiteral("page flow:a has no answer"), tail} << QStringList {QStringLiteral("Choose for page")};
    }

    void terminal()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, xdgSet);
        QFETCH(int, status);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);
        QTemporaryDir home;
        CliEnvironment env {{QStringLiteral("HOME"), home.path()}};
        env.insert(QStringLiteral("XDG_STATE_HOME"), xdgSet ? home.filePath(QStringLiteral("xdg")) : QString());
        const QString log = xdgSet ? home.filePath(QStringLiteral("xdg/setupfsm/last-run.log"))
                                   : home.filePath(QStringLiteral(".local/state/setupfsm/last-run.log"));
        QStringList arguments {QStringLiteral("run")};
        for (const QString& o : options)
            arguments << (o.contains(QLatin1Char('=')) ? QStringList {QStringLiteral("--answer"), o} : QStringList {o});
        if (!options.contains(QStringLiteral("--unattended")))
            arguments << QStringLiteral("--answer") << QStringLiteral("a=next");
        const CliResult r = runOnTerminal(arguments << m_flow, env);
        QVERIFY2(r.status == status, r.out.constData());
        for (QString s : shown)
            QVERIFY2(r.out.contains(s.replace(QStringLiteral("%LOG%"), log).toUtf8()), qPrintable(s + QStringLiteral(" in:\n") + QString::fromUtf8(r.out)));
        for (const QString& s : hidden)
            QVERIFY2(!r.out.contains(s.toUtf8()), qPrintable(s + QStringLiteral(" in:\n") + QString::fromUtf8(r.out)));
        // Whatever the terminal showed, the log holds the whole trace.
        QVERIFY(readFile(log).contains("[fsm "));
    }

    // The README carries the help text itself, so the two cannot drift apart.
    void readmeShowsTheHelp()
    {
        const CliResult r = runPiped({QStringLiteral("--help")});
        QCOMPARE(r.status, 0);
        QVERIFY(!r.out.isEmpty());
        QVERIFY2(readFile(QStringLiteral(SETUPFSM_SOURCE "/README.md")).contains(r.out),
                 "README.md does not hold the output of 'setupfsm --help' verbatim");
    }

private:
    QTemporaryDir m_dir;
    QString m_flow;
    CliEnvironment m_env;
};

QTEST_GUILESS_MAIN(TestRunOptions)
#include "tst_runoptions.moc"
