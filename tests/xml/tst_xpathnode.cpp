// SPDX-License-Identifier: MIT
// Node paths against small documents, the node's properties and its edits.
#include "engine/trace.h"
#include "xml/xpathnode.h"
#include "xml/xpathsearch_p.h"

#include <QDomDocument>
#include <QtTest>

namespace {

const char* const kDocument = "<a>\n"
    " <b id=\"1\" k=\"p\"><name>Joe</name><c id=\"c1\"/></b>\n"
    " <b id=\"2\" k=\"q\" color=\"red\"><name>Ann</name><d id=\"d1\"><c id=\"c2\"><c id=\"c3\"/></c></d></b>\n"
    " <b id=\"3\" t=\"it's\" s=\"or and\" u=\"a/b\"><name>it's</name></b>\n"
    " <x id=\"4\" a=\"1\" b=\"2\" c=\"3\"/>\n"
    " <x id=\"5\" a=\"1\" b=\"9\" c=\"3\" e=\"\" band=\"y\"/>\n"
    " <x id=\"6\" a=\"0\" b=\"2\" c=\"9\"/>\n"
    "</a>";

QDomDocument parse(const char* text)
{
    QDomDocument doc;
    if (!doc.setContent(QString::fromUtf8(text)))
        qFatal("test document does not parse");
    return doc;
}

// "doc", "root", "null", or the id of an element.
QDomNode pick(const QDomDocument& doc, const QString& which)
{
    if (which == QLatin1String("doc"))
        return doc;
    if (which == QLatin1String("root"))
        return doc.documentElement();
    if (which == QLatin1String("null"))
        return QDomNode();
    // Pre-order walk of the whole document, independent of the code under test.
    QList<QDomNode> pending {doc.documentElement()};
    while (!pending.isEmpty()) {
        const QDomNode n = pending.takeFirst();
        if (n.toElement().attribute(QStringLiteral("id")) == which)
            return n;
        for (QDomNode c = n.lastChild(); !c.isNull(); c = c.previousSibling())
            pending.prepend(c);
    }
    qFatal("no element with that id");
    return QDomNode();
}

// Each node as its full name, elements with an id followed by "#" and the id.
QString describe(const QList<QDomNode>& nodes)
{
    QStringList out;
    for (const QDomNode& n : nodes) {
        QString s = CXPathNode(n).fullName();
        if (n.isElement() && n.toElement().hasAttribute(QStringLiteral("id")))
            s += QLatin1Char('#') + n.toElement().attribute(QStringLiteral("id"));
        out.append(s);
    }
    return out.join(QLatin1Char(','));
}

QString repeat(const QString& text, int n)
{
    QStringList parts;
    for (int i = 0; i < n; ++i)
        parts.append(text);
    return parts.join(QLatin1Char(','));
}

} // namespace

class tst_XPathNode : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void paths_data();
    void paths();
    void readProperties_data();
    void readProperties();
    void writeProperties();
    void edits();
    void refusedEdits_data();
    void refusedEdits();
    void nodeOutlivesItsDocumentHandle();
    void deepDocument();
    void multiplyingPathGivesUp();
    void traceLines();
    void traceOfLaterSteps_data();
    void traceOfLaterSteps();
    void filteredTraceWritesNothing();
};

void tst_XPathNode::initTestCase()
{
    Trace::setStderrEnabled(false);
    Trace::setIncludeFilter(QStringLiteral(".*"));
    Trace::setExcludeFilter(QString());
}

