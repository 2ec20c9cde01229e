// SPDX-License-Identifier: MIT
#include "testactions.h"
#include "engine/trace.h"
#include "platform/platform.h"

#include <QDomDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>


class tst_Action : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void unnamedAction();
    void progressClamp_data();
    void progressClamp();
    void percentOfState_data();
    void percentOfState();
    void timerDrivesProgressToFull();
    void propertyFallThrough();
    void configure_data();
    void configure();
    void configureWarnsWhenPropertyRefused();
    void syncActionLeavesInsideEnter();

private:
    QStringList m_trace;
};

void tst_Action::initTestCase()
{
    qRegisterMetaType<CTransition*>();
}

void tst_Action::init()
{
    m_trace.clear();
    Trace::setIncludeFilter(QStringLiteral(".*"));
    Trace::setExcludeFilter(QString());
    Trace::resetForTesting();
    Trace::setStderrEnabled(false);
    Trace::setSink([this](const QString& text) { m_trace.append(text); });
}

void tst_Action::cleanup()
{
    Trace::setSink(nullptr);
    qunsetenv("SETUPFSM_PROFILE");
    Platform::reloadProfile();
}

void tst_Action::unnamedAction()
{
    CTestSyncAction nullName(nullptr, nullptr);
    CTestSyncAction emptyName(nullptr, "");
    QCOMPARE(nullName.objectName(), QStringLiteral("_unnamed_"));
    QCOMPARE(emptyName.objectName(), QStringLiteral("_unnamed_"));
    QCOMPARE(m_trace.value(0), QStringLiteral("[action              ]Create action \"_unnamed_\"\n"));
}

void tst_Action::progressClamp_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("reported");
    QTest::newRow("inside") << 5 << 3 << 3;
    QTest::newRow("at total") << 5 << 5 << 5;
    QTest::newRow("above total") << 5 << 9 << 5;
    QTest::newRow("negative unchanged") << 5 << -4 << -4;
    QTest::newRow("zero total") << 0 << 1 << 0;
}

void tst_Action::progressClamp()
{
    QFETCH(int, total);
    QFETCH(int, value);
    QFETCH(int, reported);
    CTestSyncAction action(nullptr, "a");
    action.setTotalSteps(total);
    QSignalSpy spy(&action, &CAction::actionProgress);
    action.setProgress(value);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), reported);
    QCOMPARE(spy.at(0).at(1).toInt(), total);
    QCOMPARE(action.progress(), reported);
}

void tst_Action::percentOfState_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("percent");
    QTest::newRow("3 of 5") << 3 << 5 << 60;
    QTest::newRow("truncated") << 2 << 3 << 66;
    QTest::newRow("all") << 7 << 7 << 100;
    QTest::newRow("zero total") << 4 << 0 << 0;
    QTest::newRow("negative total") << 4 << -2 << 0;
    QTest::newRow("negative progress") << -1 << 5 << -20;
}

void tst_Action::percentOfState()
{
    QFETCH(int, current);
    QFETCH(int, total);
    QFETCH(int, percent);
    CTestActionState state(nullptr, "s");
    QSignalSpy spy(&state, &CState::progress);
    state.slot_actionProgress(current, total);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), percent);
    QCOMPARE(state.progressValue(), double(percent));
}

void tst_Action::timerDrivesProgressToFull()
{
    CTestActionState state(nullptr, "s");
    auto* action = new CTestSyncAction(&state, "timed");
    state.setAction(action);
    action->setTotalSteps(2);
    QObject::connect(action, &CAction::actionProgress, &state, &CActionState::slot_actionProgress);
    QSignalSpy spy(action, &CAction::actionProgress);
    action->startProgressTimer();
    QTRY_COMPARE_WITH_TIMEOUT(state.progressValue(), 100.0, 4000);
    // Later ticks keep it at the total.
    const qsizetype ticks = spy.size();
    QTRY_VERIFY_WITH_TIMEOUT(spy.size() > ticks, 3000);
    QCOMPARE(spy.last().at(0).toInt(), 2);
    QCOMPARE(state.progressValue(), 100.0);
    action->stopProgressTimer();
}

