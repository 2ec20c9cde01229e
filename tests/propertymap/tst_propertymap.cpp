// SPDX-License-Identifier: MIT
// Property maps on transitions: what a firing reads, evaluates, stores and traces; what a
// definition with broken maps reports; which properties a transition announces.
#include "maptestutil.h"

#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/transition.h"
#include "engine/variantconv.h"
#include "propertymap/propertymap.h"

#include <QTest>

namespace {

const QString kMacronLine = QStringLiteral("|") + QChar(0xAF) + QStringLiteral("propertymap");

// An FSM with the states "from" and "to" and no transitions between them: the tests make
// their transitions by hand, so that even broken maps can be fired.
const char kTwoStates[] = R"(<fsm>
  <property key="total" value="5"/>
  <property key="need" required="yes"/>
  <states>
    <state name="from" type="test"><property key="a" value="hello"/></state>
    <state name="to" type="test"/>
    <state name="iterator" type="listIterator"/>
  </states>
  <transitions><transition startstate="from"/></transitions>
</fsm>)";

QString render(const QVariant& v)
{
    return Qt3::typeName(v) + QLatin1Char(' ') + Qt3::toString(v);
}

// "where.name" read back from the to-state, the FSM or the application properties.
QString readBack(CFsm* fsm, CPropertyObject* app, const QString& where)
{
    if (where.isEmpty())
        return QString();
    const QString scope = where.section(QLatin1Char('.'), 0, 0);
    const QByteArray name = where.section(QLatin1Char('.'), 1).toLatin1();
    CPropertyObject* holder = scope == QLatin1String("fsm") ? fsm : scope == QLatin1String("app") ? app : fsm->state(scope);
    if (!holder)
        return QStringLiteral("<no holder>");
    if (CPropertyObject* o = holder->objectProperty(name.constData()))
        return QStringLiteral("Object ") + o->objectName();
    if (!holder->hasProperty(name.constData()))
        return QStringLiteral("<unset>");
    return render(holder->property(name.constData()));
}

struct Fixture {
    Fixture()
    {
        factory = makeFactory();
        fsm.reset(buildFsm(QString::fromLatin1(kTwoStates), factory.get()));
    }
    std::unique_ptr<CStateFactory> factory;
    std::unique_ptr<CFsm> fsm;
};

} // namespace

class tst_PropertyMap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void apply_data();
    void apply();
    void valueLines_data();
    void valueLines();
    void objectsAreCloned();
    void refusedObjectIsFreed();
    void exitTransitionHasNoToState();
    void loadErrors_data();
    void loadErrors();
    void announce_data();
    void announce();
};

void tst_PropertyMap::initTestCase()
{
    Trace::setIncludeFilter(QStringLiteral(".*"));
    Trace::setExcludeFilter(QString());
    Trace::setTimestamps(false);
}

