// SPDX-License-Identifier: MIT
// The list iterator state and the iterating FSM: the walk through a list, lists with repeated
// values, restarting, and the progress weighting of a loop.
#include "maptestutil.h"

#include "engine/trace.h"
#include "engine/variantconv.h"
#include "propertymap/iteratorfsm.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// "event:currentItem" of each step, joined by blanks.
QString walk(CState* iterator, int steps)
{
    QStringList out;
    for (int i = 0; i < steps; ++i) {
        iterator->enter();
        const QVariant current = iterator->property("currentItem");
        out.append(iterator->leaveEvent() + QLatin1Char(':') + (current.isValid() ? Qt3::toString(current) : QStringLiteral("-")));
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

class tst_Iteration : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void declarations();
    void steps_data();
    void steps();
    void clearingRestarts();
    void traceLine();
    void totalWeight_data();
    void totalWeight();
    void loopProgress();
    void loopProgressStaysBounded_data();
    void loopProgressStaysBounded();

private:
    std::unique_ptr<CStateFactory> m_factory;
};

void tst_Iteration::initTestCase()
{
    Trace::setIncludeFilter(QStringLiteral(".*"));
    Trace::setExcludeFilter(QStringLiteral("fsm|state|transition|utilityStates"));
    m_factory = makeFactory();
}

void tst_Iteration::declarations()
{
    std::unique_ptr<CState> state(m_factory->createState(QStringLiteral("listIterator"), QDomNode(), nullptr, QStringLiteral("i")));
    QVERIFY(state);
    QVERIFY(state->inherits("CListIteratorState"));
    QCOMPARE(state->requiredProperties(), (QStringList {"list", "currentItem"}));
    QVERIFY(state->isAnnouncedProperty(QStringLiteral("currentItem")));
    QCOMPARE(state->events(), (QStringList {"nextItem", "lastItem"}));
}

void tst_Iteration::steps_data()
{
    QTest::addColumn<QVariant>("list");
    QTest::addColumn<QVariant>("current");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("walk");

    const QVariant abc = QStringList {"a", "b", "c"};
    QTest::newRow("three elements") << abc << QVariant() << 5 << "nextItem:a nextItem:b nextItem:c lastItem:c lastItem:c";
    QTest::newRow("empty list") << QVariant(QVariantList()) << QVariant() << 2 << "lastItem:- lastItem:-";
    QTest::newRow("no list") << QVariant() << QVariant("x") << 1 << "lastItem:x";
    QTest::newRow("not in the list restarts") << abc << QVariant("zz") << 2 << "nextItem:a nextItem:b";
    QTest::newRow("starting in the middle") << abc << QVariant("b") << 2 << "nextItem:c lastItem:c";
    QTest::newRow("text is no list") << QVariant("a;b") << QVariant() << 1 << "lastItem:-";
    QTest::newRow("values of another type") << QVariant(QVariantList {qlonglong(1), qlonglong(2), qlonglong(3)}) << QVariant("2") << 2
                                            << "nextItem:3 lastItem:3";
    // Repeated values: the walk goes on from the element handed out last, so it ends.
    QTest::newRow("value twice in a row") << QVariant(QStringList {"a", "a", "b"}) << QVariant() << 4
                                          << "nextItem:a nextItem:a nextItem:b lastItem:b";
    QTest::newRow("value at both ends") << QVariant(QStringList {"a", "b", "a"}) << QVariant() << 4
                                        << "nextItem:a nextItem:b nextItem:a lastItem:a";
    QTest::newRow("one value only") << QVariant(QStringList {"x", "x", "x"}) << QVariant() << 5
                                    << "nextItem:x nextItem:x nextItem:x lastItem:x lastItem:x";
}

void tst_Iteration::steps()
{
    QFETCH(QVariant, list);
    QFETCH(QVariant, current);
    QFETCH(int, steps);
    QFETCH(QString, walk);

    std::unique_ptr<CState> iterator(m_factory->createState(QStringLiteral("listIterator"), QDomNode(), nullptr, QStringLiteral("i")));
    if (list.isValid())
        iterator->setProperty("list", list);
    if (current.isValid())
        iterator->setProperty("currentItem", current);
    QCOMPARE(::walk(iterator.get(), steps), walk);
}

void tst_Iteration::clearingRestarts()
{
    std::unique_ptr<CState> iterator(m_factory->createState(QStringLiteral("listIterator"), QDomNode(), nullptr, QStringLiteral("i")));
    iterator->setProperty("list", QStringList {"a", "a"});
    QCOMPARE(walk(iterator.get(), 3), QStringLiteral("nextItem:a nextItem:a lastItem:a"));
    iterator->setProperty("currentItem", QVariant());
    QCOMPARE(walk(iterator.get(), 3), QStringLiteral("nextItem:a nextItem:a lastItem:a"));
    // A value set from outside is looked up by value again.
    iterator->setProperty("list", QStringList {"p", "q", "r"});
    iterator->setProperty("currentItem", QStringLiteral("q"));
    QCOMPARE(walk(iterator.get(), 2), QStringLiteral("nextItem:r lastItem:r"));
}

void tst_Iteration::traceLine()
{
    std::unique_ptr<CState> iterator(m_factory->createState(QStringLiteral("listIterator"), QDomNode(), nullptr, QStringLiteral("i")));
    iterator->setProperty("list", QVariantList {1.5, 2});
    TraceCapture capture;
    Trace::setExcludeFilter(QString());
    walk(iterator.get(), 2);
    Trace::setExcludeFilter(QStringLiteral("fsm|state|transition|utilityStates"));
    QCOMPARE(categoryLines(capture.lines, "utilityStates"),
             (QStringList {"Iterator current item (as string):", "Iterator current item (as string):1.5"}));
}

void tst_Iteration::totalWeight_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("total");

    QTest::newRow("three elements") << "a;b;c" << 6;
    QTest::newRow("empty list weighs one pass") << "" << 2;
}

