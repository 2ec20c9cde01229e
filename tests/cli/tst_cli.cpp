// The command-line host end to end: the binary is run as a script author would run it.
#include "clirun.h"
#include "engine/simplecodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/resource.h>

namespace {

void write(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// A flow of pages: a -> b -> exit "done"; b may go back.
const QByteArray kPages = R"(<fsm>
  <states>
    <state name="a" type="page" weight="1"/>
    <state name="b" type="page" weight="3"><property key="events" value="finish;again"/></state>
  </states>
  <events><event name="done"/><event name="pageBack"/></events>
  <transitions>
    <transition startstate="a"/>
    <transition fromstate="a" event="next" tostate="b"/>
    <transition fromstate="b" event="finish" toexit="done"/>
    <transition fromstate="b" event="again" tostate="a"/>
  </transitions>
</fsm>)";

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        write(m_dir.filePath(QStringLiteral("pages.xml")), kPages);
    }

    void runsExampleWithBackNavigation()
    {
        QTemporaryDir target;
        const QString targetDir = target.filePath(QStringLiteral("suite"));
        const CliResult r = runSetupFsm({QStringLiteral("run"), QStringLiteral("--json"), QStringLiteral("--property"),
                                 QStringLiteral("targetDir=") + targetDir, QStringLiteral("--answer"),
                                 QStringLiteral("welcome=next"), QStringLiteral("--answer"), QStringLiteral("options=next"),
                                 QStringLiteral("--answer"), QStringLiteral("confirm=pageBack"), QStringLiteral("--answer"),
                                 QStringLiteral("main:install:options=pageBack"), QStringLiteral("--answer"),
                                 QStringLiteral("welcome=next"), QStringLiteral("--answer"), QStringLiteral("confirm=install"),
                                 QStringLiteral("--answer"), QStringLiteral("done=finish"),
                                 QStringLiteral(SETUPFSM_EXAMPLES "/welcome/main.xml")});
        QCOMPARE(r.status, 0);
        const QList<QJsonObject> lines = r.json();
        QVERIFY(!lines.isEmpty());
        const QStringList pages = {QStringLiteral("main:welcome"), QStringLiteral("main:install:options"),
                                   QStringLiteral("main:install:confirm"), QStringLiteral("main:done")};
        QStringList finished;
        QList<int> progress;
        int copies = 0;
        for (const QJsonObject& o : lines) {
            const QString state = o.value(QStringLiteral("state")).toString();
            if (o.value(QStringLiteral("event")) == QLatin1String("finished")) {
                if (pages.contains(state) || !state.contains(QLatin1Char(':')) || state == QLatin1String("main:install"))
                    finished << state + QLatin1Char('=') + o.value(QStringLiteral("leaveEvent")).toString();
                if (state == QLatin1String("main:install:copy"))
                    ++copies;
            }
            if (o.value(QStringLiteral("event")) == QLatin1String("progress"))
                progress << o.value(QStringLiteral("value")).toInt();
        }
        const QStringList expected = {
            QStringLiteral("main:welcome=next"),           QStringLiteral("main:install:options=next"),
            QStringLiteral("main:install:confirm=pageBack"), QStringLiteral("main:install:options=pageBack"),
            QStringLiteral("main:install=pageBack"),       QStringLiteral("main:welcome=next"),
            QStringLiteral("main:install:options=next"),   QStringLiteral("main:install:confirm=install"),
            QStringLiteral("main:install=installed"),      QStringLiteral("main:done=finish"),
            QStringLiteral("main=finished"),
        };
        QCOMPARE(finished, expected);
        QCOMPARE(copies, 3);
        QCOMPARE(progress.last(), 100);
        QVERIFY(QFile::exists(targetDir + QStringLiteral("/docs/manual.txt")));
        QVERIFY(QFile::exists(targetDir + QStringLiteral("/samples/two.txt")));
        const QJsonObject exit = lines.last();
        QCOMPARE(exit.value(QStringLiteral("event")).toString(), QStringLiteral("exit"));
        QCOMPARE(exit.value(QStringLiteral("exit")).toString(), QStringLiteral("finished"));
        const QJsonObject product = exit.value(QStringLiteral("properties")).toObject().value(QStringLiteral("product")).toObject();
        QCOMPARE(product.value(QStringLiteral("type")).toString(), QStringLiteral("String"));
        QCOMPARE(product.value(QStringLiteral("value")).toString(), QStringLiteral("Example Suite"));
    }

    void repeatedAnswersAreUsedInOrder()
    {
        const CliResult r = runSetupFsm({QStringLiteral("run"), QStringLiteral("--json"), QStringLiteral("--answer=b=again"),
                                 QStringLiteral("--answer=b=finish"), QStringLiteral("--property"), QStringLiteral("x=7"),
                                 m_dir.filePath(QStringLiteral("pages.xml"))});
        QCOMPARE(r.status, 0);
        int entriesOfA = 0;
        for (const QJsonObject& o : r.json()) {
            if (o.value(QStringLiteral("event")) == QLatin1String("finished") && o.value(QStringLiteral("state")) == QLatin1String("pages:a"))
                ++entriesOfA;
        }
        QCOMPARE(entriesOfA, 2);
        const QJsonObject x = r.json().last().value(QStringLiteral("properties")).toObject().value(QStringLiteral("x")).toObject();
        QCOMPARE(x.value(QStringLiteral("value")).toString(), QStringLiteral("7"));
    }

    void pageBackFromFirstPageLeavesTheFlow()
    {
        const CliResult r = runSetupFsm({QStringLiteral("run"), QStringLiteral("--json"), QStringLiteral("--answer"), QStringLiteral("a=pageBack"),
                                 m_dir.filePath(QStringLiteral("pages.xml"))});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.json().last().value(QStringLiteral("exit")).toString(), QStringLiteral("pageBack"));
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("message");

        QTest::newRow("not xml") << QByteArray("this is not xml <") << "f.xml" << "Error parsing";
        QTest::newRow("no fsm root") << QByteArray("<other/>") << "f.xml" << "XML root node is non existent.";
        QTest::newRow("unknown type")
            << QByteArray(R"(<fsm><states><state name="s" type="noSuchType"/></states><transitions><transition startstate="s"/></transitions></fsm>)")
            << "f.xml" << "FSM f: State s could not be created.";
        QTest::newRow("missing to-state")
            << QByteArray(R"(<fsm><states><state name="s" type="page"/></states><transitions><transition startstate="s"/>
                 <transition fromstate="s" event="next" tostate="nowhere"/></transitions></fsm>)")
            << "f.xml" << "Failed adding transition for FSM f: from state s to state nowhere on event next: To-state doesn't exist.";
        QTest::newRow("no start transition")
            << QByteArray(R"(<fsm><states><state name="s" type="page"/></states><events><event name="x"/></events>
                 <transitions><transition fromstate="s" event="next" toexit="x"/></transitions></fsm>)")
            << "f.xml" << "FSM f: No start transition set.";
        QTest::newRow("missing nested file")
            << QByteArray(R"(<fsm><states><state name="s" file="nowhere.xml"/></states><transitions><transition startstate="s"/></transitions></fsm>)")
            << "f.xml" << "File nowhere.xml could not be opened: neither ";
        QByteArray forged = CSimpleCodec().encode(QStringLiteral("<fsm/>"));
        forged[0] = char(0x7f); // claims about two gigabytes
        QTest::newRow("forged length header") << forged << "f.dat" << "corrupt";
        QTest::newRow("truncated scrambled") << CSimpleCodec().encode(QString(2000, QLatin1Char('x'))).left(20) << "f.dat"
                                             << "corrupt";
        QTest::newRow("empty scrambled") << QByteArray() << "f.dat" << "too short";
    }

    void badInput()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, fileName);
        QFETCH(QString, message);
        QTemporaryDir dir;
        write(dir.filePath(fileName), content);
        for (const QString& command : {QStringLiteral("run"), QStringLiteral("check")}) {
            const CliResult r = runSetupFsm({command, dir.filePath(fileName)});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        }
    }

    void missingFileIsABuildError()
    {
        const CliResult r = runSetupFsm({QStringLiteral("run"), m_dir.filePath(QStringLiteral("absent.xml"))});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("could not be opened"));
    }

    void deviceIsNoDefinition_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("top file") << QStringList {QStringLiteral("/dev/zero")};
        QTest::newRow("nested file") << QStringList {QStringLiteral("--app-path"), QStringLiteral("/"), QStringLiteral("--xml-path"),
                                                     QStringLiteral("dev"), QStringLiteral("%DIR%/nest.xml")};
    }

    void deviceIsNoDefinition()
    {
        QFETCH(QStringList, arguments);
        if (!QFileInfo::exists(QStringLiteral("/dev/zero")))
            QSKIP("no /dev/zero");
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("nest.xml")),
              R"(<fsm><states><state name="s" file="zero"/></states><transitions><transition startstate="s"/></transitions></fsm>)");
        arguments.replaceInStrings(QStringLiteral("%DIR%"), dir.path());
        QProcess p;
        p.setProgram(QStringLiteral(SETUPFSM_CLI));
        p.setArguments(QStringList {QStringLiteral("check")} + arguments);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        // Reading /dev/zero whole would take all memory of the machine: fail early instead.
        p.setChildProcessModifier([] {
            const rlimit limit {rlim_t(2) << 30, rlim_t(2) << 30};
            ::setrlimit(RLIMIT_AS, &limit);
        });