void tst_PropertyMap::apply_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("app");   // token string of the application properties; null: none
    QTest::addColumn<QString>("maps");  // propertymap elements
    QTest::addColumn<QStringList>("trace");
    QTest::addColumn<QString>("where"); // where the last map stores
    QTest::addColumn<QString>("stored");

    const QString getA = QStringLiteral("| - get value from property \"a\" from state \"from\".");
    QTest::newRow("state to state")
        << "from" << "to" << QString() << R"~(<propertymap target="x" function="$a"/>)~"
        << QStringList {getA, "|   value as string = hello", "|_Set property \"x\" value as string = hello"}
        << "to.x" << "String hello";
    QTest::newRow("fsm onto itself")
        << "from" << "to" << QString() << R"~(<propertymap target="fsm.total" function="$fsm.total"/>)~"
        << QStringList {"| - get value from property \"total\" from FSM.", "|   value as string = 5",
                        "|_Set property \"total\" value as string = 5"}
        << "fsm.total" << "String 5";
    QTest::newRow("missing property reads empty")
        << "from" << "to" << QString() << R"~(<propertymap target="x" function="concat($missing, 'x')"/>)~"
        << QStringList {"| - get value from property \"missing\" from state \"from\".",
                        "|   ! Warning ! Property not found", "|_Set property \"x\" value as string = x"}
        << "to.x" << "String x";
    QTest::newRow("no application properties")
        << "from" << "to" << QString() << R"~(<propertymap target="x" function="$app.lang"/>)~"
        << QStringList {"| ! Warning ! No application properties available.", "|   ! Warning ! Property not found",
                        "|_Set property \"x\" empty string or list"}
        << "to.x" << "String ";
    QTest::newRow("application input")
        << "from" << "to" << "lang=de" << R"~(<propertymap target="x" function="$app.lang"/>)~"
        << QStringList {"| - get value from property \"lang\" from application.", "|   value as string = de",
                        "|_Set property \"x\" value as string = de"}
        << "to.x" << "String de";
    QTest::newRow("application target")
        << "from" << "to" << "lang=de" << R"~(<propertymap target="app.lang" function="'fr'"/>)~"
        << QStringList {"|_Set property \"lang\" value as string = fr"} << "app.lang" << "String fr";
    QTest::newRow("application target without application")
        << "from" << "to" << QString() << R"~(<propertymap target="app.lang" function="'fr'"/>)~"
        << QStringList {"|_Set property \"lang\" value as string = fr", "    ! Warning ! No target to set property in."}
        << "" << "";
    QTest::newRow("later map sees earlier one")
        << "from" << "to" << QString()
        << R"~(<propertymap target="fsm.a" function="7"/><propertymap target="x" function="$fsm.a"/>)~"
        << QStringList {"|_Set property \"a\" value as string = 7", kMacronLine,
                        "| - get value from property \"a\" from FSM.", "|   value as string = 7",
                        "|_Set property \"x\" value as string = 7"}
        << "to.x" << "LongLong 7";
    QTest::newRow("no function attribute stores the empty string")
        << "from" << "to" << QString() << R"~(<propertymap target="x"/>)~"
        << QStringList {"|_Set property \"x\" empty string or list"} << "to.x" << "String ";
    QTest::newRow("no target attribute names the empty property")
        << "from" << "to" << QString() << R"~(<propertymap function="1"/>)~"
        << QStringList {"|_Set property \"\" value as string = 1"} << "to." << "LongLong 1";
    QTest::newRow("unknown function is not set")
        << "from" << "to" << QString() << R"~(<propertymap target="x" function="nope($a)"/>)~"
        << QStringList {getA, "|   value as string = hello", "|_Property \"x\" will not be set."} << "to.x" << "<unset>";
    QTest::newRow("missing from-state")
        << "ghost" << "to" << QString() << R"~(<propertymap target="x" function="$a"/>)~"
        << QStringList {"| - get value from property \"a\" from state \"ghost\".", "| ! Warning ! No from-state.",
                        "|   ! Warning ! Property not found", "|_Set property \"x\" empty string or list"}
        << "to.x" << "String ";
    QTest::newRow("missing to-state")
        << "from" << "done" << QString() << R"~(<propertymap target="x" function="1"/><propertymap target="fsm.y" function="2"/>)~"
        << QStringList {"|_Set property \"x\" value as string = 1", "    ! Warning ! No target to set property in.",
                        kMacronLine, "|_Set property \"y\" value as string = 2"}
        << "fsm.y" << "LongLong 2";
    QTest::newRow("nested propertymap elements count")
        << "from" << "to" << QString() << R"~(<group><propertymap target="x" function="'deep'"/></group>)~"
        << QStringList {"|_Set property \"x\" value as string = deep"} << "to.x" << "String deep";
}

void tst_PropertyMap::apply()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, app);
    QFETCH(QString, maps);
    QFETCH(QStringList, trace);
    QFETCH(QString, where);
    QFETCH(QString, stored);

    Fixture f;
    QVERIFY(f.fsm);
    CPropertyObject appProperties;
    if (!app.isNull()) {
        appProperties.setConfig(app);
        f.fsm->setApplicationProperties(&appProperties);
    }
    auto* t = new CTransition(f.fsm.get(), "t", from, to, elementOf(QStringLiteral("<transition>") + maps + QStringLiteral("</transition>")));
    TraceCapture capture;
    t->applyPropertyMaps();

    trace.prepend(kMacronLine);
    trace.prepend(QString());
    QCOMPARE(categoryLines(capture.lines, "transition"), trace);
    QCOMPARE(readBack(f.fsm.get(), &appProperties, where), stored);
}

void tst_PropertyMap::valueLines_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text"); // after "|   " and after `|_Set property "x" `

    QString longText;
    for (int i = 0; i < 30; ++i)
        longText += QStringLiteral("line %1 x\n").arg(i, 2, 10, QLatin1Char('0'));
    QString flat = longText;
    flat.remove(QLatin1Char('\n'));

    QTest::newRow("text") << QVariant(QStringLiteral("hello")) << "value as string = hello";
    QTest::newRow("300 characters with line feeds") << QVariant(longText)
                                                    << "value as string = " + flat.left(200) + "...";
    QTest::newRow("double") << QVariant(2.5) << "value as string = 2.5";
    QTest::newRow("string list") << QVariant(QStringList {"a", "b", "c"}) << "list with 3 items";
    QTest::newRow("variant list") << QVariant(QVariantList {1, "x"}) << "list with 2 items";
    QTest::newRow("empty list") << QVariant(QVariantList()) << "empty string or list";
    QTest::newRow("empty text") << QVariant(QString(QLatin1String(""))) << "empty string or list";
}