void tst_XPathNode::paths_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    const QString b3 = QStringLiteral("/a/b#1,/a/b#2,/a/b#3");
    const QString x3 = QStringLiteral("/a/x#4,/a/x#5,/a/x#6");
    // Prefixes
    QTest::newRow("absolute from document") << "doc" << "/a/b" << b3;
    QTest::newRow("absolute from a deep node") << "c3" << "/a/b" << b3;
    QTest::newRow("relative") << "root" << "b/name" << repeat(QStringLiteral("/a/b/name"), 3);
    QTest::newRow("dot slash") << "root" << "./x" << x3;
    QTest::newRow("parent") << "c1" << "../name" << "/a/b/name";
    QTest::newRow("parent of the document") << "doc" << "../a" << "";
    QTest::newRow("second .. is a name") << "c1" << "../../b" << "";
    QTest::newRow("a/../b once per a") << "root" << "b/../x" << repeat(x3, 3);
    QTest::newRow("a//b restarts at the document") << "root" << "b//a" << "/a,/a,/a";
    QTest::newRow("null context") << "null" << "/a" << "";
    // Wildcards and descendants
    QTest::newRow("descendants in pre-order") << "doc" << "//c" << "/a/b/c#c1,/a/b/d/c#c2,/a/b/d/c/c#c3";
    QTest::newRow("descendants below context") << "2" << ".//c" << "/a/b/d/c#c2,/a/b/d/c/c#c3";
    QTest::newRow("descendant wildcard") << "d1" << ".//*" << "/a/b/d/c#c2,/a/b/d/c/c#c3";
    QTest::newRow("wildcard step") << "doc" << "a/*/c" << "/a/b/c#c1";
    QTest::newRow("two wildcard steps") << "root" << "*/*/c" << "/a/b/d/c#c2";
    QTest::newRow("no such name") << "root" << "q" << "";
    // Positions
    QTest::newRow("index") << "root" << "b[2]" << "/a/b#2";
    QTest::newRow("index with blanks") << "root" << "b[ 2 ]" << "/a/b#2";
    QTest::newRow("index 0") << "root" << "b[0]" << "";
    QTest::newRow("index past end") << "root" << "b[9]" << "";
    QTest::newRow("index beyond 64 bits") << "root" << "b[99999999999999999999999]" << "";
    QTest::newRow("first") << "root" << "b[first]" << "/a/b#1";
    QTest::newRow("last with blanks") << "root" << "b[ last ]" << "/a/b#3";
    QTest::newRow("LAST is an expression") << "root" << "b[LAST]" << "";
    QTest::newRow("index then test") << "root" << "b[1][@id='2']" << "";
    QTest::newRow("test then index") << "root" << "b[@id='2'][1]" << "/a/b#2";
    QTest::newRow("blanks between brackets") << "root" << "x[@a='1']  [2]" << "/a/x#5";
    QTest::newRow("index inside a step chain") << "root" << "b[2]/d/c" << "/a/b/d/c#c2";
    // Tests
    QTest::newRow("attribute value") << "root" << "b[@id='2']" << "/a/b#2";
    QTest::newRow("attribute present") << "root" << "b[@t]" << "/a/b#3";
    QTest::newRow("child text") << "root" << "b[name='Joe']" << "/a/b#1";
    QTest::newRow("child present") << "root" << "b[d]" << "/a/b#2";
    QTest::newRow("or") << "root" << "b[@id='1' or @id='3']" << "/a/b#1,/a/b#3";
    QTest::newRow("and") << "root" << "x[@a='1' and @b='2']" << "/a/x#4";
    QTest::newRow("left to right, no precedence") << "root" << "x[@a='0' or @b='2' and @c='3']" << "/a/x#4";
    QTest::newRow("operators in upper case") << "root" << "b[@id='1' OR @id='2']" << "/a/b#1,/a/b#2";
    QTest::newRow("or inside a name splits it") << "root" << "b[@color='red']" << "";
    QTest::newRow("operators inside quotes are text") << "root" << "b[@s='or and']" << "/a/b#3";
    QTest::newRow("escaped quote") << "root" << "b[@t='it\\'s']" << "/a/b#3";
    QTest::newRow("escaped quote in child text") << "root" << "b[name='it\\'s']" << "/a/b#3";
    QTest::newRow("slash in quotes ends the step") << "root" << "b[@u='a/b']" << "";
    QTest::newRow("empty value") << "root" << "x[@e='']" << "/a/x#5";
    QTest::newRow("value among many attributes") << "root" << "x[@b='9']" << "/a/x#5";
    QTest::newRow("and at the end is part of a name") << "root" << "x[@id='4' or @band]" << "/a/x#4,/a/x#5";
    // Attribute steps
    QTest::newRow("attribute step") << "root" << "b/@id" << repeat(QStringLiteral("/a/b/@id"), 3);
    QTest::newRow("every attribute") << "doc" << "a/b/c/@*" << "/a/b/c/@id";
    QTest::newRow("attributes of descendants") << "2" << ".//@id"
                                               << "/a/b/@id,/a/b/d/@id,/a/b/d/c/@id,/a/b/d/c/c/@id";
    QTest::newRow("attribute in the document") << "c3" << "//@t" << "/a/b/@t";
    QTest::newRow("slash after @ is part of the name") << "root" << "b/@id/x" << "";
    // Malformed paths yield fewer nodes or none; a missing "]" only costs the predicate its
    // last character.
    QTest::newRow("empty") << "root" << "" << "";
    QTest::newRow("slash") << "root" << "/" << "";
    QTest::newRow("double slash") << "root" << "//" << "";
    QTest::newRow("lone at") << "root" << "@" << "";
    QTest::newRow("dots") << "root" << ".." << "";
    QTest::newRow("open bracket") << "root" << "b[" << b3;
    QTest::newRow("empty brackets") << "root" << "b[]" << b3;
    QTest::newRow("unclosed index") << "root" << "b[22" << "/a/b#2";
    QTest::newRow("unclosed quote") << "root" << "b[@id='1" << "";
    QTest::newRow("value without quotes") << "root" << "b[@id=1]" << "";
    QTest::newRow("only operators") << "root" << "b[ or and or ]" << "";
    QTest::newRow("brackets only") << "root" << "[[]]" << "";
    QTest::newRow("closing brackets") << "root" << "]]]" << "";
    QTest::newRow("equals only") << "root" << "b[=]" << "";
    QTest::newRow("empty name test") << "root" << "b[@='1']" << "";
    QTest::newRow("quote only") << "root" << "b[']" << "";
    QTest::newRow("backslash before quote") << "root" << "b[@id='\\']" << "";
    QTest::newRow("trailing slash") << "root" << "b/" << b3;
    QTest::newRow("many slashes") << "root" << "///////b" << "";
    QTest::newRow("or at the very end is part of a name") << "root" << "x[@a or]" << "";
    QTest::newRow("blanks inside a test name are skipped") << "root" << "x[@ i d = '4']" << "/a/x#4";
}

