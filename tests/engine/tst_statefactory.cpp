// SPDX-License-Identifier: MIT
#include "engine/trace.h"
#include "plugin/plugin.h"
#include "teststates.h"

#include <QDomDocument>
#include <QTest>

namespace {

// Marks each state with the factory that made it.
CState* createMarked(QObject* parent, const char* name, const QString& type, CStateFactory* factory,
                     const QDomNode& element)
{
    CState* s = createStateOf<CTestState>(parent, name, type, factory, element);
    s->setProperty("createdBy", factory->name());
    return s;
}

// root: own "own", "shared"; children a (own "shared", "inA"; child aa with "deep") and b
// (own "shared", "inB", "bFsm"); fallback "fb" with "fallbackOnly" and "own".
struct Tree {
    Tree()
        : fallback(QStringLiteral("fb"))
        , root(std::make_unique<CStateFactory>(QStringLiteral("root"), &fallback))
    {
        fallback.addCreator(QStringLiteral("fallbackOnly"), &createMarked);
        fallback.addCreator(QStringLiteral("own"), &createMarked);
        root->addCreator(QStringLiteral("own"), &createMarked);
        root->addCreator(QStringLiteral("shared"), &createMarked);
        a = new CStateFactory(QStringLiteral("a"));
        a->addCreator(QStringLiteral("shared"), &createMarked);
        a->addCreator(QStringLiteral("inA"), &createMarked);
        aa = new CStateFactory(QStringLiteral("aa"));
        aa->addCreator(QStringLiteral("deep"), &createMarked);
        b = new CStateFactory(QStringLiteral("b"));
        b->addCreator(QStringLiteral("inB"), &createMarked);
        b->addCreator(QStringLiteral("deep"), &createMarked);
        b->addCreator(QStringLiteral("bFsm"), &createMarked);
        b->addCreator(QStringLiteral("listFSM"), &createMarked);
        root->addFactory(a);
        a->addFactory(aa);
        root->addFactory(b);
    }
    CStateFactory fallback;
    std::unique_ptr<CStateFactory> root;
    CStateFactory* a;
    CStateFactory* aa;
    CStateFactory* b;
};

} // namespace

class tst_StateFactory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void createOrder_data();
    void createOrder();
    void typeLists_data();
    void typeLists();
    void namesAndLookup();
    void addFactoryOnlyOnce();
    void genericFactory();
    void nestedFsmUsesTheSameFactory();
};

void tst_StateFactory::initTestCase()
{
    isolateUserFolders();
    Trace::setStderrEnabled(false);
}

void tst_StateFactory::createOrder_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("createdBy"); // empty: nothing created

    QTest::newRow("own creator") << QStringLiteral("own") << QStringLiteral("root");
    QTest::newRow("own before children") << QStringLiteral("shared") << QStringLiteral("root");
    QTest::newRow("first child") << QStringLiteral("inA") << QStringLiteral("a");
    QTest::newRow("second child") << QStringLiteral("inB") << QStringLiteral("b");
    QTest::newRow("subtree of the first child wins") << QStringLiteral("deep") << QStringLiteral("aa");
    QTest::newRow("fallback last") << QStringLiteral("fallbackOnly") << QStringLiteral("fb");
    QTest::newRow("case-sensitive") << QStringLiteral("OWN") << QString();
    QTest::newRow("unknown") << QStringLiteral("nope") << QString();
}

void tst_StateFactory::createOrder()
{
    QFETCH(QString, type);
    QFETCH(QString, createdBy);

    Tree tree;
    CFsm parent(nullptr, "parent", nullptr, QDomNode());
    std::unique_ptr<CState> s(tree.root->createState(type, QDomNode(), &parent, QStringLiteral("made")));
    QCOMPARE(s != nullptr, !createdBy.isEmpty());
    QCOMPARE(tree.root->canCreate(type), !createdBy.isEmpty() && createdBy != QLatin1String("fb"));
    if (!s)
        return;
    QCOMPARE(s->property("createdBy").toString(), createdBy);
    QCOMPARE(s->parent(), &parent);
    QCOMPARE(s->objectName(), QStringLiteral("made"));
    QCOMPARE(s->typeName(), type);
    QCOMPARE(s->events(), QStringList {QStringLiteral("next")}); // initialize() ran
}

void tst_StateFactory::typeLists_data()
{
    QTest::addColumn<QString>("factory");
    QTest::addColumn<bool>("states");
    QTest::addColumn<bool>("fsms");
    QTest::addColumn<QStringList>("types");

    QTest::newRow("own, both") << QString() << true << true << QStringList {QStringLiteral("own"), QStringLiteral("shared")};
    QTest::newRow("own by name") << QStringLiteral("root") << true << false << QStringList {QStringLiteral("own"), QStringLiteral("shared")};
    QTest::newRow("child, states") << QStringLiteral("b") << true << false
                                   << QStringList {QStringLiteral("deep"), QStringLiteral("inB")};
    QTest::newRow("child, fsms") << QStringLiteral("b") << false << true
                                 << QStringList {QStringLiteral("bFsm"), QStringLiteral("listFSM")};
    QTest::newRow("child, both") << QStringLiteral("b") << true << true
                                 << QStringList {QStringLiteral("bFsm"), QStringLiteral("deep"), QStringLiteral("inB"),
                                                 QStringLiteral("listFSM")};
    QTest::newRow("neither") << QStringLiteral("b") << false << false << QStringList();
    QTest::newRow("grandchild not searched") << QStringLiteral("aa") << true << true << QStringList();
    QTest::newRow("unknown") << QStringLiteral("zz") << true << true << QStringList();
}

