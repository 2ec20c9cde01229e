// SPDX-License-Identifier: MIT
// The "parseXml" and "xmlFindNodes" states, created by the "generic" factory and run by an FSM.
#include "engine/trace.h"
#include "xml/parsexmlstate.h"
#include "engine/xmldepth.h"
#include "xml/xmlfindnodesstate.h"
#include "xml/xpathnode.h"
#include "support/flowrunner.h"

#include <QRegularExpression>
#include <QtTest>

using FlowTest::Flow;
using FlowTest::propertyElement;
using FlowTest::singleStateFlow;

namespace {

const QStringList kParseEvents = {QStringLiteral("finished"), QStringLiteral("invalid")};
const QStringList kFindEvents = {QStringLiteral("multipleFound"), QStringLiteral("singleFound"),
                                 QStringLiteral("noFound")};

QStringList objectNames(const CPropertyObject* o)
{
    return o ? o->objects().names() : QStringList {QStringLiteral("<none>")};
}

} // namespace

class tst_XmlStates : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void declarations();
    void parseXml_data();
    void parseXml();
    void parseKeepsOtherOutputs();
    void findNodes_data();
    void findNodes();
};

void tst_XmlStates::initTestCase()
{
    Trace::setStderrEnabled(false);
}

void tst_XmlStates::declarations()
{
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    std::unique_ptr<CState> parse(factory->createState(QStringLiteral("parseXml"), QDomNode(), nullptr, "p"));
    std::unique_ptr<CState> find(factory->createState(QStringLiteral("xmlFindNodes"), QDomNode(), nullptr, "f"));
    QVERIFY(qobject_cast<CParseXmlState*>(parse.get()));
    QVERIFY(qobject_cast<CXmlFindNodesState*>(find.get()));
    QCOMPARE(parse->events(), kParseEvents);
    QCOMPARE(parse->requiredProperties(), QStringList {"xmlContent"});
    QCOMPARE(parse->announcedProperties(), QStringList({"xmlDocument", "error"}));
    QCOMPARE(find->events(), kFindEvents);
    QCOMPARE(find->requiredProperties(), QStringList({"node", "path"}));
    QCOMPARE(find->announcedProperties(), QStringList {"nodeList"});
}

void tst_XmlStates::parseXml_data()
{
    QTest::addColumn<QString>("properties");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QString>("error"); // a pattern for "error" after an invalid text

    QTest::newRow("well formed") << propertyElement("xmlContent", "<a><b/></a>") << "finished" << "";
    QTest::newRow("with declaration") << propertyElement("xmlContent", "<?xml version=\"1.0\"?><a/>") << "finished"
                                      << "";
    QTest::newRow("unclosed") << propertyElement("xmlContent", "<a>") << "invalid"
                              << "^Parse error on line 1, column \\d+: \\S.*";
    QTest::newRow("second line") << propertyElement("xmlContent", "<a>\n<b></a>") << "invalid"
                                 << "^Parse error on line 2, column \\d+: \\S.*";
    QTest::newRow("not xml") << propertyElement("xmlContent", "hello") << "invalid" << "^Parse error on line 1, ";
    QTest::newRow("missing content") << "" << "invalid" << "^Parse error on line \\d+, column \\d+: ";
    // Qt's DOM builds deep trees in quadratic time, with the event loop held up meanwhile.
    const QString deep = QStringLiteral("<a>").repeated(kMaxXmlDepth + 1) + QStringLiteral("</a>").repeated(kMaxXmlDepth + 1);
    QTest::newRow("nested too deep") << propertyElement("xmlContent", deep) << "invalid"
                                     << "^Parse error on line 1, column \\d+: elements are nested deeper than 1024 levels$";
    const QString deepest = QStringLiteral("<a>").repeated(kMaxXmlDepth) + QStringLiteral("</a>").repeated(kMaxXmlDepth);
    QTest::newRow("nested to the limit") << propertyElement("xmlContent", deepest) << "finished" << "";
}

void tst_XmlStates::parseXml()
{
    QFETCH(QString, properties);
    QFETCH(QString, exit);
    QFETCH(QString, error);
    Flow flow(singleStateFlow(QStringLiteral("parseXml"), properties, kParseEvents));
    QVERIFY(flow.fsm());
    QCOMPARE(flow.run(), exit);
    CState* s = flow.state(QStringLiteral("s"));
    auto* document = qobject_cast<CXPathNode*>(s->objectProperty("xmlDocument"));
    if (exit == QLatin1String("invalid")) {
        QVERIFY(!document);
        const QString text = s->property("error").toString();
        QVERIFY2(QRegularExpression(error).match(text).hasMatch(), qPrintable(text));
        return;
    }
    QVERIFY(document);
    QCOMPARE(document->property("nodeName").toString(), QStringLiteral("#document"));
    QCOMPARE(document->property("nodeType").toInt(), 9);
    QCOMPARE(document->property("fullName").toString(), QString());
    QVERIFY(!s->property("error").isValid());
}

