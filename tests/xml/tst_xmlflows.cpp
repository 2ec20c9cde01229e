// SPDX-License-Identifier: MIT
// XML documents handled the way scripts do it: the XML functions in expression texts evaluated
// by property maps, and flows that parse, search and edit a document across states.
#include "engine/trace.h"
#include "plugin/plugin.h"
#include "propertymap/expression.h"
#include "propertymap/functiontable.h"
#include "propertymap/propertymap.h"
#include "xml/xmlfunction.h"
#include "xml/xpathnode.h"
#include "support/flowrunner.h"

#include <QRegularExpression>
#include <QtTest>

using FlowTest::Flow;

namespace {

const char* const kConfig = "<config><server name=\"main\"/><item><name>a</name></item>"
                            "<item><name>b</name></item><item><name>c</name></item></config>";

// The serialised document without its line feeds and indentation.
QString compact(const QString& text)
{
    QString out = text;
    out.remove(QRegularExpression(QStringLiteral("\n\\s*")));
    return out;
}

// The target of an evaluated map: an object as its name and entry names, a value as text.
QString render(const CProperty& target)
{
    if (CPropertyObject* o = target.object()) {
        const QStringList entries = o->objects().names();
        if (entries.isEmpty()) {
            auto* node = qobject_cast<CXPathNode*>(o);
            return node ? QStringLiteral("node ") + node->fullName() : QStringLiteral("object ") + o->objectName();
        }
        return o->objectName() + QLatin1Char(':') + entries.join(QLatin1Char(','));
    }
    return target.value().isValid() ? compact(target.value().toString()) : QStringLiteral("<invalid>");
}

} // namespace

class tst_XmlFlows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void functionTable_data();
    void functionTable();
    void expressions_data();
    void expressions();
    void resultsLiveUntilTheNextEvaluation();
    void parseSearchAndEdit();
};

void tst_XmlFlows::initTestCase()
{
    Trace::setStderrEnabled(qEnvironmentVariableIsSet("XMLFLOWS_TRACE"));
    // The XML functions join the expression language when the plug-in registers its modules.
    delete createFactory(nullptr);
}

void tst_XmlFlows::functionTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("yieldsObject");
    QTest::newRow("findfirstnode") << "findfirstnode" << 2 << true;
    QTest::newRow("findnodes") << "findnodes" << 2 << true;
    QTest::newRow("setattribute") << "setattribute" << 3 << true;
    QTest::newRow("appendchild") << "appendchild" << 2 << true;
    QTest::newRow("removechild") << "removechild" << 2 << true;
    QTest::newRow("insertbefore") << "insertbefore" << 3 << true;
    QTest::newRow("insertafter") << "insertafter" << 3 << true;
    QTest::newRow("xmltostring") << "xmltostring" << 1 << false;
}

void tst_XmlFlows::functionTable()
{
    QFETCH(QString, name);
    QFETCH(int, count);
    QFETCH(bool, yieldsObject);
    for (int n = 0; n <= 4; ++n) {
        QList<CExpression*> parameters;
        for (int i = 0; i < n; ++i)
            parameters.append(new CConstExpression(nullptr, QStringLiteral("x")));
        std::unique_ptr<CFuncExpression> fn(createFunctionExpression(name, parameters, nullptr));
        QVERIFY(dynamic_cast<CXmlFunction*>(fn.get()));
        QCOMPARE(fn->errors(), n == count ? QString()
                                          : QStringLiteral("'%1' function has invalid number of parameters.\n").arg(name));
        // Whether an object comes out is fixed by the function, not by its arguments.
        QCOMPARE(fn->isObject(), yieldsObject);
    }
    QVERIFY(!createFunctionExpression(name.toUpper(), {}, nullptr));
}

