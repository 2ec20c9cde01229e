// SPDX-License-Identifier: MIT
// Object lists built by the maps of transitions: each map stores a copy of what its function
// yields, while the functions change the FSM's own list in place.
#include "../propertymap/maptestutil.h"

#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/transition.h"
#include "engine/variantconv.h"

#include <QTest>

namespace {

const char kStates[] = R"(<fsm>
  <states>
    <state name="from" type="test"/>
    <state name="to" type="test"/>
  </states>
  <transitions><transition startstate="from"/></transitions>
</fsm>)";

CTransition* transition(CFsm* fsm, const char* maps)
{
    return new CTransition(fsm, "t", QStringLiteral("from"), QStringLiteral("to"),
                           elementOf(QStringLiteral("<transition>") + QString::fromLatin1(maps)
                                     + QStringLiteral("</transition>")));
}

} // namespace

class tst_ObjectListFlow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Trace::setStderrEnabled(false); }
    void buildListOnFsm();
};

void tst_ObjectListFlow::buildListOnFsm()
{
    std::unique_ptr<CStateFactory> factory = makeFactory();
    std::unique_ptr<CFsm> fsm(buildFsm(QString::fromLatin1(kStates), factory.get()));
    QVERIFY(fsm);
    CState* from = fsm->state(QStringLiteral("from"));
    auto* item = new CPropertyObject(nullptr, "item");
    item->setProperty("size", QVariant(qlonglong(3)));
    from->setObjectProperty("item", item);
    from->setObjectProperty("other", new CPropertyObject(nullptr, "other"));

    CTransition* build = transition(fsm.get(), R"~(
        <propertymap target="fsm.list" function="objectlist()"/>
        <propertymap target="fsm.list" function="append($fsm.list, $item)"/>
        <propertymap target="fsm.list" function="append($fsm.list, $other)"/>)~");
    QCOMPARE(build->propertyMapErrors(), QString());
    build->applyPropertyMaps();

    CPropertyObject* list = fsm->objectProperty("list");
    QVERIFY(list);
    QCOMPARE(list->objects().names(), (QStringList {"item", "other"}));
    QVERIFY(list->objectProperty("item") != item);
    QCOMPARE(list->objectProperty("item")->property("size"), QVariant(qlonglong(3)));

    CTransition* read = transition(fsm.get(), R"~(
        <propertymap target="count" function="count($fsm.list)"/>
        <propertymap target="first" function="element($fsm.list, 0)"/>
        <propertymap target="size" function="property(element($fsm.list, 0), 'size')"/>
        <propertymap target="fsm.list" function="remove($fsm.list, '^item$')"/>
        <propertymap target="names" function="join(propertylist($fsm.list), ',')"/>)~");
    QCOMPARE(read->propertyMapErrors(), QString());
    read->applyPropertyMaps();
    read->applyPropertyMaps(); // a second firing sees the shortened list

    CState* to = fsm->state(QStringLiteral("to"));
    QCOMPARE(to->property("count"), QVariant(1));
    QCOMPARE(to->objectProperty("first")->objectName(), QStringLiteral("other"));
    QVERIFY(to->objectProperty("first") != fsm->objectProperty("list")->objectProperty("other"));
    QCOMPARE(Qt3::typeName(to->property("size")), QStringLiteral("Invalid"));
    QCOMPARE(to->property("names"), QVariant(QStringLiteral("objectName,other")));
}

QTEST_GUILESS_MAIN(tst_ObjectListFlow)
#include "tst_objectlistflow.moc"
