// SPDX-License-Identifier: MIT
// The XML functions of the expression language, built as nodes with their parameters.
#include "engine/trace.h"
#include "propertymap/functiontable.h"
#include "xml/xmlfunctions.h"
#include "xml/xpathnode.h"

#include <QDomDocument>
#include <QtTest>
#include <memory>

namespace {

// A parameter that yields an object the test holds.
class ObjectParameter : public CExpression {
public:
    explicit ObjectParameter(CPropertyObject* object) : CExpression(nullptr), m_object(object) {}
    QVariant value() override { return QVariant(); }
    CPropertyObject* object() override { return m_object; }
    bool isObject() override { return m_object != nullptr; }

private:
    CPropertyObject* m_object;
};

const char* const kDocument = "<a><b id=\"1\"><name>x</name></b><b id=\"2\"><name>y</name></b><c/></a>";

// Parameters written as short texts: "/path" is the node that path finds from the document,
// "list:/path" an object list of the nodes it finds, "plain" an object that is no node,
// "null" a missing parameter, anything else a text constant.
class Fixture {
public:
    Fixture()
    {
        if (!m_doc.setContent(QString::fromLatin1(kDocument)))
            qFatal("test document does not parse");
        m_document = std::make_unique<CXPathNode>(m_doc);
    }

    CExpression* parameter(const QString& text)
    {
        if (text == QLatin1String("null"))
            return nullptr;
        if (text == QLatin1String("plain"))
            return new ObjectParameter(hold(new CPropertyObject(nullptr, "plain")));
        if (text.startsWith(QLatin1String("list:"))) {
            auto* list = new CPropertyObject(nullptr, "nodeList");
            const QList<QDomNode> found = m_document->findNodes(text.mid(5));
            for (int i = 0; i < found.size(); ++i)
                list->setObjectProperty(QByteArray("e" + QByteArray::number(i)).constData(), new CXPathNode(found.at(i)));
            return new ObjectParameter(hold(list));
        }
        if (text.startsWith(QLatin1Char('/'))) {
            const QList<QDomNode> found = m_document->findNodes(text);
            if (found.isEmpty())
                qFatal("parameter path finds nothing");
            return new ObjectParameter(hold(new CXPathNode(found.first())));
        }
        return new CConstExpression(nullptr, text);
    }

    std::unique_ptr<CFuncExpression> function(const QString& name, const QStringList& parameters)
    {
        QList<CExpression*> list;
        for (const QString& p : parameters)
            list.append(parameter(p));
        return std::unique_ptr<CFuncExpression>(createFunctionExpression(name, list, nullptr));
    }

    QString text() const { return m_doc.toString(-1); }
    CPropertyObject* held(int i) const { return m_held.at(i).get(); }
    CXPathNode& document() { return *m_document; }

private:
    CPropertyObject* hold(CPropertyObject* o)
    {
        m_held.emplace_back(o);
        return o;
    }

    QDomDocument m_doc;
    std::unique_ptr<CXPathNode> m_document;
    std::vector<std::unique_ptr<CPropertyObject>> m_held;
};

// Entry names with each entry's full name: "node0=/a/b".
QString describeList(const CPropertyObject* list)
{
    if (!list)
        return QStringLiteral("<null>");
    QStringList out;
    for (int i = 0; i < list->objects().size(); ++i) {
        const auto* node = qobject_cast<const CXPathNode*>(list->objects().objectAt(i));
        out.append(list->objects().nameAt(i) + QLatin1Char('=') + (node ? node->fullName() : QStringLiteral("?")));
    }
    return list->objectName() + QLatin1Char(':') + out.join(QLatin1Char(','));
}

} // namespace

class tst_XmlFunctions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void table_data();
    void table();
    void searches_data();
    void searches();
    void edits_data();
    void edits();
    void xmlToString();
    void editsAreSeenThroughClones();
    void resultsLiveUntilTheNextEvaluation();
};

void tst_XmlFunctions::initTestCase()
{
    Trace::setStderrEnabled(false);
}

void tst_XmlFunctions::table_data()
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

void tst_XmlFunctions::table()
{
    QFETCH(QString, name);
    QFETCH(int, count);
    QFETCH(bool, yieldsObject);
    Fixture f;
    for (int n = 0; n <= 4; ++n) {
        QStringList parameters;
        for (int i = 0; i < n; ++i)
            parameters.append(QStringLiteral("plain"));
        std::unique_ptr<CFuncExpression> fn = f.function(name, parameters);
        QVERIFY(fn);
        QVERIFY(dynamic_cast<CXmlFunction*>(fn.get()));
        const QString expected = n == count ? QString()
                                            : QStringLiteral("'%1' function has invalid number of parameters.\n").arg(name);
        QCOMPARE(fn->errors(), expected);
        // Object parameters are welcome; whether an object comes out does not depend on the call.
        QCOMPARE(fn->isObject(), yieldsObject);
    }
    QVERIFY(!f.function(name.toUpper(), {}));
}