void tst_Action::propertyFallThrough()
{
    CTestActionState state(nullptr, "s");
    auto* action = new CTestSyncAction(&state, "act");
    state.setAction(action);
    state.setProperty("path", QStringLiteral("from state"));
    state.setProperty("both", QStringLiteral("state value"));
    action->setProperty("both", QStringLiteral("action value"));
    action->setProperty("onlyAction", 7);
    state.setObjectProperty("obj", new CPropertyObject(nullptr, "stateObject"));

    // The action sees the state's properties where it has none of its own.
    QCOMPARE(action->property("path").toString(), QStringLiteral("from state"));
    QCOMPARE(action->property("both").toString(), QStringLiteral("action value"));
    QVERIFY(action->hasValueProperty("path"));
    QVERIFY(action->hasObjectProperty("obj"));
    QVERIFY(action->hasProperty("obj"));
    QVERIFY(!action->hasProperty("nowhere"));
    QCOMPARE(action->objectProperty("obj")->objectName(), QStringLiteral("stateObject"));
    QVERIFY(!action->property("nowhere").isValid());

    // The state sees the action's properties where it has none of its own.
    QCOMPARE(state.property("onlyAction").toInt(), 7);
    QCOMPARE(state.property("both").toString(), QStringLiteral("state value"));
    QCOMPARE(state.property("fixed").toInt(), 42);
    QVERIFY(!state.property("nowhere").isValid());
    QVERIFY(!state.objectProperty("nowhere"));

    // Writes stay where they were made.
    action->setProperty("written", 1);
    QVERIFY(!state.CState::hasValueProperty("written"));
    const QStringList names = state.propertyNames();
    QVERIFY(names.indexOf(QStringLiteral("path")) < names.indexOf(QStringLiteral("onlyAction")));
    QVERIFY(names.contains(QStringLiteral("written")));
}

void tst_Action::configure_data()
{
    QTest::addColumn<QString>("osProfile");
    QTest::addColumn<QStringList>("applied");
    QTest::addColumn<QStringList>("ignored");
    const QStringList always {QStringLiteral("direct"), QStringLiteral("common")};
    QTest::newRow("linux") << QString() << always
                           << QStringList {QStringLiteral("xp"), QStringLiteral("deep"), QStringLiteral("other")};
    QTest::newRow("windows xp") << QStringLiteral("[os]\nmajor=5\nminor=1\nplatformId=2\n")
                                << (always + QStringList {QStringLiteral("xp")})
                                << QStringList {QStringLiteral("deep"), QStringLiteral("other")};
}

void tst_Action::configure()
{
    QFETCH(QString, osProfile);
    QFETCH(QStringList, applied);
    QFETCH(QStringList, ignored);
    QTemporaryDir dir;
    if (!osProfile.isEmpty()) {
        const QString file = dir.filePath(QStringLiteral("profile.ini"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(osProfile.toUtf8());
        f.close();
        qputenv("SETUPFSM_PROFILE", file.toUtf8());
    }
    Platform::reloadProfile();

    QDomDocument doc;
    QVERIFY(doc.setContent(QStringLiteral(
        "<action>"
        "<property key='direct' value='d'/>"
        "<system type='common'><property key='common' value='c'/></system>"
        "<system type='winxp'><property key='xp' value='x'/></system>"
        "<system type='win7'><property key='other' value='o'/></system>"
        "<wrap><system type='common'><property key='deep' value='z'/></system></wrap>"
        "</action>")));
    CTestSyncAction action(nullptr, "conf", doc.documentElement());
    for (const QString& key : applied)
        QVERIFY2(action.CPropertyObject::hasValueProperty(key.toLatin1().constData()), qPrintable(key));
    for (const QString& key : ignored)
        QVERIFY2(!action.CPropertyObject::hasValueProperty(key.toLatin1().constData()), qPrintable(key));
    QCOMPARE(action.property("direct").toString(), QStringLiteral("d"));
    QVERIFY(m_trace.contains(
        QStringLiteral("[action              ]Set property for action \"conf\": key = \"direct\" value = \"d\"\n")));
}

void tst_Action::configureWarnsWhenPropertyRefused()
{
    QDomDocument doc;
    QVERIFY(doc.setContent(QStringLiteral(
        "<a><property key='fixed' value='1'/><property key='later' value='2'/></a>")));
    // Configured after construction, so that the read-only Qt property of the concrete class
    // is seen (inside the base constructor the object is not yet of the concrete class).
    CTestSyncAction action(nullptr, "conf");
    QCOMPARE(action.configure(doc.documentElement()), 0);
    QVERIFY(m_trace.contains(QStringLiteral("[action              ]  ! Warning ! Adding property failed.\n")));
    QCOMPARE(action.property("later").toString(), QStringLiteral("2"));
}

void tst_Action::syncActionLeavesInsideEnter()
{
    CTestActionState state(nullptr, "sync");
    auto* action = new CTestSyncAction(&state, "act");
    action->jobResult = 3;
    action->jobEvent = QStringLiteral("failed");
    state.setAction(action);
    QSignalSpy finished(&state, &CState::finished);
    state.enter();
    QCOMPARE(state.finishedCalls, 1);
    QCOMPARE(state.leaveEvent(), QStringLiteral("failed"));
    QVERIFY(m_trace.contains(QStringLiteral("[state               ]--- State sync: actionFinished - result = 3\n")));
    QVERIFY(finished.wait());
    // A second entry starts over with the same action.
    action->jobResult = 0;
    action->jobEvent = QStringLiteral("success");
    state.enter();
    QCOMPARE(state.results, (QList<int> {3, 0}));
    QCOMPARE(state.leaveEvent(), QStringLiteral("success"));
}

QTEST_GUILESS_MAIN(tst_Action)
#include "tst_action.moc"
