// SPDX-License-Identifier: MIT
#include "engine/trace.h"
#include "engine/transition.h"
#include "platform/platform.h"
#include "teststates.h"

#include <QDomDocument>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A state with a compiled-in property, to see a property write fail.
class CLevelState : public CTestState {
    Q_OBJECT
    Q_PROPERTY(int level READ level WRITE setLevel)
public:
    using CTestState::CTestState;
    int level() const { return m_level; }
    void setLevel(int l) { m_level = l; }

private:
    int m_level = 0;
};

QDomElement parseElement(QDomDocument& doc, const QString& xml)
{
    if (!doc.setContent(xml))
        return QDomElement();
    return doc.documentElement();
}

QStringList dynamicValues(CPropertyObject& o)
{
    QStringList out;
    for (auto it = o.values().constBegin(); it != o.values().constEnd(); ++it)
        out.append(it.key() + QLatin1Char('=') + it.value().toString());
    return out;
}

} // namespace

class tst_State : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void configure_data();
    void configure();
    void failedPropertyWriteWarns();
    void definitionReachesSubclassQtProperties_data();
    void definitionReachesSubclassQtProperties();
    void unnamedStateReadsNothing();
    void hasEvent_data();
    void hasEvent();
    void hasTransition_data();
    void hasTransition();
    void sharedTransitionDeletedOnce();
    void detachRemovesEveryEntry();
    void leaveStateTwiceFinishesTwice();
    void backTransitionBelongsToTheFsm();
    void lookupsGoThroughParents();
    void resetEmptiesEverything();

private:
    QTemporaryDir m_dir;
};

void tst_State::initTestCase()
{
    isolateUserFolders();
    Trace::setStderrEnabled(false);
    // The system elements below are written for Windows XP with service pack 3.
    const QString profile = writeFile(m_dir, QStringLiteral("xp.ini"),
                                      "[os]\nmajor=5\nminor=1\nplatformId=2\nservicePackMajor=3\n");
    qputenv("SETUPFSM_PROFILE", profile.toLocal8Bit());
    Platform::reloadProfile();
}

void tst_State::configure_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("required");
    QTest::addColumn<int>("weight");

    QTest::newRow("direct properties") << QStringLiteral(
        "<state weight='3'><property key='a' value='1'/><property key='b' value='two words'/></state>")
                                       << QStringList {QStringLiteral("a=1"), QStringLiteral("b=two words")}
                                       << QStringList() << 3;
    QTest::newRow("empty value writes nothing") << QStringLiteral("<state><property key='a' value=''/></state>")
                                                << QStringList() << QStringList() << 0;
    QTest::newRow("required without value")
        << QStringLiteral("<state><property key='r' required='YES'/><property key='s' value='x' required='no'/></state>")
        << QStringList {QStringLiteral("s=x")} << QStringList {QStringLiteral("r")} << 0;
    QTest::newRow("required with value") << QStringLiteral("<state><property key='r' value='v' required='yes'/></state>")
                                         << QStringList {QStringLiteral("r=v")} << QStringList {QStringLiteral("r")} << 0;
    QTest::newRow("common system") << QStringLiteral("<state><system type='common'><property key='c' value='1'/></system></state>")
                                   << QStringList {QStringLiteral("c=1")} << QStringList() << 0;
    QTest::newRow("system for this os") << QStringLiteral(
        "<state><SYSTEM type='winxpsp2+'><property key='x' value='xp'/></SYSTEM></state>")
                                        << QStringList {QStringLiteral("x=xp")} << QStringList() << 0;
    QTest::newRow("system for another os") << QStringLiteral(
        "<state><system type='win7'><property key='x' value='7'/></system><property key='y' value='1'/></state>")
                                           << QStringList {QStringLiteral("y=1")} << QStringList() << 0;
    QTest::newRow("later system element wins") << QStringLiteral(
        "<state><property key='x' value='any'/><system type='winxp'><property key='x' value='xp'/></system></state>")
                                               << QStringList {QStringLiteral("x=xp")} << QStringList() << 0;
    QTest::newRow("deeper elements skipped") << QStringLiteral(
        "<state><other><property key='a' value='1'/></other>"
        "<other><system type='common'><property key='b' value='1'/></system></other>"
        "<system type='common'><inner><property key='c' value='1'/></inner></system></state>")
                                             << QStringList() << QStringList() << 0;
    QTest::newRow("translation form, no application") << QStringLiteral("<state><property key='t' value='tr(Hello)'/></state>")
                                                      << QStringList {QStringLiteral("t=Hello")} << QStringList() << 0;
    // Objects kept such a value whole while states cut its last character as the closing parenthesis.
    QTest::newRow("translation form never closed") << QStringLiteral("<state><property key='t' value='tr(Hello'/></state>")
                                                   << QStringList {QStringLiteral("t=tr(Hello")} << QStringList() << 0;
    QTest::newRow("negative weight") << QStringLiteral("<state weight='-5'/>") << QStringList() << QStringList() << 0;
    QTest::newRow("junk weight") << QStringLiteral("<state weight='3x'/>") << QStringList() << QStringList() << 0;
}

