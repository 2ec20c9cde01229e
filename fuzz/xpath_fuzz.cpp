// SPDX-License-Identifier: MIT
// Node paths and bracket expressions of any shape over a small fixed document: every input
// must evaluate without crashing or hanging.
#include "engine/trace.h"
#include "xml/xpathnode.h"

#include <QDomDocument>
#include <cstddef>
#include <cstdint>

namespace {

const char* const kDocument =
    "<a x=\"1\"><b id=\"1\" k=\"p\"><name>Joe</name><c id=\"c1\"/></b>"
    "<b id=\"2\"><!-- note --><name>it's</name><d><c id=\"c2\"><c/></c></d>text</b>"
    "<x a=\"1\" b=\"2\"/><![CDATA[raw]]></a>";

struct Fixture {
    Fixture()
    {
        Trace::setIncludeFilter(QStringLiteral("^$"));
        Trace::setStderrEnabled(false);
        doc.setContent(QString::fromLatin1(kDocument));
    }
    QDomDocument doc;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture fixture;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const CXPathNode document(fixture.doc);
    const CXPathNode inner(fixture.doc.documentElement().firstChild());
    (void)document.findNodes(text);
    (void)inner.findNodes(text);
    (void)inner.matchesExpression(text);
    (void)inner.matchesPartialExpression(text);
    return 0;
}