void tst_PropertyMap::valueLines()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);

    Fixture f;
    f.fsm->state(QStringLiteral("from"))->setProperty("v", value);
    auto* t = new CTransition(f.fsm.get(), "t", QStringLiteral("from"), QStringLiteral("to"),
                              elementOf(QStringLiteral(R"~(<transition><propertymap target="x" function="$v"/></transition>)~")));
    TraceCapture capture;
    t->applyPropertyMaps();
    const QStringList lines = categoryLines(capture.lines, "transition");
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.at(3), QStringLiteral("|   ") + text);
    QCOMPARE(lines.at(4), QStringLiteral("|_Set property \"x\" ") + text);
    QVERIFY(Qt3::equals(f.fsm->state(QStringLiteral("to"))->property("x"), value));

    // The trace is written in Latin-1: the macron is the single byte 0xAF.
    QCOMPARE(lines.at(1).toLatin1(), QByteArray("|\xAFpropertymap"));
}

void tst_PropertyMap::objectsAreCloned()
{
    Fixture f;
    CState* from = f.fsm->state(QStringLiteral("from"));
    auto* thing = new CPropertyObject(nullptr, "thing");
    thing->setProperty("k", QStringLiteral("v"));
    from->setObjectProperty("obj", thing);
    auto* t = new CTransition(f.fsm.get(), "t", QStringLiteral("from"), QStringLiteral("to"),
                              elementOf(QStringLiteral(R"~(<transition><propertymap target="x" function="$obj"/></transition>)~")));
    TraceCapture capture;
    t->applyPropertyMaps();
    t->applyPropertyMaps();

    const QStringList lines = categoryLines(capture.lines, "transition");
    QCOMPARE(lines.mid(3, 2), (QStringList {"|   object name = thing", "|_Set object property \"x\" object name = thing"}));
    CPropertyObject* copy = f.fsm->state(QStringLiteral("to"))->objectProperty("x");
    QVERIFY(copy);
    QVERIFY(copy != thing);
    QCOMPARE(copy->property("k"), QVariant(QStringLiteral("v")));
    // The source keeps its own object, untouched by the second firing.
    QCOMPARE(from->objectProperty("obj"), thing);
}

void tst_PropertyMap::refusedObjectIsFreed()
{
    // "objectName" is a Qt property of every object: the target refuses to hold an object
    // under that name, and the copy made for it must not leak (checked under the sanitizer).
    Fixture f;
    f.fsm->state(QStringLiteral("from"))->setObjectProperty("obj", new CPropertyObject(nullptr, "thing"));
    auto* t = new CTransition(f.fsm.get(), "t", QStringLiteral("from"), QStringLiteral("to"),
                              elementOf(QStringLiteral(R"~(<transition><propertymap target="objectName" function="$obj"/></transition>)~")));
    t->applyPropertyMaps();
    QCOMPARE(f.fsm->state(QStringLiteral("to"))->objectName(), QStringLiteral("to"));
}

void tst_PropertyMap::exitTransitionHasNoToState()
{
    // The exit event is named like a state of the FSM; only the FSM target is set.
    Fixture f;
    auto* t = new CExitTransition(f.fsm.get(), "t", QStringLiteral("from"), QStringLiteral("to"),
                                  elementOf(QStringLiteral(R"~(<transition><propertymap target="x" function="$a"/>)~"
                                                           R"~(<propertymap target="fsm.x" function="$a"/></transition>)~")));
    t->announceSuppliedProperties();
    TraceCapture capture;
    t->applyPropertyMaps();
    CState* to = f.fsm->state(QStringLiteral("to"));
    QVERIFY(!to->hasProperty("x"));
    QVERIFY(to->suppliedProperties().isEmpty());
    QCOMPARE(f.fsm->property("x"), QVariant(QStringLiteral("hello")));
    QVERIFY(categoryLines(capture.lines, "transition").contains(QStringLiteral("    ! Warning ! No target to set property in.")));
}