void tst_StateFactory::typeLists()
{
    QFETCH(QString, factory);
    QFETCH(bool, states);
    QFETCH(bool, fsms);
    QFETCH(QStringList, types);

    Tree tree;
    QCOMPARE(tree.root->stateTypes(factory, states, fsms), types);
}

void tst_StateFactory::namesAndLookup()
{
    Tree tree;
    QCOMPARE(tree.root->factoryNames(), QStringList({QStringLiteral("root"), QStringLiteral("a"), QStringLiteral("aa"),
                                                     QStringLiteral("b")}));
    QCOMPARE(tree.root->findFactory(QStringLiteral("aa")), tree.aa);
    QCOMPARE(tree.root->findFactory(QStringLiteral("root")), tree.root.get());
    QVERIFY(tree.root->findFactory(QString()) == nullptr);
    QVERIFY(tree.root->findFactory(QStringLiteral("fb")) == nullptr);
}

void tst_StateFactory::addFactoryOnlyOnce()
{
    Tree tree;
    // A factory owns its children: a second place in the tree would delete one twice, and a
    // cycle would make every lookup recurse forever.
    QVERIFY(!tree.root->addFactory(tree.a));
    QVERIFY(!tree.b->addFactory(tree.aa));
    QVERIFY(!tree.root->addFactory(tree.root.get()));
    QVERIFY(!tree.aa->addFactory(tree.a));
    QVERIFY(!tree.aa->addFactory(tree.root.get()));
    QVERIFY(!tree.root->addFactory(nullptr));
    QCOMPARE(tree.root->factoryNames().size(), 4);
    QVERIFY(tree.b->addFactory(new CStateFactory(QStringLiteral("c"))));
    QCOMPARE(tree.root->factoryNames().last(), QStringLiteral("c"));
}

void tst_StateFactory::genericFactory()
{
    auto fallback = makeTestFactory(QStringLiteral("host"));
    std::unique_ptr<CStateFactory> generic(createFactory(fallback.get()));
    QCOMPARE(generic->name(), QStringLiteral("generic"));
    QCOMPARE(generic->fallback(), fallback.get());
    const QStringList fsms = generic->stateTypes(QString(), false, true);
    const QStringList states = generic->stateTypes(QString(), true, false);
    QVERIFY(fsms.contains(QStringLiteral("fsm")));
    QVERIFY(!states.contains(QStringLiteral("fsm")));
    for (const QString& t : fsms)
        QVERIFY2(t.endsWith(QLatin1String("fsm"), Qt::CaseInsensitive), qPrintable(t));
    QCOMPARE(generic->stateTypes(QString(), true, true).size(), fsms.size() + states.size());
    // Every registered name creates a state of that type name.
    CFsm parent(nullptr, "parent", nullptr, QDomNode());
    for (const QString& type : generic->stateTypes(QString(), true, true)) {
        std::unique_ptr<CState> s(generic->createState(type, QDomNode(), &parent, QStringLiteral("x")));
        QVERIFY2(s, qPrintable(type));
        QCOMPARE(s->typeName(), type);
        QCOMPARE(s->isFsm(), fsms.contains(type));
    }
}

void tst_StateFactory::nestedFsmUsesTheSameFactory()
{
    auto host = makeTestFactory(QStringLiteral("host"));
    std::unique_ptr<CStateFactory> generic(createFactory(host.get()));
    QDomDocument doc;
    QVERIFY(doc.setContent(QStringLiteral(
        "<fsm><states><state name='inner' type='fsm'><states><state name='leaf' type='test'/></states>"
        "<events><event name='out'/></events><transitions><transition startstate='leaf'/>"
        "<transition fromstate='leaf' event='next' toexit='out'/></transitions></state></states>"
        "<events><event name='done'/></events><transitions><transition startstate='inner'/>"
        "<transition fromstate='inner' event='out' toexit='done'/></transitions></fsm>")));
    std::unique_ptr<CState> root(generic->createState(QStringLiteral("fsm"), doc.documentElement(), nullptr, QStringLiteral("root")));
    auto* fsm = qobject_cast<CFsm*>(root.get());
    QVERIFY(fsm);
    QCOMPARE(fsm->errors(), QString());
    auto* inner = qobject_cast<CFsm*>(fsm->state(QStringLiteral("inner")));
    QVERIFY(inner);
    CState* leaf = inner->state(QStringLiteral("leaf"));
    QVERIFY(qobject_cast<CTestState*>(leaf)); // made by the fallback
    QCOMPARE(leaf->parent(), inner);
    QCOMPARE(leaf->fullName(), QStringLiteral("root:inner:leaf"));
}

QTEST_GUILESS_MAIN(tst_StateFactory)
#include "tst_statefactory.moc"
