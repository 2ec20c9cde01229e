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
// "plain" an object that is no node, anything else a text constant.
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
        if (text == QLatin1String("plain"))
            return new ObjectParameter(hold(new CPropertyObject(nullptr, "plain")));
        if (text.startsWith(QLatin1Char('/')))
            return new ObjectParameter(hold(new CXPathNode(m_document->findNodes(text).value(0))));
        return new CConstExpression(nullptr, text);
    }

    std::unique_ptr<CFuncExpression> function(const QString& name, const QStringList& parameters)
    {
        QList<CExpression*> list;
        for (const QString& p : parameters)
            list.append(parameter(p));
        return std::unique_ptr<CFuncExpression>(createFunctionExpression(name, list, nullptr));
    }

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

} // namespace

class tst_XmlFunctions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void table_data();
    void table();
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