#endif
        p.start();
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(p.readAllStandardError().contains("/dev/zero is a device, not a file"));
    }

    // Every way a run can end, with and without trace filters: the host learns of a stop from
    // the engine, never from trace text, so hiding the fatal lines must not make a run hang.
    // `check` walks colon paths in full and reports what the run meets.
    void runOutcomes_data()
    {
        QTest::addColumn<QByteArray>("flow");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("runStatus");
        QTest::addColumn<QString>("runMessage");
        QTest::addColumn<int>("checkStatus");
        QTest::addColumn<QString>("checkMessage");
        const QByteArray nested = R"(<fsm><states><state name="a" type="page"/><state name="sub" file="sub.xml"/></states>
            <events><event name="done"/></events>
            <transitions><transition startstate="a"/><transition fromstate="a" event="next" tostate="%PATH%"/>
            <transition fromstate="sub" event="out" toexit="done"/></transitions></fsm>)";
        QByteArray throughPage = nested;
        throughPage.replace("%PATH%", "a:x");
        QByteArray missingInner = nested;
        missingInner.replace("%PATH%", "sub:nowhere");
        QByteArray inner = nested;
        inner.replace("%PATH%", "sub:p");
        QByteArray looping = kPages;
        looping.replace(R"(value="finish;again")", R"(value="again;finish")");
        const QByteArray unknownType = R"(<fsm><states><state name="s" type="noSuchType"/></states>
            <transitions><transition startstate="s"/></transitions></fsm>)";
        QTest::newRow("exit event") << kPages << QStringList() << 0 << "" << 0 << "";
        QTest::newRow("exit event inside a path") << inner << QStringList() << 0 << "" << 0 << "";
        QTest::newRow("build error") << unknownType << QStringList() << 1 << "State s could not be created." << 1
                                     << "State s could not be created.";
        QTest::newRow("no transition for the event")
            << kPages << QStringList {QStringLiteral("--answer"), QStringLiteral("b=nothing")} << 3
            << "stopped in pages: Transition is not effective." << 0 << "";
        QTest::newRow("path through a page")
            << throughPage << QStringList() << 3 << "stopped in f: State must be an FSM but isn't one." << 1
            << "FSM f: the path a:x from state a on event next: a is not an FSM";
        QTest::newRow("path to a missing inner state")
            << missingInner << QStringList() << 3 << "stopped in f:sub: Start state doesn't exist." << 1
            << "FSM f: the path sub:nowhere from state a on event next: nowhere is no state of FSM sub";
        QTest::newRow("time-out") << looping << QStringList {QStringLiteral("--timeout"), QStringLiteral("0.5")} << 4
                                  << "timed out" << 0 << "";
    }

    void runOutcomes()
    {
        QFETCH(QByteArray, flow);
        QFETCH(QStringList, options);
        QFETCH(int, runStatus);
        QFETCH(QString, runMessage);
        QFETCH(int, checkStatus);
        QFETCH(QString, checkMessage);
        QTemporaryDir dir;
        const QString file = dir.filePath(flow == kPages || flow.contains("again;finish") ? QStringLiteral("pages.xml")
                                                                                           : QStringLiteral("f.xml"));
        write(file, flow);
        write(dir.filePath(QStringLiteral("sub.xml")), R"(<fsm><states><state name="p" type="page"/></states>
            <events><event name="out"/></events>
            <transitions><transition startstate="p"/><transition fromstate="p" event="next" toexit="out"/></transitions></fsm>)");
        const QList<QStringList> filters = {{},
                                            {QStringLiteral("--trace-exclude"), QStringLiteral("fsm")},
                                            {QStringLiteral("--quiet"), QStringLiteral("--trace-include"), QStringLiteral("^$")},
                                            {QStringLiteral("--json"), QStringLiteral("--trace-exclude"), QStringLiteral(".")}};
        for (const QStringList& filter : filters) {
            const CliResult r = runSetupFsm(QStringList {QStringLiteral("run"), QStringLiteral("--timeout"), QStringLiteral("20")} + options
                                    + filter + QStringList {file});
            QVERIFY2(r.status == runStatus, qPrintable(filter.join(QLatin1Char(' ')) + QStringLiteral(": status ")
                                                       + QString::number(r.status) + QLatin1Char('\n') + QString::fromUtf8(r.err)));
            QVERIFY2(r.err.contains(runMessage.toUtf8()), r.err.constData());
        }
        const CliResult c = runSetupFsm({QStringLiteral("check"), file});
        QCOMPARE(c.status, checkStatus);
        QVERIFY2(c.err.contains(checkMessage.toUtf8()), c.err.constData());
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("unknown command") << QStringList {QStringLiteral("fly")};
        QTest::newRow("unknown option") << QStringList {QStringLiteral("run"), QStringLiteral("--fast"), QStringLiteral("x.xml")};
        QTest::newRow("no file") << QStringList {QStringLiteral("run")};
        QTest::newRow("bad assignment") << QStringList {QStringLiteral("run"), QStringLiteral("--set"), QStringLiteral("novalue"), QStringLiteral("x.xml")};
        QTest::newRow("bad timeout") << QStringList {QStringLiteral("run"), QStringLiteral("--timeout"), QStringLiteral("soon"), QStringLiteral("x.xml")};
        QTest::newRow("nan timeout") << QStringList {QStringLiteral("run"), QStringLiteral("--timeout"), QStringLiteral("nan"), QStringLiteral("x.xml")};
        QTest::newRow("zero timeout") << QStringList {QStringLiteral("run"), QStringLiteral("--timeout=0"), QStringLiteral("x.xml")};
        QTest::newRow("missing profile") << QStringList {QStringLiteral("run"), QStringLiteral("--profile"), QStringLiteral("/nonexistent.ini"), QStringLiteral("x.xml")};
        QTest::newRow("graph missing profile") << QStringList {QStringLiteral("graph"), QStringLiteral("--profile"), QStringLiteral("/nonexistent.ini"), QStringLiteral("x.xml")};
        QTest::newRow("encode one path") << QStringList {QStringLiteral("encode"), QStringLiteral("x")};
    }

    void usage()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(runSetupFsm(arguments).status, 64);
    }

    void scrambledRoundTripRuns()
    {
        QTemporaryDir dir;
        const QString plain = m_dir.filePath(QStringLiteral("pages.xml"));
        const QString scrambled = dir.filePath(QStringLiteral("pages.dat"));
        const QString back = dir.filePath(QStringLiteral("back.xml"));
        QCOMPARE(runSetupFsm({QStringLiteral("encode"), plain, scrambled}).status, 0);
        QCOMPARE(runSetupFsm({QStringLiteral("decode"), scrambled, back}).status, 0);
        QFile a(plain), b(back);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());
        // A ".xml" name that does not exist falls back to the scrambled file without extension.
        QVERIFY(QFile::copy(scrambled, dir.filePath(QStringLiteral("flow"))));
        const CliResult r = runSetupFsm({QStringLiteral("run"), QStringLiteral("--json"), dir.filePath(QStringLiteral("flow.xml"))});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.json().last().value(QStringLiteral("exit")).toString(), QStringLiteral("done"));
    }

    void encodeRefusesNonLatin1()
    {
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("u.xml")), QStringLiteral("<fsm><!-- \u20ac --></fsm>").toUtf8());
        const CliResult r = runSetupFsm({QStringLiteral("encode"), dir.filePath(QStringLiteral("u.xml")), dir.filePath(QStringLiteral("u.dat"))});
        QCOMPARE(r.status, 1);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("u.dat"))));
    }

    void codecLeavesAnOutputItCannotOpen_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("encode") << QStringLiteral("encode") << kPages;
        QTest::newRow("decode") << QStringLiteral("decode") << CSimpleCodec().encode(QString::fromLatin1(kPages));
    }

    void codecLeavesAnOutputItCannotOpen()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, input);
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("in")), input);
        // A link into a missing folder cannot be opened for writing, yet it can be deleted.
        const QString out = dir.filePath(QStringLiteral("out"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("missing/target")), out));
        const CliResult r = runSetupFsm({command, dir.filePath(QStringLiteral("in")), out});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("cannot write"), r.err.constData());
        QVERIFY(QFileInfo(out).isSymLink());
    }

    void checkReportsRequiredProperties()
    {
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("r.xml")), R"(<fsm><states><state name="a" type="page">
            <property key="title" required="YES"/></state></states><events><event name="x"/></events>
            <transitions><transition startstate="a"/><transition fromstate="a" event="next" toexit="x"/></transitions></fsm>)");
        CliResult r = runSetupFsm({QStringLiteral("check"), dir.filePath(QStringLiteral("r.xml"))});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("PFC check failed for required property 'title' of state 'a' in FSM 'r'."));
        r = runSetupFsm({QStringLiteral("check"), QStringLiteral("--set"), QStringLiteral("unused=1"), m_dir.filePath(QStringLiteral("pages.xml"))});
        QCOMPARE(r.status, 0);
        // run only warns, unless strict; a quiet run shows no warning.
        r = runSetupFsm({QStringLiteral("run"), dir.filePath(QStringLiteral("r.xml"))});
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.contains("warning: PFC check failed"));
        r = runSetupFsm({QStringLiteral("run"), QStringLiteral("--quiet"), dir.filePath(QStringLiteral("r.xml"))});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        r = runSetupFsm({QStringLiteral("run"), QStringLiteral("--strict"), dir.filePath(QStringLiteral("r.xml"))});
        QCOMPARE(r.status, 1);
    }

    void graphShowsNestedFsmsAsClusters()
    {
        const CliResult r = runSetupFsm({QStringLiteral("graph"), QStringLiteral(SETUPFSM_EXAMPLES "/welcome/main.xml")});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith("digraph \"main\""));
        QVERIFY(r.out.contains("subgraph \"cluster_main:install\""));
        QVERIFY(r.out.contains("\"main:welcome\" -> \"main:install:__start\" [label=\"next\"]"));
        QVERIFY(r.out.contains("\"main:install:exit:installed\" -> \"main:done\" [label=\"installed\"]"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