void tst_XPathNode::paths()
{
    QFETCH(QString, context);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const QDomDocument doc = parse(kDocument);
    const CXPathNode node(pick(doc, context));
    QCOMPARE(describe(node.findNodes(path)), expected);
}

void tst_XPathNode::readProperties_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("nodeName");
    QTest::addColumn<QString>("nodeValue");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("nodeType");
    QTest::newRow("document") << "doc" << "#document" << "" << "" << 9;
    QTest::newRow("element") << "elem" << "e" << "" << "t1t2" << 1;
    QTest::newRow("attribute") << "attr" << "k" << "v" << "" << 2;
    QTest::newRow("text") << "text" << "#text" << "t1" << "t1" << 3;
    QTest::newRow("comment") << "comment" << "#comment" << " c " << "" << 8;
    QTest::newRow("cdata") << "cdata" << "#cdata-section" << "t2" << "t2" << 4;
}

void tst_XPathNode::readProperties()
{
    QFETCH(QString, which);
    const QDomDocument doc = parse("<e k=\"v\">t1<!-- c --><![CDATA[t2]]></e>");
    QDomElement e = doc.documentElement();
    QDomNode n;
    if (which == QLatin1String("doc"))
        n = doc;
    else if (which == QLatin1String("elem"))
        n = e;
    else if (which == QLatin1String("attr"))
        n = e.attributeNode(QStringLiteral("k"));
    else if (which == QLatin1String("text"))
        n = e.firstChild();
    else if (which == QLatin1String("comment"))
        n = e.firstChild().nextSibling();
    else
        n = e.lastChild();
    const CXPathNode node(n);
    // Through the property interface scripts use.
    QTEST(node.property("nodeName").toString(), "nodeName");
    QTEST(node.objectName(), "nodeName");
    QTEST(node.property("nodeValue").toString(), "nodeValue");
    QTEST(node.property("text").toString(), "text");
    QTEST(node.property("nodeType").toInt(), "nodeType");
    QCOMPARE(node.property("nodeType").typeId(), QMetaType::Int);
    QCOMPARE(node.propertyNames().mid(1, 5),
             QStringList({"fullName", "nodeName", "nodeValue", "text", "nodeType"}));
}