void tst_XmlFunctions::searches_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<QString>("expected");
    QTest::newRow("findnodes from a node") << "findnodes" << QStringList({"/a", "b"})
                                           << "nodeList:node0=/a/b,node1=/a/b";
    QTest::newRow("findnodes from a list") << "findnodes" << QStringList({"list:/a/b", "name"})
                                           << "nodeList:node0=/a/b/name,node1=/a/b/name";
    QTest::newRow("findnodes keeps duplicates") << "findnodes" << QStringList({"list:/a/b", "../c"})
                                                << "nodeList:node0=/a/c,node1=/a/c";
    QTest::newRow("findnodes, nothing found") << "findnodes" << QStringList({"/a", "q"}) << "<null>";
    QTest::newRow("findnodes, no node") << "findnodes" << QStringList({"plain", "b"}) << "<null>";
    QTest::newRow("findnodes, a text") << "findnodes" << QStringList({"a", "b"}) << "<null>";
    QTest::newRow("findnodes, missing path") << "findnodes" << QStringList({"/a", "null"}) << "<null>";
    QTest::newRow("findfirstnode") << "findfirstnode" << QStringList({"/a", "b[@id='2']/name"}) << "/a/b/name";
    QTest::newRow("findfirstnode, first of many") << "findfirstnode" << QStringList({"/a", ".//*"}) << "/a/b";
    QTest::newRow("findfirstnode refuses a list") << "findfirstnode" << QStringList({"list:/a/b", "name"})
                                                  << "<null>";
    QTest::newRow("findfirstnode, nothing found") << "findfirstnode" << QStringList({"/a", "q"}) << "<null>";
}

void tst_XmlFunctions::searches()
{
    QFETCH(QString, name);
    QFETCH(QStringList, parameters);
    QFETCH(QString, expected);
    Fixture f;
    std::unique_ptr<CFuncExpression> fn = f.function(name, parameters);
    CPropertyObject* result = fn->object();
    if (name == QLatin1String("findnodes")) {
        QCOMPARE(describeList(result), expected);
        QVERIFY(!result || result->parent() == nullptr);
    } else {
        auto* node = qobject_cast<CXPathNode*>(result);
        QCOMPARE(node ? node->fullName() : QStringLiteral("<null>"), expected);
    }
    QVERIFY(!fn->value().isValid());
}

void tst_XmlFunctions::edits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("yieldsFirst"); // else null

    const QString same = QString::fromLatin1(kDocument);
    QTest::newRow("setattribute") << "setattribute" << QStringList({"/a/c", "k", "7"})
                                  << "<a><b id=\"1\"><name>x</name></b><b id=\"2\"><name>y</name></b><c k=\"7\"/></a>"
                                  << true;
    QTest::newRow("setattribute replaces") << "setattribute" << QStringList({"/a/b", "id", "9"})
                                           << "<a><b id=\"9\"><name>x</name></b><b id=\"2\"><name>y</name></b><c/></a>"
                                           << true;
    QTest::newRow("setattribute, invalid name") << "setattribute" << QStringList({"/a/c", "1 k", "7"}) << same << true;
    QTest::newRow("setattribute, no node") << "setattribute" << QStringList({"plain", "k", "7"}) << same << false;
    QTest::newRow("appendchild tag") << "appendchild" << QStringList({"/a/c", "entry"})
                                     << "<a><b id=\"1\"><name>x</name></b><b id=\"2\"><name>y</name></b><c><entry/></c></a>"
                                     << true;
    QTest::newRow("appendchild moves a node") << "appendchild" << QStringList({"/a/c", "/a/b"})
                                              << "<a><b id=\"2\"><name>y</name></b><c><b id=\"1\"><name>x</name></b></c></a>"
                                              << true;
    QTest::newRow("appendchild of an ancestor") << "appendchild" << QStringList({"/a/b/name", "/a"}) << same << true;
    QTest::newRow("appendchild, no parent") << "appendchild" << QStringList({"plain", "entry"}) << same << false;
    QTest::newRow("removechild") << "removechild" << QStringList({"/a", "/a/c"})
                                 << "<a><b id=\"1\"><name>x</name></b><b id=\"2\"><name>y</name></b></a>" << true;
    QTest::newRow("removechild of a grandchild") << "removechild" << QStringList({"/a", "/a/b/name"}) << same
                                                 << true;
    QTest::newRow("removechild without child") << "removechild" << QStringList({"/a", "c"}) << same << true;
    QTest::newRow("removechild, no parent") << "removechild" << QStringList({"plain", "/a/c"}) << same << false;
    QTest::newRow("insertbefore tag") << "insertbefore" << QStringList({"/a", "x", "/a/c"})
                                      << "<a><b id=\"1\"><name>x</name></b><b id=\"2\"><name>y</name></b><x/><c/></a>"
                                      << true;
    QTest::newRow("insertbefore node") << "insertbefore" << QStringList({"/a", "/a/c", "/a/b"})
                                       << "<a><c/><b id=\"1\"><name>x</name></b><b id=\"2\"><name>y</name></b></a>"
                                       << true;
    QTest::newRow("insertbefore a non-child") << "insertbefore" << QStringList({"/a", "x", "/a/b/name"}) << same
                                              << true;
    QTest::newRow("insertbefore, no reference") << "insertbefore" << QStringList({"/a", "x", "plain"}) << same
                                                << true;
    QTest::newRow("insertbefore, no parent") << "insertbefore" << QStringList({"plain", "x", "/a/c"}) << same
                                             << false;
    QTest::newRow("insertafter tag") << "insertafter" << QStringList({"/a", "x", "/a/c"})
                                     << "<a><b id=\"1\"><name>x</name></b><b id=\"2\"><name>y</name></b><c/><x/></a>"
                                     << true;
    QTest::newRow("insertafter node") << "insertafter" << QStringList({"/a", "/a/c", "/a/b"})
                                      << "<a><b id=\"1\"><name>x</name></b><c/><b id=\"2\"><name>y</name></b></a>"
                                      << true;
    QTest::newRow("insertafter a non-child") << "insertafter" << QStringList({"/a", "x", "/a/b/name"}) << same
                                             << true;
    QTest::newRow("insertafter an invalid tag") << "insertafter" << QStringList({"/a", "", "/a/c"}) << same << true;
}

