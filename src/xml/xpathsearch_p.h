// SPDX-License-Identifier: MIT
#pragma once
// The evaluator behind CXPathNode's node paths. A path is parsed step by step into small
// compiled forms, each once per search, so a step applied to many context nodes and a
// predicate tested on many candidates cost no parsing per node.
#include <QDomNode>
#include <QList>
#include <QString>

namespace XPathSearch {

// One term of a bracket expression: an attribute or a child test, with or without a value.
struct Term {
    QString text; // as written, stripped; for the trace
    bool empty = true;
    bool attribute = false;
    QString name;
    bool hasEquals = false;
    bool valueFound = false; // "=" followed by a complete quoted value
    QString value;
};

struct ChainLink {
    bool isAnd = false;
    Term term;
};

// A bracket expression: terms joined left to right by "or" / "and", no precedence.
using Expression = QList<ChainLink>;

Term compileTerm(const QString& term);
Expression compileExpression(const QString& expression);

// Whether the "xpath" trace category passes the filters.
bool tracing();

// `trace`: whether to write the trace lines, decided once by the caller, so a search over
// many nodes pays nothing per node for a filtered category.
bool matches(const Term& term, const QDomNode& node, bool trace);
bool matches(const Expression& expression, const QDomNode& node, bool trace);

// The work a search may do (nodes visited plus nodes kept) before it gives up. Paths whose
// steps multiply their context nodes grow without limit, because duplicates are kept. The
// budget lets a plain search cover a document of millions of elements, while a search that
// spends all of it holds up its flow for about half a second.
constexpr qint64 kDefaultWorkBudget = qint64(8) * 1024 * 1024;
// The most nodes a search may yield. Callers make an object of every node found, hundreds of
// bytes each, so a short path that multiplies its nodes within the work budget could still
// take all memory once its results are handed on.
constexpr qint64 kDefaultResultLimit = qint64(1) << 20;

// Evaluates the path with the node as context. contextName is the name the context node goes
// by in the trace. A search that exceeds the budget or the result limit yields nothing.
QList<QDomNode> findNodes(const QDomNode& context, const QString& contextName, const QString& path,
                          qint64 workBudget = kDefaultWorkBudget, qint64 resultLimit = kDefaultResultLimit);

} // namespace XPathSearch