void tst_State::configure()
{
    QFETCH(QString, xml);
    QFETCH(QStringList, values);
    QFETCH(QStringList, required);
    QFETCH(int, weight);

    QDomDocument doc;
    const QDomElement e = parseElement(doc, xml);
    QVERIFY(!e.isNull());
    CTestState s(nullptr, "s", e);
    QCOMPARE(dynamicValues(s), values);
    QCOMPARE(s.requiredProperties(), required);
    QCOMPARE(s.weight(), weight);
    QVERIFY(s.errors().isEmpty());
}

void tst_State::failedPropertyWriteWarns()
{
    TraceCapture trace;
    QDomDocument doc;
    const QDomElement e = parseElement(doc, QStringLiteral("<state><property key='level' value='high'/>"
                                                           "<property key='other' value='1'/></state>"));
    // While CState is being constructed the subclass's Qt properties are not known yet, so the
    // write can only fail when the element is applied again later (as nested FSMs are).
    CLevelState s(nullptr, "s", QDomNode());
    s.configure(e, QStringLiteral("s"));
    QCOMPARE(trace.lines, QStringList {QStringLiteral("[state               ]  ! Warning ! Adding property failed.\n")});
    QCOMPARE(s.property("other"), QVariant(QStringLiteral("1")));
}

void tst_State::definitionReachesSubclassQtProperties_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("warned");

    QTest::newRow("converts") << QStringLiteral("5") << 5 << false;
    QTest::newRow("does not convert") << QStringLiteral("high") << 0 << true;
}

void tst_State::definitionReachesSubclassQtProperties()
{
    QFETCH(QString, value);
    QFETCH(int, level);
    QFETCH(bool, warned);

    TraceCapture trace;
    QDomDocument doc;
    const QDomElement e = parseElement(doc, QStringLiteral("<state><property key='level' value='%1'/>"
                                                           "<property key='other' value='1'/></state>").arg(value));
    std::unique_ptr<CState> s(createStateOf<CLevelState>(nullptr, "s", QStringLiteral("level"), nullptr, e));
    auto* levelState = static_cast<CLevelState*>(s.get());
    QCOMPARE(levelState->level(), level);
    QCOMPARE(s->property("level"), QVariant(level));
    QVERIFY(!s->values().contains(QStringLiteral("level"))); // a name is never held twice
    QCOMPARE(s->property("other"), QVariant(QStringLiteral("1")));
    QCOMPARE(trace.contains(QStringLiteral("Adding property failed.")), warned);
}