void tst_XmlFunctions::edits()
{
    QFETCH(QString, name);
    QFETCH(QStringList, parameters);
    QFETCH(QString, document);
    QFETCH(bool, yieldsFirst);
    Fixture f;
    std::unique_ptr<CFuncExpression> fn = f.function(name, parameters);
    QVERIFY(fn->isObject());
    CPropertyObject* result = fn->object();
    QCOMPARE(f.text(), document);
    // The first parameter's own object comes back, changed in place.
    if (yieldsFirst)
        QCOMPARE(result, f.held(0));
    else
        QCOMPARE(result, nullptr);
}

void tst_XmlFunctions::xmlToString()
{
    Fixture f;
    std::unique_ptr<CFuncExpression> inner = f.function(QStringLiteral("xmltostring"), {QStringLiteral("/a/b/name")});
    const QVariant text = inner->value();
    QCOMPARE(text.typeId(), QMetaType::QString);
    QCOMPARE(text.toString(), f.document().documentText());
    QVERIFY(text.toString().startsWith(QLatin1String("<a>\n <b id=\"1\">")));
    QCOMPARE(inner->object(), nullptr);

    QVERIFY(!f.function(QStringLiteral("xmltostring"), {QStringLiteral("plain")})->value().isValid());
    QVERIFY(!f.function(QStringLiteral("xmltostring"), {QStringLiteral("text")})->value().isValid());

    // A nested call reads the document its inner call found a node of.
    QList<CExpression*> search {f.parameter(QStringLiteral("/a")), f.parameter(QStringLiteral(".//name"))};
    QList<CExpression*> outer {createFunctionExpression(QStringLiteral("findfirstnode"), search, nullptr)};
    std::unique_ptr<CFuncExpression> nested(createFunctionExpression(QStringLiteral("xmltostring"), outer, nullptr));
    QCOMPARE(nested->value().toString(), f.document().documentText());
}

void tst_XmlFunctions::editsAreSeenThroughClones()
{
    Fixture f;
    std::unique_ptr<CFuncExpression> find = f.function(QStringLiteral("findnodes"), {QStringLiteral("/a"), QStringLiteral("b")});
    std::unique_ptr<CPropertyObject> stored(find->object()->clone());
    auto* second = qobject_cast<CXPathNode*>(stored->objectProperty("node1"));
    QVERIFY(second);
    QVERIFY(second->setAttribute(QStringLiteral("seen"), QStringLiteral("yes")));
    QCOMPARE(f.document().findNodes(QStringLiteral("/a/b[@seen='yes']/@id")).size(), 1);
    QCOMPARE(CXPathNode(f.document().findNodes(QStringLiteral("/a/b[@seen='yes']/@id")).first()).nodeValue(),
             QStringLiteral("2"));
}

void tst_XmlFunctions::resultsLiveUntilTheNextEvaluation()
{
    Fixture f;
    std::unique_ptr<CFuncExpression> find = f.function(QStringLiteral("findnodes"), {QStringLiteral("/a"), QStringLiteral("b")});
    QPointer<CPropertyObject> first = find->object();
    QVERIFY(first);
    QCOMPARE(first->objects().size(), 2);
    QPointer<CPropertyObject> second = find->object();
    QVERIFY(!first);
    QVERIFY(second);
    find.reset();
    QVERIFY(!second);
}

QTEST_GUILESS_MAIN(tst_XmlFunctions)
#include "tst_xmlfunctions.moc"