void tst_Iteration::totalWeight()
{
    QFETCH(QString, list);
    QFETCH(int, total);

    const QString xml = QStringLiteral(R"~(<fsm type="listIteratorFsm">
      <property key="iterateCount" value="10"/>
      <states>
        <state name="iterator" type="listIterator" weight="7"/>
        <state name="work1" type="test" weight="1"/>
        <state name="work2" type="test" weight="1"/>
      </states>
      <events><event name="done"/></events>
      <transitions>
        <transition startstate="iterator"><propertymap target="list" function="split('%1', ';')"/></transition>
        <transition fromstate="iterator" event="nextItem" tostate="work1"/>
        <transition fromstate="iterator" event="lastItem" toexit="done"/>
        <transition fromstate="work1" event="next" tostate="work2"/>
        <transition fromstate="work2" event="next" tostate="iterator"/>
      </transitions></fsm>)~").arg(list);
    QDomDocument doc;
    QVERIFY(doc.setContent(xml));
    std::unique_ptr<CState> state(m_factory->createState(QStringLiteral("listIteratorFsm"), doc.documentElement(), nullptr,
                                                         QStringLiteral("loop")));
    auto* fsm = qobject_cast<CIteratorFsm*>(state.get());
    QVERIFY(fsm);
    QCOMPARE(fsm->errors(), QString());

    QSignalSpy progress(fsm, &CState::progress);
    QVERIFY(runToEnd(fsm));
    QCOMPARE(fsm->leaveEvent(), QStringLiteral("done"));
    // The iterator's weight and "iterateCount" do not count; the list length multiplies.
    QCOMPARE(fsm->totalWeight(), total);
    QCOMPARE(progress.last().at(0).toInt(), 100);
}

void tst_Iteration::loopProgress()
{
    const QString xml = QStringLiteral(R"~(<fsm type="listIteratorFsm">
      <states>
        <state name="iterator" type="listIterator"/>
        <state name="work1" type="test" weight="1"/>
        <state name="work2" type="test" weight="1"/>
      </states>
      <events><event name="done"/></events>
      <transitions>
        <transition startstate="iterator"><propertymap target="list" function="split('a;b;c', ';')"/></transition>
        <transition fromstate="iterator" event="nextItem" tostate="work1"/>
        <transition fromstate="iterator" event="lastItem" toexit="done"/>
        <transition fromstate="work1" event="next" tostate="work2"/>
        <transition fromstate="work2" event="next" tostate="iterator"/>
      </transitions></fsm>)~");
    QDomDocument doc;
    QVERIFY(doc.setContent(xml));
    std::unique_ptr<CState> fsm(m_factory->createState(QStringLiteral("listIteratorFsm"), doc.documentElement(), nullptr,
                                                       QStringLiteral("loop")));
    QVERIFY(fsm);

    QList<int> afterWork;
    QObject::connect(fsm.get(), &CState::finished, fsm.get(), [&](CState* s, CTransition*) {
        if (s->objectName().startsWith(QLatin1String("work")))
            afterWork.append(qobject_cast<CFsm*>(fsm.get())->progressValue() + 1e-9);
    });
    QVERIFY(runToEnd(qobject_cast<CFsm*>(fsm.get())));
    // Each finished work state adds 100/6, reported truncated.
    QCOMPARE(afterWork, (QList<int> {16, 33, 50, 66, 83, 100}));
}

// The list is filled only as the loop begins, after the states before it have reported their
// share: the loop's weight then joins the total, and what was reported is neither exceeded nor
// taken back.
void tst_Iteration::loopProgressStaysBounded_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QList<int>>("reported");

    // pre 1 + work 2 x 3 items = 7: 33 stays until the loop catches up (3/7 = 42).
    QTest::newRow("plain fsm: loop states count per item") << "fsm" << QList<int> {33, 42, 71, 100};
    // (pre 1 + work 2) x 3 items = 9.
    QTest::newRow("iterating fsm: every state counts per item") << "listIteratorFsm" << QList<int> {33, 55, 77, 100};
}

void tst_Iteration::loopProgressStaysBounded()
{
    QFETCH(QString, type);
    QFETCH(QList<int>, reported);

    const QString xml = QStringLiteral(R"~(<fsm>
      <states>
        <state name="pre" type="test" weight="1"/>
        <state name="iterator" type="listIterator"/>
        <state name="work" type="test" weight="2"/>
      </states>
      <events><event name="done"/></events>
      <transitions>
        <transition startstate="pre"/>
        <transition fromstate="pre" event="next" tostate="iterator">
          <propertymap target="list" function="split('a;b;c', ';')"/>
        </transition>
        <transition fromstate="iterator" event="nextItem" tostate="work"/>
        <transition fromstate="iterator" event="lastItem" toexit="done"/>
        <transition fromstate="work" event="next" tostate="iterator"/>
      </transitions></fsm>)~");
    QDomDocument doc;
    QVERIFY(doc.setContent(xml));
    std::unique_ptr<CState> state(m_factory->createState(type, doc.documentElement(), nullptr, QStringLiteral("loop")));
    auto* fsm = qobject_cast<CFsm*>(state.get());
    QVERIFY(fsm);
    QCOMPARE(fsm->errors(), QString());

    QList<int> values;
    QObject::connect(fsm, &CState::progress, fsm, [&](int p) {
        if (values.isEmpty() || values.last() != p)
            values.append(p);
    });
    QVERIFY(runToEnd(fsm));
    QCOMPARE(values, reported);
}

QTEST_GUILESS_MAIN(tst_Iteration)
#include "tst_iteration.moc"