void tst_State::unnamedStateReadsNothing()
{
    QDomDocument doc;
    CTestState s(nullptr, "", parseElement(doc, QStringLiteral("<state weight='4'><property key='a' value='1'/></state>")));
    QCOMPARE(s.errors(), QStringLiteral("Unnamed state.\n"));
    QVERIFY(!s.hasProperty("a"));
    QCOMPARE(s.weight(), 0);
}

void tst_State::hasEvent_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("has");

    QTest::newRow("declared") << QStringLiteral("a") << true;
    QTest::newRow("undeclared") << QStringLiteral("c") << false;
    QTest::newRow("both declared") << QStringLiteral("a|b") << true;
    QTest::newRow("second undeclared") << QStringLiteral("a|c") << false;
    QTest::newRow("with pageBack") << QStringLiteral("a|pageBack") << true;
    QTest::newRow("undeclared with pageBack") << QStringLiteral("c|pageBack") << false;
    QTest::newRow("pageBack always") << QStringLiteral("pageBack") << true;
    QTest::newRow("empty pieces dropped") << QStringLiteral("|a||b|") << true;
    QTest::newRow("case-sensitive") << QStringLiteral("A") << false;
}

void tst_State::hasEvent()
{
    QFETCH(QString, asked);
    QFETCH(bool, has);

    CTestState s(nullptr, "s", QDomNode());
    s.addEvents({QStringLiteral("a"), QStringLiteral("b")});
    QCOMPARE(s.hasEvent(asked), has);
}

void tst_State::hasTransition_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("has");

    QTest::newRow("attached") << QStringLiteral("a") << true;
    QTest::newRow("not attached") << QStringLiteral("b") << false;
    QTest::newRow("one of two attached") << QStringLiteral("b|a") << true;
    QTest::newRow("none attached") << QStringLiteral("b|c") << false;
    QTest::newRow("pageBack") << QStringLiteral("pageBack") << true;
    QTest::newRow("pageBack among others") << QStringLiteral("b|pageBack") << true;
}