void tst_XPathNode::writeProperties()
{
    QDomDocument doc = parse("<a k=\"v\">one<b>two</b>three<![CDATA[four]]></a>");
    CXPathNode root(doc.documentElement());
    // Setting text on mixed content replaces the text children only and appends the new text.
    QVERIFY(root.setProperty("text", QStringLiteral("new")));
    QCOMPARE(doc.toString(-1), QStringLiteral("<a k=\"v\"><b>two</b>new</a>"));

    CXPathNode attr(doc.documentElement().attributeNode(QStringLiteral("k")));
    attr.setProperty("nodeValue", QStringLiteral("w"));
    attr.setProperty("nodeName", QStringLiteral("renamed"));
    attr.setProperty("text", QStringLiteral("ignored"));
    QCOMPARE(doc.toString(-1), QStringLiteral("<a k=\"w\"><b>two</b>new</a>"));

    root.setProperty("nodeName", QStringLiteral("z"));
    root.setProperty("nodeName", QStringLiteral("not a name"));
    CXPathNode text(doc.documentElement().lastChild());
    text.setProperty("text", QStringLiteral("newer"));
    QCOMPARE(doc.toString(-1), QStringLiteral("<z k=\"w\"><b>two</b>newer</z>"));
    QVERIFY(!root.setProperty("fullName", QStringLiteral("/x")));
}

void tst_XPathNode::edits()
{
    QDomDocument doc = parse("<a><b/><c/></a>");
    CXPathNode root(doc.documentElement());
    const CXPathNode b(root.findNodes(QStringLiteral("b")).first());
    const CXPathNode c(root.findNodes(QStringLiteral("c")).first());

    QVERIFY(root.appendChild(QStringLiteral("d")));
    QVERIFY(root.insertBefore(QStringLiteral("x"), b));
    QVERIFY(root.insertAfter(QStringLiteral("y"), b));
    QVERIFY(root.insertAfter(QStringLiteral("z"), c));
    QCOMPARE(doc.toString(-1), QStringLiteral("<a><x/><b/><y/><c/><z/><d/></a>"));

    CXPathNode(c).setAttribute(QStringLiteral("id"), QStringLiteral("7"));
    QVERIFY(c.hasAttribute(QStringLiteral("id")));
    QCOMPARE(c.attributeNode(QStringLiteral("id"))->nodeValue(), QStringLiteral("7"));
    QVERIFY(root.hasChild(QStringLiteral("y")));
    QVERIFY(!root.hasChild(QStringLiteral("q")));

    // Moving an existing node.
    QVERIFY(CXPathNode(c).appendChild(b));
    QVERIFY(root.removeChild(CXPathNode(root.findNodes(QStringLiteral("x")).first())));
    QCOMPARE(doc.toString(-1), QStringLiteral("<a><y/><c id=\"7\"><b/></c><z/><d/></a>"));
    QCOMPARE(b.parentNode()->nodeName(), QStringLiteral("c"));
    QCOMPARE(b.ownerDocument()->nodeType(), 9);
    QVERIFY(c.nextSibling()->nodeName() == QLatin1String("z"));
    QCOMPARE(b.documentText(), doc.toString());
}

void tst_XPathNode::refusedEdits_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("append a node to itself") << "self";
    QTest::newRow("append an ancestor") << "ancestor";
    QTest::newRow("append a node of another document") << "foreign";
    QTest::newRow("append under a text node") << "underText";
    QTest::newRow("append an attribute") << "attribute";
    QTest::newRow("append an invalid tag name") << "badName";
    QTest::newRow("append a second root element") << "secondRoot";
    QTest::newRow("insert before a non-child") << "beforeStranger";
    QTest::newRow("insert after a non-child") << "afterStranger";
    QTest::newRow("insert before itself") << "beforeSelf";
    QTest::newRow("insert relative to an attribute") << "afterAttribute";
    QTest::newRow("remove a non-child") << "removeStranger";
    QTest::newRow("remove an attribute") << "removeAttribute";
    QTest::newRow("attribute on a text node") << "attributeOnText";
}

