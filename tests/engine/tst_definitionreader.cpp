// A definition read in one pass must build the same FSM as the same text parsed into a DOM.
#include "teststates.h"

#include "engine/definitionreader.h"
#include "engine/transition.h"
#include "engine/xmldepth.h"

#include <QDomDocument>
#include <QtTest>

namespace {

// Everything a build leaves behind that a run or a host can see.
QStringList describe(CFsm* fsm)
{
    QStringList out;
    out << QStringLiteral("errors=") + fsm->errors();
    out << QStringLiteral("events=") + fsm->events().join(QLatin1Char(','));
    out << QStringLiteral("navigation=") + fsm->navigation().join(QLatin1Char('|'));
    out << QStringLiteral("own=") + fsm->config().join(QLatin1Char(','));
    for (const CTransitionRecord& t : fsm->transitionTable())
        out << QStringLiteral("t:%1 %2 %3 %4").arg(t.fromState, t.event, t.target, t.kind);
    for (CState* s : fsm->states()) {
        out << QStringLiteral("s:%1 type=%2 weight=%3 props=%4 required=%5")
                   .arg(s->objectName(), s->typeName())
                   .arg(s->weight())
                   .arg(s->config().join(QLatin1Char(',')), s->requiredProperties().join(QLatin1Char(',')));
        if (CFsm* sub = qobject_cast<CFsm*>(s))
            out += describe(sub);
    }
    return out;
}

} // namespace

class TestDefinitionReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { isolateUserFolders(); }

    void sameFsmAsTheDom_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::newRow("chain") << QStringLiteral(
            "<fsm><states><state name='a' type='test' weight='2'/><state name='b' type='test'/></states>"
            "<events><event name='done'/></events><transitions><transition startstate='a'/>"
            "<transition fromstate='a' event='next' tostate='b' name='t1'/><transition fromstate='b' event='next' toexit='done'/>"
            "</transitions></fsm>");
        QTest::newRow("properties, system elements, entities, comments") << QStringLiteral(
            "<?xml version='1.0'?>\n<!-- head -->\n<fsm type='fsm' weight='3'>\n"
            "  <property key='own' value='a &amp; b'/>\n  <system type='common'><property key='common' value='c'/></system>\n"
            "  <system type='win7'><property key='never' value='x'/></system>\n"
            "  <states>\n    <!-- a comment -->\n"
            "    <state name='a' type='test' navigation='First page' weight='1'>\n"
            "      <property key='events' value='next;other'/><property key='req' required='yes'/>\n"
            "      <system type='common'><property key='deep' value='&lt;d&gt;'/></system>\n    </state>\n"
            "    <state name='b' type='test'>   </state>\n"
            "    <group><state name='hidden' type='test'/></group>\n"
            "  </states>\n  <states><state name='second' type='test'/></states>\n"
            "  <events><event name='done'/><event name='other'/></events>\n"
            "  <transitions>\n    <transition startstate='a'/>\n"
            "    <transition fromstate='a' event='next' tostate='b'><![CDATA[ text ]]></transition>\n"
            "    <transition fromstate='a' event='other' toexit='other'/>\n"
            "    <transition fromstate='b' event='next' toexit='done'/>\n"
            "    <transition fromstate='b' event='next' toexit='done'/>\n"
            "  </transitions>\n</fsm>\n");
        QTest::newRow("errors") << QStringLiteral(
            "<fsm><states><state name='a' type='test'/><state name='a' type='test'/><state name='n'/>"
            "<state name='u' type='unknownType'/></states>"
            "<transitions><transition fromstate='a' event='next' tostate='nowhere'/><transition/></transitions></fsm>");
        QTest::newRow("self-closing root") << QStringLiteral("<fsm weight='1'/>");
        // Without namespace processing a prefix is part of the name: "x:state" is no state.
        QTest::newRow("prefixed names are other elements") << QStringLiteral(
            "<fsm xmlns:x='urn:x'><x:states><state name='p' type='test'/></x:states>"
            "<states><state name='a' type='test'/><x:state name='b' type='test'/></states>"
            "<events><x:event name='other'/><event name='done'/></events><transitions><transition startstate='a'/>"
            "<x:transition fromstate='a' event='next' toexit='other'/><transition fromstate='a' event='next' toexit='done'/>"
            "</transitions></fsm>");
    }

    void sameFsmAsTheDom()
    {
        QFETCH(QString, xml);
        auto factory = makeTestFactory();

        QDomDocument doc;
        QVERIFY(doc.setContent(xml, false));
        std::unique_ptr<CState> fromDom(factory->createState(QStringLiteral("fsm"), doc.documentElement(), nullptr,
                                                             QStringLiteral("root")));

        CDefinition definition;
        QCOMPARE(definition.read(xml), CDefinition::Ok);
        std::unique_ptr<CState> fromReader;
        {
            CDefinitionScope scope(&definition);
            fromReader.reset(factory->createState(QStringLiteral("fsm"), definition.root, nullptr, QStringLiteral("root")));
        }
        QCOMPARE(describe(qobject_cast<CFsm*>(fromReader.get())), describe(qobject_cast<CFsm*>(fromDom.get())));
    }

    void itemsWithoutChildrenHaveNoDom()
    {
        CDefinition definition;
        QCOMPARE(definition.read(QStringLiteral(
                     "<fsm><states><state name='a' type='t'/><state name='b' type='t'><property key='k' value='v'/></state>"
                     "</states></fsm>")),
                 CDefinition::Ok);
        QCOMPARE(definition.states.size(), 2);
        QVERIFY(definition.states.at(0).element.isNull());
        QCOMPARE(definition.states.at(0).attribute(QStringLiteral("name")), QStringLiteral("a"));
        QCOMPARE(definition.states.at(1).element.firstChildElement().attribute(QStringLiteral("value")), QStringLiteral("v"));
    }

    // The stream reader lets a NUL character through in an attribute name; the item must still
    // find exactly the attributes the element has.
    void attributeNamesMayHoldAnyCharacter()
    {
        QXmlStreamAttributes attributes;
        attributes.append(QStringLiteral("a") + QChar(0), QStringLiteral("x"));
        attributes.append(QStringLiteral("b"), QStringLiteral("y"));
        attributes.append(QString(), QString());
        CDefinitionItem item;
        item.setAttributes(attributes);
        QCOMPARE(item.attribute(QStringLiteral("x")), QString());
        QCOMPARE(item.attribute(QStringLiteral("a") + QChar(0)), QStringLiteral("x"));
        QCOMPARE(item.attribute(QStringLiteral("b")), QStringLiteral("y"));
        QCOMPARE(item.attribute(QStringLiteral("weight")), QString());
    }

    void entitiesOfADocumentTypeApply()
    {
        CDefinition definition;
        QCOMPARE(definition.read(QStringLiteral("<!DOCTYPE fsm [<!ENTITY e 'expanded'>]>"
                                                "<fsm><states><state name='&e;' type='t'/></states></fsm>")),
                 CDefinition::Ok);
        QCOMPARE(definition.states.size(), 1);
        QCOMPARE(definition.states.at(0).attribute(QStringLiteral("name")), QStringLiteral("expanded"));
    }

    void results_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<int>("result");
        QTest::newRow("not xml") << QStringLiteral("<fsm><states>") << int(CDefinition::ParseError);
        QTest::newRow("mismatched tags") << QStringLiteral("<fsm></states>") << int(CDefinition::ParseError);
        QTest::newRow("other root") << QStringLiteral("<machine/>") << int(CDefinition::NoRoot);
        QTest::newRow("prefixed root") << QStringLiteral("<x:fsm xmlns:x='urn:x'/>") << int(CDefinition::NoRoot);
        QTest::newRow("empty") << QString() << int(CDefinition::ParseError);
        QTest::newRow("doctype") << QStringLiteral("<!DOCTYPE fsm [<!ENTITY e 'x'>]><fsm/>") << int(CDefinition::Ok);
        QTest::newRow("doctype, other root") << QStringLiteral("<!DOCTYPE m><m/>") << int(CDefinition::NoRoot);
        QTest::newRow("doctype, broken") << QStringLiteral("<!DOCTYPE fsm><fsm>") << int(CDefinition::ParseError);
        // Inside a state, as the pieces read as DOM are where the depth cost.
        const auto nested = [](int depth, const QString& prolog) {
            const int inner = depth - 3; // fsm, states and state are the first three levels
            return prolog + QStringLiteral("<fsm><states><state name='s' type='test'>") + QStringLiteral("<a>").repeated(inner)
                + QStringLiteral("</a>").repeated(inner) + QStringLiteral("</state></states></fsm>");
        };
        QTest::newRow("nested to the limit") << nested(kMaxXmlDepth, QString()) << int(CDefinition::Ok);
        QTest::newRow("nested too deep") << nested(kMaxXmlDepth + 1, QString()) << int(CDefinition::ParseError);
        QTest::newRow("doctype, nested too deep") << nested(kMaxXmlDepth + 1, QStringLiteral("<!DOCTYPE fsm>"))
                                                  << int(CDefinition::ParseError);
    }

    void results()
    {
        QFETCH(QString, xml);
        QFETCH(int, result);
        CDefinition definition;
        QCOMPARE(int(definition.read(xml)), result);
        if (result == CDefinition::ParseError)
            QVERIFY(!definition.errorString.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDefinitionReader)
#include "tst_definitionreader.moc"
