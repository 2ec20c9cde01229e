// SPDX-License-Identifier: MIT
#include "xpathfuzz.h"

#include "xml/xpathnode.h"
#include "xml/xpathsearch_p.h"

#include <QDomDocument>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const kDocument =
    "<a x=\"1\"><b id=\"1\" k=\"p\"><name>Joe</name><c id=\"c1\"/></b>"
    "<b id=\"2\" t=\"it's\"><!-- note --><name>it's</name><d><c id=\"c2\"><c/></c></d>text</b>"
    "<?pi data?><x a=\"1\" b=\"2\"/><![CDATA[raw]]></a>";

const QDomDocument& document()
{
    static const QDomDocument doc = [] {
        QDomDocument d;
        if (!d.setContent(QString::fromLatin1(kDocument)))
            std::abort();
        return d;
    }();
    return doc;
}

constexpr qint64 kFuzzBudget = 1 << 20;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "node path invariant broken: %s\n", what);
    std::abort();
}

} // namespace

void fuzzNodePath(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDomDocument& doc = document();
    const QDomNode contexts[] = {doc, doc.documentElement(), doc.documentElement().firstChild(),
                                 doc.documentElement().attributeNode(QStringLiteral("x")), QDomNode()};
    for (const QDomNode& context : contexts) {
        const CXPathNode node(context);
        // A small budget: a path that multiplies its nodes would otherwise spend the whole
        // default budget ten times per input, and only its giving up is of interest here.
        const QList<QDomNode> found = XPathSearch::findNodes(context, node.objectName(), text, kFuzzBudget);
        for (const QDomNode& n : found) {
            // A search never invents nodes: everything it yields belongs to the document.
            if (n.isNull() || (n != doc && n.ownerDocument() != doc))
                fail("a found node is not part of the document");
        }
        // A search is a pure function of the tree.
        if (XPathSearch::findNodes(context, node.objectName(), text, kFuzzBudget) != found)
            fail("the same search gave a different result");
    }
    const CXPathNode element(doc.documentElement().firstChild());
    if (element.matchesExpression(text) != element.matchesExpression(text))
        fail("an expression changed its mind");
    (void)element.matchesPartialExpression(text);
    if (doc.toString(-1) != document().toString(-1))
        fail("a search changed the document");
}