void tst_XPathNode::refusedEdits()
{
    QFETCH(QString, edit);
    QDomDocument doc = parse("<a k=\"v\"><b>t<c/></b></a>");
    QDomDocument other = parse("<o/>");
    const QString before = doc.toString(-1);
    CXPathNode a(doc.documentElement());
    CXPathNode b(a.findNodes(QStringLiteral("b")).first());
    CXPathNode c(b.findNodes(QStringLiteral("c")).first());
    CXPathNode text(b.node().firstChild());
    CXPathNode attr(doc.documentElement().attributeNode(QStringLiteral("k")));
    CXPathNode foreign(other.documentElement());

    bool changed = true;
    if (edit == QLatin1String("self"))
        changed = b.appendChild(b);
    else if (edit == QLatin1String("ancestor"))
        changed = c.appendChild(a);
    else if (edit == QLatin1String("foreign"))
        changed = a.appendChild(foreign);
    else if (edit == QLatin1String("underText"))
        changed = text.appendChild(QStringLiteral("q"));
    else if (edit == QLatin1String("attribute"))
        changed = c.appendChild(attr);
    else if (edit == QLatin1String("secondRoot"))
        changed = CXPathNode(doc).appendChild(QStringLiteral("r"));
    else if (edit == QLatin1String("badName"))
        changed = a.appendChild(QStringLiteral("1x"));
    else if (edit == QLatin1String("beforeStranger"))
        changed = a.insertBefore(QStringLiteral("q"), c);
    else if (edit == QLatin1String("afterStranger"))
        changed = a.insertAfter(c, c);
    else if (edit == QLatin1String("beforeSelf"))
        changed = a.insertBefore(b, b);
    else if (edit == QLatin1String("afterAttribute"))
        changed = a.insertAfter(QStringLiteral("q"), attr);
    else if (edit == QLatin1String("removeStranger"))
        changed = a.removeChild(c);
    else if (edit == QLatin1String("removeAttribute"))
        changed = a.removeChild(attr);
    else if (edit == QLatin1String("attributeOnText"))
        changed = text.setAttribute(QStringLiteral("q"), QStringLiteral("1"));
    QVERIFY(!changed);
    QCOMPARE(doc.toString(-1), before);
    QCOMPARE(other.toString(-1), QStringLiteral("<o/>"));
}

void tst_XPathNode::nodeOutlivesItsDocumentHandle()
{
    std::unique_ptr<CXPathNode> inner;
    {
        const QDomDocument doc = parse("<a><b id=\"1\"/></a>");
        inner = std::make_unique<CXPathNode>(doc.documentElement().firstChild());
    }
    std::unique_ptr<CPropertyObject> copy(inner->clone());
    inner.reset();
    auto* node = qobject_cast<CXPathNode*>(copy.get());
    QVERIFY(node);
    QCOMPARE(node->fullName(), QStringLiteral("/a/b"));
    QVERIFY(node->appendChild(QStringLiteral("c")));
    QCOMPARE(node->findNodes(QStringLiteral("/a/b/c")).size(), 1);
    QCOMPARE(node->documentText(), QStringLiteral("<a>\n <b id=\"1\">\n  <c/>\n </b>\n</a>\n"));
}

void tst_XPathNode::deepDocument()
{
    // Build the chain with the DOM; names and the search walk it without recursion.
    const int depth = 5000;
    QDomDocument doc = parse("<n/>");
    QDomNode parent = doc.documentElement();
    for (int i = 1; i < depth; ++i)
        parent = parent.appendChild(doc.createElement(QStringLiteral("n")));
    parent.appendChild(doc.createElement(QStringLiteral("leaf")));
    const CXPathNode root(doc);
    const QList<QDomNode> leaves = root.findNodes(QStringLiteral("//leaf"));
    QCOMPARE(leaves.size(), 1);
    QCOMPARE(CXPathNode(leaves.first()).fullName().size(), depth * 2 + 5);
    QCOMPARE(root.findNodes(QStringLiteral("//n")).size(), depth);
    QCOMPARE(root.findNodes(QStringLiteral("//@x")).size(), 0);

    // A detached subtree has no document to stop at; the name still ends.
    QDomElement loose = doc.createElement(QStringLiteral("z"));
    loose.appendChild(doc.createElement(QStringLiteral("y")));
    QCOMPARE(CXPathNode(loose.firstChild()).fullName(), QStringLiteral("/z/y"));
    QCOMPARE(CXPathNode().fullName(), QString());

    // A long path is walked step by step, not by recursion either.
    QString path = QStringLiteral("/");
    for (int i = 0; i < depth; ++i)
        path += QStringLiteral("n/");
    path += QStringLiteral("leaf");
    QCOMPARE(root.findNodes(path).size(), 1);
}