void tst_XmlStates::parseKeepsOtherOutputs()
{
    Flow flow(singleStateFlow(QStringLiteral("parseXml"), propertyElement("xmlContent", "<a>"), kParseEvents));
    CState* s = flow.state(QStringLiteral("s"));
    auto* earlier = new CXPathNode();
    earlier->setObjectName(QStringLiteral("earlier"));
    s->setObjectProperty("xmlDocument", earlier);
    QCOMPARE(flow.run(), QStringLiteral("invalid"));
    QCOMPARE(s->objectProperty("xmlDocument"), earlier);

    Flow good(singleStateFlow(QStringLiteral("parseXml"), propertyElement("xmlContent", "<a/>"), kParseEvents));
    CState* g = good.state(QStringLiteral("s"));
    g->setProperty("error", QStringLiteral("earlier"));
    g->setObjectProperty("xmlDocument", new CXPathNode());
    QCOMPARE(good.run(), QStringLiteral("finished"));
    QCOMPARE(g->property("error").toString(), QStringLiteral("earlier"));
    QCOMPARE(g->objectProperty("xmlDocument")->objectName(), QStringLiteral("#document"));
}

void tst_XmlStates::findNodes_data()
{
    // A path from the document to the node given as "node"; "-" gives none, "plain" an
    // object that is no node. Without a usable node the earlier "nodeList" stays.
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("several") << "" << "/a/b" << "multipleFound" << QStringList({"b0", "b1"});
    QTest::newRow("one of several") << "" << "/a/b[2]" << "singleFound" << QStringList {"b0"};
    QTest::newRow("none") << "" << "/a/c" << "noFound" << QStringList();
    QTest::newRow("the same node twice") << "/a/b[1]" << "../b/../b[2]" << "multipleFound"
                                         << QStringList({"b0", "b1"});
    QTest::newRow("mixed names keep positions") << "/a" << "*" << "multipleFound"
                                                << QStringList({"b0", "b1", "d2"});
    QTest::newRow("attributes") << "" << "//@id" << "multipleFound" << QStringList({"id0", "id1"});
    QTest::newRow("malformed path") << "/a" << "b[@id='1" << "noFound" << QStringList();
    QTest::newRow("no node") << "-" << "//b" << "noFound" << QStringList {"earlier"};
    QTest::newRow("node of the wrong class") << "plain" << "//b" << "noFound" << QStringList {"earlier"};
}

void tst_XmlStates::findNodes()
{
    QFETCH(QString, context);
    QFETCH(QString, path);
    QFETCH(QString, exit);
    QFETCH(QStringList, names);
    QDomDocument doc;
    QVERIFY(doc.setContent(QStringLiteral("<a><b id=\"1\"/><b id=\"2\"/><d/></a>")));
    const CXPathNode document(doc);
    const QDomNode start = context.isEmpty() ? QDomNode(doc) : document.findNodes(context).value(0);

    Flow flow(singleStateFlow(QStringLiteral("xmlFindNodes"), propertyElement("path", path), kFindEvents));
    CState* s = flow.state(QStringLiteral("s"));
    auto* earlier = new CPropertyObject(nullptr, "nodeList");
    earlier->setObjectProperty("earlier", new CPropertyObject);
    s->setObjectProperty("nodeList", earlier);
    if (context == QLatin1String("plain"))
        s->setObjectProperty("node", new CPropertyObject(nullptr, "b"));
    else if (context != QLatin1String("-"))
        s->setObjectProperty("node", new CXPathNode(start));
    QCOMPARE(flow.run(), exit);
    const CPropertyObject* list = s->objectProperty("nodeList");
    QVERIFY(list);
    QCOMPARE(list->objectName(), QStringLiteral("nodeList"));
    QCOMPARE(list->parent(), nullptr);
    QCOMPARE(objectNames(list), names);
    // The entries share their nodes with the document the caller holds.
    if (!names.isEmpty() && names.first() != QLatin1String("earlier")) {
        auto* first = qobject_cast<CXPathNode*>(list->objects().objectAt(0));
        QVERIFY(first);
        QCOMPARE(first->node().ownerDocument(), doc);
    }
}

QTEST_GUILESS_MAIN(tst_XmlStates)
#include "tst_xmlstates.moc"
