// SPDX-License-Identifier: MIT
// The node path search against a plain walk over the same document: a descendant search
// with an attribute test should cost a small constant factor over visiting every element.
#include "bench.h"
#include "xml/xpathnode.h"

#include <QDomDocument>
#include <algorithm>

namespace {

QDomDocument buildDocument(int elements)
{
    QDomDocument doc;
    doc.setContent(QStringLiteral("<list/>"));
    QDomElement root = doc.documentElement();
    for (int i = 1; i < elements; ++i) {
        QDomElement item = doc.createElement(QStringLiteral("item"));
        item.setAttribute(QStringLiteral("id"), i == elements / 2 ? QStringLiteral("k") : QString::number(i));
        root.appendChild(item);
    }
    return doc;
}

// Visits every element once in document order, handing each to `visit`.
template <class Visit>
Q_NEVER_INLINE int walk(const QDomNode& top, Visit visit)
{
    int elements = 0;
    QDomNode node = top.firstChild();
    while (!node.isNull()) {
        if (node.isElement())
            elements += visit(node);
        if (node.hasChildNodes()) {
            node = node.firstChild();
            continue;
        }
        QDomNode next = node.nextSibling();
        while (next.isNull()) {
            node = node.parentNode();
            if (node.isNull() || node == top)
                return elements;
            next = node.nextSibling();
        }
        node = next;
    }
    return elements;
}

template <class F>
double bestOf(int runs, F work)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const double start = Bench::now();
        work();
        best = std::min(best, Bench::now() - start);
    }
    return best;
}

const Bench::Register ratio("xpath.ratio", [] {
    const QDomDocument doc = buildDocument(100000);
    const CXPathNode document(doc);
    int visited = 0;
    qsizetype found = 0;
    const double walkSeconds = bestOf(7, [&] { visited = walk(doc, [](const QDomNode&) { return 1; }); });
    const double searchSeconds = bestOf(7, [&] { found = document.findNodes(QStringLiteral("//item[@id='k']")).size(); });
    if (visited != 100000 || found != 1)
        qFatal("xpath.ratio: the document is not what the figure expects");
    const double namesSeconds = bestOf(7, [&] { found = document.findNodes(QStringLiteral("//item")).size(); });
    // The least any attribute test can cost through the DOM: the walk plus the value of each
    // element's first attribute, without even looking at its name. The search cannot beat it.
    const QString wanted = QStringLiteral("k");
    int floorFound = 0;
    const double floorSeconds = bestOf(7, [&] {
        floorFound = walk(doc, [&](const QDomNode& node) { return int(node.attributes().item(0).nodeValue() == wanted); });
    });
    if (floorFound != 1)
        qFatal("xpath.ratio: the attribute floor found %d elements", floorFound);
    Bench::report(QStringLiteral("xpath.walk_ms"), walkSeconds * 1000, QStringLiteral("ms"));
    Bench::report(QStringLiteral("xpath.attribute_floor_ms"), floorSeconds * 1000, QStringLiteral("ms"));
    Bench::report(QStringLiteral("xpath.names_only_ms"), namesSeconds * 1000, QStringLiteral("ms"));
    Bench::report(QStringLiteral("xpath.search_ms"), searchSeconds * 1000, QStringLiteral("ms"));
    Bench::report(QStringLiteral("xpath.ratio"), searchSeconds / walkSeconds, QStringLiteral("x"));
    Bench::report(QStringLiteral("xpath.floor_ratio"), floorSeconds / walkSeconds, QStringLiteral("x"));
    Bench::report(QStringLiteral("xpath.search_over_floor"), searchSeconds / floorSeconds, QStringLiteral("x"));
});

} // namespace