void tst_XPathNode::multiplyingPathGivesUp()
{
    QDomDocument doc = parse("<a><b/><b/><b/><b/><b/><b/><b/><b/></a>");
    // Every step multiplies the nodes by eight: 8^12 results are never produced.
    QString path = QStringLiteral("/a/b");
    for (int i = 0; i < 11; ++i)
        path += QStringLiteral("/../b");
    QCOMPARE(XPathSearch::findNodes(doc, QStringLiteral("#document"), path, 100000).size(), 0);
    const QString small = QStringLiteral("/a/b/../b/../b");
    QCOMPARE(XPathSearch::findNodes(doc, QStringLiteral("#document"), small, 100000).size(), 512);
    // Within the work budget but beyond the result limit: every result would become an object.
    QCOMPARE(XPathSearch::findNodes(doc, QStringLiteral("#document"), small, 100000, 512).size(), 512);
    QCOMPARE(XPathSearch::findNodes(doc, QStringLiteral("#document"), small, 100000, 511).size(), 0);
}

void tst_XPathNode::traceLines()
{
    QStringList lines;
    Trace::setSink([&lines](const QString& text) { lines += text.split(QLatin1Char('\n'), Qt::SkipEmptyParts); });
    const QDomDocument doc = parse("<a><b id=\"1\"><n>x</n></b><b/></a>");
    const CXPathNode root(doc.documentElement());
    QCOMPARE(root.findNodes(QStringLiteral("b[@id='1' and n='x']")).size(), 1);
    Trace::setSink(nullptr);
    const QString tag = QStringLiteral("[xpath               ]");
    const QStringList expected = {
        tag + "a->findNodes: b[@id='1' and n='x']",
        tag + "a->getElements: b[@id='1' and n='x']",
        tag + "updateMatch with operator 'or' and expression: @id='1'",
        tag + "matchesPartialExpression: @id='1'",
        tag + "checkAttribute name=id value=1",
        tag + "  'matches' is now true",
        tag + "updateMatch with operator 'and' and expression: n='x'",
        tag + "matchesPartialExpression: n='x'",
        tag + "checkChildTextNode tagname=n text=x",
        tag + "  match against child tagname=n text=x",
        tag + "    match!",
        tag + "  'matches' is now true",
        tag + "updateMatch with operator 'or' and expression: @id='1'",
    };
    QCOMPARE(lines.mid(0, expected.size()), expected);
    QCOMPARE(lines.size(), 20);
}

void tst_XPathNode::traceOfLaterSteps_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // lines joined by "|"

    // The rest of a path is evaluated from each candidate in turn, named as the node it starts at.
    QTest::newRow("parent step per candidate") << "b/../x"
                                               << "a->findNodes: b/../x|a->getElements: b/../x"
                                                  "|b->findNodes: ../x|a->getElements: x"
                                                  "|b->findNodes: ../x|a->getElements: x";
    QTest::newRow("double slash restarts at the document") << "b[1]//x"
                                                           << "a->findNodes: b[1]//x|a->getElements: b[1]//x"
                                                              "|b->findNodes: /x|#document->getElements: x";
}

void tst_XPathNode::traceOfLaterSteps()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QStringList lines;
    Trace::setSink([&lines](const QString& text) { lines += text.split(QLatin1Char('\n'), Qt::SkipEmptyParts); });
    const QDomDocument doc = parse("<a><b/><b/><x/></a>");
    CXPathNode(doc.documentElement()).findNodes(path);
    Trace::setSink(nullptr);
    for (QString& line : lines)
        line.remove(0, line.indexOf(QLatin1Char(']')) + 1);
    QCOMPARE(lines.join(QLatin1Char('|')), expected);
}

void tst_XPathNode::filteredTraceWritesNothing()
{
    QStringList lines;
    Trace::setExcludeFilter(QStringLiteral("xpath"));
    Trace::resetForTesting();
    Trace::setSink([&lines](const QString& text) { lines.append(text); });
    const QDomDocument doc = parse(kDocument);
    QCOMPARE(CXPathNode(doc).findNodes(QStringLiteral("//b[name='Joe' or @id='2']")).size(), 2);
    Trace::setSink(nullptr);
    Trace::setExcludeFilter(QString());
    Trace::resetForTesting();
    QCOMPARE(lines, QStringList());
}

QTEST_GUILESS_MAIN(tst_XPathNode)
#include "tst_xpathnode.moc"