void tst_State::hasTransition()
{
    QFETCH(QString, asked);
    QFETCH(bool, has);

    CFsm fsm(nullptr, "fsm", nullptr, QDomNode());
    auto* s = new CTestState(&fsm, "s", QDomNode());
    QVERIFY(fsm.addState(s));
    s->addEvents({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    s->attachTransition(new CTransition(&fsm, "t", QStringLiteral("s"), QStringLiteral("s"), QDomNode()), QStringLiteral("a"));
    const int children = int(fsm.children().size());
    QCOMPARE(s->hasTransition(asked), has);
    // Asking creates nothing that outlives the question.
    QCOMPARE(int(fsm.children().size()), children);
    QCOMPARE(s->transitions().size(), 1);
}

void tst_State::sharedTransitionDeletedOnce()
{
    auto* s = new CTestState(nullptr, "s", QDomNode());
    QPointer<CTransition> t = new CTransition(nullptr, "t", QStringLiteral("s"), QStringLiteral("x"), QDomNode());
    s->attachTransition(t, QStringLiteral("a|b||c"));
    QCOMPARE(s->transitions().keys(), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    delete s; // a second delete of the transition would be caught by the sanitizers
    QVERIFY(t.isNull());
}

void tst_State::detachRemovesEveryEntry()
{
    CTestState s(nullptr, "s", QDomNode());
    QPointer<CTransition> t = new CTransition(nullptr, "t", QStringLiteral("s"), QStringLiteral("x"), QDomNode());
    auto* other = new CTransition(nullptr, "o", QStringLiteral("s"), QStringLiteral("y"), QDomNode());
    s.attachTransition(t, QStringLiteral("a|b"));
    s.attachTransition(other, QStringLiteral("c"));
    QVERIFY(s.detachTransition(QStringLiteral("b")));
    QVERIFY(t.isNull());
    QCOMPARE(s.transitions().keys(), QStringList {QStringLiteral("c")});
    QVERIFY(!s.detachTransition(QStringLiteral("a")));
    QVERIFY(!s.detachTransition(QStringLiteral("nothing")));
}

void tst_State::leaveStateTwiceFinishesTwice()
{
    TraceCapture trace;
    CTestState s(nullptr, "s", QDomNode());
    s.initialize();
    QSignalSpy finished(&s, &CState::finished);
    QSignalSpy progress(&s, &CState::progress);
    s.setLeaveEvent(QStringLiteral("next"));
    s.leaveState();
    s.leaveState();
    // The finish is deferred to the event loop.
    QCOMPARE(finished.size(), 0);
    QCOMPARE(s.progressValue(), 0.0);
    QTRY_COMPARE(finished.size(), 2);
    QCOMPARE(progress.size(), 2);
    QCOMPARE(progress.at(0).at(0).toInt(), 100);
    QCOMPARE(finished.at(0).at(0).value<CState*>(), &s);
    QVERIFY(finished.at(0).at(1).value<CTransition*>() == nullptr);
    QCOMPARE(s.progressValue(), 100.0);
    QCOMPARE(trace.lines.count(QStringLiteral("[state               ]--- State s: leave state with event = next\n")), 2);
}

void tst_State::backTransitionBelongsToTheFsm()
{
    CFsm fsm(nullptr, "fsm", nullptr, QDomNode());
    auto* s = new CTestState(&fsm, "s", QDomNode());
    QVERIFY(fsm.addState(s));
    std::unique_ptr<CTransition> back(s->transition(QStringLiteral("pageBack")));
    QVERIFY(qobject_cast<CBackTransition*>(back.get()));
    QCOMPARE(back->parent(), &fsm);
    QVERIFY(s->transition(QStringLiteral("next")) == nullptr);
}

void tst_State::lookupsGoThroughParents()
{
    CPropertyObject app;
    int data = 0;
    CFsm root(nullptr, "root", nullptr, QDomNode());
    auto* sub = new CFsm(&root, "sub", nullptr, QDomNode());
    auto* s = new CTestState(sub, "leaf", QDomNode());
    QCOMPARE(s->fullName(), QStringLiteral("root:sub:leaf"));
    QVERIFY(s->applicationProperties() == nullptr);
    root.setApplicationProperties(&app);
    root.setUserData(&data);
    QCOMPARE(s->applicationProperties(), &app);
    QCOMPARE(s->userData(), static_cast<void*>(&data));
    CPropertyObject own;
    sub->setApplicationProperties(&own);
    QCOMPARE(s->applicationProperties(), &own);
    QVERIFY(sub->isFsm());
    QVERIFY(!s->isFsm());
}

void tst_State::resetEmptiesEverything()
{
    QDomDocument doc;
    CTestState s(nullptr, "s", parseElement(doc, QStringLiteral("<state weight='2'><property key='a' value='1' required='yes'/></state>")));
    s.initialize();
    s.addSuppliedProperty(QStringLiteral("in"));
    s.addAnnouncedProperty(QStringLiteral("out"));
    s.errors() += QStringLiteral("problem\n");
    s.setLeaveEvent(QStringLiteral("next"));
    QPointer<CTransition> t = new CTransition(nullptr, "t", QString(), QString(), QDomNode());
    s.attachTransition(t, QStringLiteral("next"));
    s.reset();
    QVERIFY(t.isNull());
    QVERIFY(s.events().isEmpty() && s.requiredProperties().isEmpty() && s.suppliedProperties().isEmpty());
    QVERIFY(s.announcedProperties().isEmpty() && s.errors().isEmpty() && s.leaveEvent().isEmpty());
    QVERIFY(!s.hasProperty("a"));
    QCOMPARE(s.weight(), 0);
    QCOMPARE(s.progressValue(), 0.0);
    QVERIFY(s.transitions().isEmpty());
}

QTEST_GUILESS_MAIN(tst_State)
#include "tst_state.moc"