void tst_PropertyMap::loadErrors_data()
{
    QTest::addColumn<QString>("maps");
    QTest::addColumn<QStringList>("trace");

    QTest::newRow("valid") << R"~(<propertymap target="x" function="1"/>)~" << QStringList();
    QTest::newRow("one invalid") << R"~(<propertymap target="x" function="ADD(1,2)"/>)~"
                                 << QStringList {"  ! Error ! Invalid propertymap.", "Invalid function name: add"};
    // Every invalid map reports the errors of all maps added so far.
    QTest::newRow("two invalid") << R"~(<propertymap target="x" function="'a'b'"/><propertymap target="y" function="1"/>)~"
                                    R"~(<propertymap target="z" function="$a b"/>)~"
                                 << QStringList {"  ! Error ! Invalid propertymap.",
                                                 "Invalid character(s) in constant expression: 'a'b'",
                                                 "  ! Error ! Invalid propertymap.",
                                                 "Invalid character(s) in constant expression: 'a'b'",
                                                 "Invalid character(s) in variable name: $a b"};
}

void tst_PropertyMap::loadErrors()
{
    QFETCH(QString, maps);
    QFETCH(QStringList, trace);

    auto factory = makeFactory();
    const QString xml = QStringLiteral(R"(<fsm><states><state name="s" type="test"/><state name="t" type="test"/></states>
        <events><event name="done"/></events>
        <transitions><transition startstate="s"/>
          <transition fromstate="s" event="next" tostate="t">%1</transition>
          <transition fromstate="t" event="next" toexit="done"/></transitions></fsm>)").arg(maps);
    TraceCapture capture;
    std::unique_ptr<CFsm> fsm(buildFsm(xml, factory.get()));
    QVERIFY(fsm);
    QCOMPARE(categoryLines(capture.lines, "transition"), trace);

    // A transition with a broken map is refused and its errors join the FSM's.
    CState* s = fsm->state(QStringLiteral("s"));
    QCOMPARE(s->hasTransition(QStringLiteral("next")), trace.isEmpty());
    if (!trace.isEmpty())
        QVERIFY(fsm->errors().contains(trace.last() + QLatin1Char('\n')));
}

void tst_PropertyMap::announce_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("map");
    QTest::addColumn<QString>("supplied"); // "to" or "fsm" or "" for nowhere

    QTest::newRow("from-state has the property") << "from" << R"~(target="x" function="$a")~" << "to";
    QTest::newRow("from-state lacks it") << "from" << R"~(target="x" function="concat($a, $b)")~" << "";
    QTest::newRow("from-state announces it") << "iterator" << R"~(target="x" function="$currentItem")~" << "to";
    QTest::newRow("no from-state") << "ghost" << R"~(target="x" function="$a")~" << "";
    QTest::newRow("fsm has it") << "from" << R"~(target="x" function="$fsm.total")~" << "to";
    QTest::newRow("fsm requires it") << "from" << R"~(target="x" function="$fsm.need")~" << "to";
    QTest::newRow("fsm lacks it") << "from" << R"~(target="x" function="$fsm.none")~" << "";
    QTest::newRow("application always") << "ghost" << R"~(target="x" function="$app.any")~" << "to";
    QTest::newRow("no inputs") << "ghost" << R"~(target="x" function="'c'")~" << "to";
    QTest::newRow("fsm target") << "from" << R"~(target="fsm.x" function="$a")~" << "fsm";
    QTest::newRow("application target is not announced") << "from" << R"~(target="app.x" function="$a")~" << "";
    QTest::newRow("invalid map is not announced") << "from" << R"~(target="x" function="nope($a)")~" << "";
}

void tst_PropertyMap::announce()
{
    QFETCH(QString, from);
    QFETCH(QString, map);
    QFETCH(QString, supplied);

    Fixture f;
    CState* to = f.fsm->state(QStringLiteral("to"));
    auto* t = new CTransition(f.fsm.get(), "t", from, QStringLiteral("to"),
                              elementOf(QStringLiteral("<transition><propertymap %1/></transition>").arg(map)));
    const QStringList fsmBefore = f.fsm->suppliedProperties();
    t->announceSuppliedProperties();

    const QStringList expectTo = supplied == QLatin1String("to") ? QStringList {QStringLiteral("x")} : QStringList();
    QCOMPARE(to->suppliedProperties(), expectTo);
    QCOMPARE(to->isAnnouncedProperty(QStringLiteral("x")), supplied == QLatin1String("to"));
    QCOMPARE(f.fsm->suppliedProperties().size() - fsmBefore.size(), supplied == QLatin1String("fsm") ? 1 : 0);
    QCOMPARE(f.fsm->isAnnouncedProperty(QStringLiteral("x")), supplied == QLatin1String("fsm"));
}

QTEST_GUILESS_MAIN(tst_PropertyMap)
#include "tst_propertymap.moc"
