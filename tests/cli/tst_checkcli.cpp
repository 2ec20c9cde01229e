// What `setupfsm check` tells a flow author: each finding once, with file and line, as text
// and as JSON.
#include "clirun.h"

#include <QTemporaryDir>
#include <QtTest>

using Files = QMap<QString, QByteArray>;
Q_DECLARE_METATYPE(Files)

namespace {

const QByteArray kSub = R"(<fsm>
  <states>
    <state name="p" type="page"><property key="title" required="yes"/></state>
  </states>
  <events><event name="out"/></events>
  <transitions><transition startstate="p"/><transition fromstate="p" event="next" toexit="out"/></transitions>
</fsm>
)";

const QByteArray kSubWithTitle = QByteArray(kSub).replace(R"(required="yes")", R"(value="T" required="yes")");

// A root of two states: "a" (a page) and "s", whose element is given.
QByteArray rootWith(const QByteArray& second)
{
    return R"(<fsm>
  <states>
    <state name="a" type="page"/>
    )" + second + R"(
  </states>
  <events><event name="done"/></events>
  <transitions>
    <transition startstate="a"/>
    <transition fromstate="a" event="next" tostate="s"/>
    <transition fromstate="s" event="out" toexit="done"/>
  </transitions>
</fsm>
)";
}

QString textOf(const QJsonObject& o)
{
    const qint64 line = o.value(QStringLiteral("line")).toInteger();
    return o.value(QStringLiteral("file")).toString() + (line > 0 ? QLatin1Char(':') + QString::number(line) : QString())
        + QStringLiteral(": ") + o.value(QStringLiteral("severity")).toString() + QStringLiteral(": ")
        + o.value(QStringLiteral("message")).toString();
}

} // namespace

class TestCheckCli : public QObject {
    Q_OBJECT

private slots:
    void findings_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("findings");

        QTest::newRow("clean") << Files {{"f.xml", rootWith(R"(<state name="s" file="sub.xml"/>)")},
                                         {"sub.xml", kSubWithTitle}}
                               << "f.xml" << QStringList() << 0 << QStringList();
        QTest::newRow("unknown type, once and without knock-on errors")
            << Files {{"f.xml", rootWith(R"(<state name="s" type="noSuchType"/>)")}} << "f.xml" << QStringList() << 1
            << QStringList {"f.xml:4: error: FSM f: State s could not be created. No factory knows the type 'noSuchType'."};
        QTest::newRow("missing top file") << Files() << "nope.xml" << QStringList() << 1
                                          << QStringList {"nope.xml: error: File nope.xml could not be opened: "
                                                          "neither nope.xml nor nope exists"};
        QTest::newRow("missing nested file: the name as given, at the state")
            << Files {{"f.xml", rootWith(R"(<state name="s" file="parts/gone.xml"/>)")}} << "f.xml" << QStringList() << 1
            << QStringList {"f.xml:4: error: File parts/gone.xml could not be opened: neither parts/gone.xml nor parts/gone exists"};
        QTest::newRow("parse error in a nested file")
            << Files {{"f.xml", rootWith(R"(<state name="s" file="sub.xml"/>)")}, {"sub.xml", "<fsm>\n<states>\n</fsm>"}}
            << "f.xml" << QStringList() << 1
            << QStringList {"sub.xml:3: error: Error parsing sub.xml on line 3, column 6: Opening and ending tag mismatch."};
        QTest::newRow("required property of a nested file's state")
            << Files {{"f.xml", rootWith(R"(<state name="s" file="sub.xml"/>)")}, {"sub.xml", kSub}} << "f.xml" << QStringList() << 1
            << QStringList {"sub.xml:3: error: PFC check failed for required property 'title' of state 'p' in FSM 's'."};
        QTest::newRow("broken path")
            << Files {{"f.xml", QByteArray(rootWith(R"(<state name="s" file="sub.xml"/>)")).replace(R"(tostate="s")", R"(tostate="s:q")")},
                      {"sub.xml", kSubWithTitle}}
            << "f.xml" << QStringList() << 1
            << QStringList {"f.xml:9: error: FSM f: the path s:q from state a on event next: q is no state of FSM s; "
                            "a run would stop with \"Start state doesn't exist.\""};

        const QByteArray lint = R"(<fsm>
  <states>
    <state name="a" type="page"/>
    <state name="b" type="page"><property key="events" value="again"/></state>
    <state name="lost" type="page"/>
  </states>
  <events><event name="done"/><event name="spare"/></events>
  <transitions>
    <transition startstate="a"/>
    <transition fromstate="a" event="next" tostate="b"/>
    <transition fromstate="b" event="again" tostate="b"/>
    <transition fromstate="lost" event="next" toexit="done"/>
  </transitions>
</fsm>
)";
        const QStringList lintFindings = {
            "f.xml:5: warning: FSM f: state lost is never reached: no transition leads to it",
            "f.xml:3: warning: FSM f: no exit can be reached from state a: a run that gets there never ends",
            "f.xml:4: warning: FSM f: no exit can be reached from state b: a run that gets there never ends",
            "f.xml:7: warning: FSM f: exit event spare is never used: no transition leaves with it"};
        QTest::newRow("lint warnings") << Files {{"f.xml", lint}} << "f.xml" << QStringList() << 0 << lintFindings;
        QTest::newRow("lint under --strict")
            << Files {{"f.xml", lint}} << "f.xml" << QStringList {"--strict"} << 1
            << QStringList(lintFindings).replaceInStrings(": warning: ", ": error: ");
        // Inside a nested FSM: only what the parent enters counts, and its exits lead on.
        QTest::newRow("lint follows nested FSMs")
            << Files {{"f.xml", QByteArray(rootWith(R"(<state name="s" file="sub.xml"/>)")).replace(R"(tostate="s")", R"(tostate="s:q")")},
                      {"sub.xml", QByteArray(kSubWithTitle).replace(R"(<state name="p")", R"(<state name="q" type="page"/><state name="p")")
                                      .replace(R"(<transition fromstate="p")", R"(<transition fromstate="q" event="next" toexit="out"/><transition fromstate="p")")}}
            << "f.xml" << QStringList() << 0
            << QStringList {"sub.xml:3: warning: FSM s: state p is never reached: no transition leads to it"};
    }

    void findings()
    {
        QFETCH(Files, files);
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QStringList, findings);
        QTemporaryDir dir;
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            QVERIFY(writeText(dir.filePath(it.key()), it.value()));

        const CliResult text = runSetupFsm(QStringList {QStringLiteral("check")} + options + QStringList {file}, dir.path());
        QCOMPARE(text.status, status);
        QCOMPARE(QString::fromUtf8(text.err).split(QLatin1Char('\n'), Qt::SkipEmptyParts), findings);

        const CliResult json = runSetupFsm(QStringList {QStringLiteral("check"), QStringLiteral("--json")} + options
                                               + QStringList {file},
                                           dir.path());
        QCOMPARE(json.status, status);
        QStringList fromJson;
        for (const QJsonObject& o : json.json())
            fromJson << textOf(o);
        QCOMPARE(fromJson, findings);
    }
};

QTEST_GUILESS_MAIN(TestCheckCli)
#include "tst_checkcli.moc"