void tst_XmlFlows::expressions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("document"); // after evaluation, empty when unchanged

    QTest::newRow("findnodes") << "findnodes($doc, '//item')" << "nodeList:node0,node1,node2" << "";
    QTest::newRow("findnodes, nothing") << "findnodes($doc, '//entry')" << "<invalid>" << "";
    QTest::newRow("findnodes over a list") << "findnodes($items, 'name')" << "nodeList:node0,node1,node2" << "";
    QTest::newRow("findnodes of a search") << "findnodes(findnodes($doc, '//item[name=\\'b\\']'), 'name')"
                                           << "nodeList:node0" << "";
    QTest::newRow("findfirstnode") << "findfirstnode($doc, '/config/server')" << "node /config/server" << "";
    QTest::newRow("findfirstnode of a list") << "findfirstnode($items, 'name')" << "<invalid>" << "";
    QTest::newRow("xmltostring of an inner node") << "xmltostring(findfirstnode($doc, '//name'))"
                                                  << QString::fromLatin1(kConfig) << "";
    // Elements with one attribute only: Qt writes attributes in hash order.
    QTest::newRow("setattribute") << "setattribute(findfirstnode($doc, '//item'), 'port', 8080)"
                                  << "node /config/item"
                                  << "<config><server name=\"main\"/><item port=\"8080\"><name>a</name></item>"
                                     "<item><name>b</name></item><item><name>c</name></item></config>";
    QTest::newRow("appendchild of a second root") << "xmltostring(appendchild($doc, 'x'))"
                                                  << QString::fromLatin1(kConfig) << "";
    QTest::newRow("appendchild to the root")
        << "appendchild(findfirstnode($doc, '/config'), 'entry')" << "node /config"
        << "<config><server name=\"main\"/><item><name>a</name></item><item><name>b</name></item>"
           "<item><name>c</name></item><entry/></config>";
    QTest::newRow("removechild") << "removechild(findfirstnode($doc, '/config'), findfirstnode($doc, '//item'))"
                                 << "node /config"
                                 << "<config><server name=\"main\"/><item><name>b</name></item>"
                                    "<item><name>c</name></item></config>";
    QTest::newRow("insertbefore a non-child")
        << "insertbefore(findfirstnode($doc, '/config'), 'x', findfirstnode($doc, '//name'))" << "node /config" << "";
    QTest::newRow("appendchild moves a node")
        << "appendchild(findfirstnode($doc, '//item'), findfirstnode($doc, '//server'))" << "node /config/item"
        << "<config><item><name>a</name><server name=\"main\"/></item><item><name>b</name></item>"
           "<item><name>c</name></item></config>";
    QTest::newRow("appendchild of an ancestor")
        << "appendchild(findfirstnode($doc, '//name'), findfirstnode($doc, '/config'))" << "node /config/item/name"
        << "";
    QTest::newRow("removechild of a grandchild")
        << "removechild(findfirstnode($doc, '/config'), findfirstnode($doc, '//name'))" << "node /config" << "";
    QTest::newRow("insertbefore")
        << "insertbefore(findfirstnode($doc, '/config'), 'x', findfirstnode($doc, '//server'))" << "node /config"
        << "<config><x/><server name=\"main\"/><item><name>a</name></item><item><name>b</name></item>"
           "<item><name>c</name></item></config>";
    QTest::newRow("insertbefore, no reference")
        << "insertbefore(findfirstnode($doc, '/config'), 'x', $plain)" << "node /config" << "";
    // The new-node parameter is evaluated even when there is nothing to insert it into.
    QTest::newRow("insertbefore, no reference, edit in the new node")
        << "insertbefore(findfirstnode($doc, '/config'), appendchild(findfirstnode($doc, '//server'), 'x'), $plain)"
        << "node /config"
        << "<config><server name=\"main\"><x/></server><item><name>a</name></item><item><name>b</name></item>"
           "<item><name>c</name></item></config>";
    QTest::newRow("insertafter, no parent, edit in the new node")
        << "insertafter($plain, setattribute(findfirstnode($doc, '//item'), 'k', 1), findfirstnode($doc, '//server'))"
        << "<invalid>"
        << "<config><server name=\"main\"/><item k=\"1\"><name>a</name></item><item><name>b</name></item>"
           "<item><name>c</name></item></config>";
    QTest::newRow("insertafter, no parent")
        << "insertafter($plain, 'x', findfirstnode($doc, '//server'))" << "<invalid>" << "";
    QTest::newRow("insertafter an invalid tag name")
        << "insertafter(findfirstnode($doc, '/config'), '1 x', findfirstnode($doc, '//server'))" << "node /config"
        << "";
    QTest::newRow("setattribute, not a node") << "setattribute($plain, 'k', 7)" << "<invalid>" << "";
    QTest::newRow("findnodes, not a node") << "findnodes($plain, 'b')" << "<invalid>" << "";
    QTest::newRow("findnodes, a text") << "findnodes('config', 'item')" << "<invalid>" << "";
    QTest::newRow("xmltostring, not a node") << "xmltostring($plain)" << "<invalid>" << "";
    QTest::newRow("insertafter")
        << "insertafter(findfirstnode($doc, '/config'), findfirstnode($doc, '//server'), findfirstnode($doc, '//item[last]'))"
        << "node /config"
        << "<config><item><name>a</name></item><item><name>b</name></item><item><name>c</name></item>"
           "<server name=\"main\"/></config>";
}

void tst_XmlFlows::expressions()
{
    QFETCH(QString, expression);
    QFETCH(QString, result);
    QFETCH(QString, document);
    QDomDocument doc;
    QVERIFY(doc.setContent(QString::fromLatin1(kConfig)));
    CPropertyObject source;
    source.setObjectProperty("doc", new CXPathNode(doc));
    auto* items = new CPropertyObject(nullptr, "items");
    const QList<QDomNode> found = CXPathNode(doc).findNodes(QStringLiteral("//item"));
    for (int i = 0; i < found.size(); ++i)
        items->setObjectProperty(QByteArray("item" + QByteArray::number(i)).constData(), new CXPathNode(found.at(i)));
    source.setObjectProperty("items", items);
    source.setObjectProperty("plain", new CPropertyObject(nullptr, "plain"));

    CPropertyMap map(nullptr, QStringLiteral("target"), expression);
    QCOMPARE(map.errors(), QString());
    for (CProperty* cell : map.variables())
        cell->setObject(source.objectProperty(cell->name().toLatin1().constData()));
    QVERIFY(map.evaluate());
    QCOMPARE(render(map.targetCell()), result);
    QCOMPARE(doc.toString(-1), document.isEmpty() ? QString::fromLatin1(kConfig) : document);
}

void tst_XmlFlows::resultsLiveUntilTheNextEvaluation()
{
    QDomDocument doc;
    QVERIFY(doc.setContent(QString::fromLatin1(kConfig)));
    CPropertyMap map(nullptr, QStringLiteral("target"), QStringLiteral("findnodes($doc, '//item')"));
    const auto holder = std::make_unique<CXPathNode>(doc);
    map.variables().first()->setObject(holder.get());
    QPointer<CPropertyObject> first = map.expression()->object();
    QVERIFY(first);
    // A stored clone shares the nodes: an edit through it reaches the document.
    std::unique_ptr<CPropertyObject> stored(first->clone());
    QVERIFY(qobject_cast<CXPathNode*>(stored->objectProperty("node1"))->setAttribute(QStringLiteral("k"), QStringLiteral("v")));
    QCOMPARE(CXPathNode(doc).findNodes(QStringLiteral("//item[@k='v']/name")).value(0).toElement().text(),
             QStringLiteral("b"));
    // The function keeps its result until it evaluates again, then replaces it.
    QPointer<CPropertyObject> second = map.expression()->object();
    QVERIFY(!first);
    QVERIFY(second);
}

void tst_XmlFlows::parseSearchAndEdit()
{
    const QString xml = QStringLiteral(
        "<fsm><states>"
        "<state name=\"parse\" type=\"parseXml\"><property key=\"xmlContent\" value=\"%1\"/></state>"
        "<state name=\"find\" type=\"xmlFindNodes\"><property key=\"path\" value=\"/config/item\"/></state>"
        "</states><events><event name=\"many\"/><event name=\"other\"/></events><transitions>"
        "<transition name=\"go\" startstate=\"parse\"/>"
        "<transition name=\"parsed\" fromstate=\"parse\" event=\"finished\" tostate=\"find\">"
        "<propertymap target=\"node\" function=\"$xmlDocument\"/></transition>"
        "<transition name=\"bad\" fromstate=\"parse\" event=\"invalid\" toexit=\"other\"/>"
        "<transition name=\"few\" fromstate=\"find\" event=\"singleFound|noFound\" toexit=\"other\"/>"
        "<transition name=\"found\" fromstate=\"find\" event=\"multipleFound\" toexit=\"many\">"
        "<propertymap target=\"fsm.items\" function=\"$nodeList\"/>"
        "<propertymap target=\"fsm.names\" function=\"findnodes($nodeList, 'name')\"/>"
        "<propertymap target=\"fsm.text\" function=\"xmltostring(setattribute(element($nodeList, 1), 'seen', 'yes'))\"/>"
        "</transition></transitions></fsm>")
                            .arg(QString::fromLatin1(kConfig).toHtmlEscaped());
    Flow flow(xml);
    QVERIFY(flow.fsm());
    QCOMPARE(flow.fsm()->errors(), QString());
    QCOMPARE(flow.run(), QStringLiteral("many"));
    CFsm* fsm = flow.fsm();
    QCOMPARE(fsm->objectProperty("items")->objects().names(), QStringList({"item0", "item1", "item2"}));
    QCOMPARE(fsm->objectProperty("names")->objects().names(), QStringList({"node0", "node1", "node2"}));
    const QString text = compact(fsm->property("text").toString());
    QVERIFY2(text.contains(QLatin1String("<item seen=\"yes\"><name>b</name></item>")), qPrintable(text));
    // The stored clones share the document the edit changed.
    auto* second = qobject_cast<CXPathNode*>(fsm->objectProperty("items")->objectProperty("item1"));
    QVERIFY(second);
    QVERIFY(second->hasAttribute(QStringLiteral("seen")));
}

QTEST_GUILESS_MAIN(tst_XmlFlows)
#include "tst_xmlflows.moc"
