// SPDX-License-Identifier: MIT
// Walking a node path. The path is taken apart one step at a time; every step is applied to
// each context node, and the rest of the path is evaluated again from each candidate, with
// the prefix rules of a whole path. The evaluation keeps its own stack (documents and paths
// may be deep) and visits candidates in the order a recursive evaluation would, so results
// and trace lines come out in that order.
#include "xml/xpathsearch_p.h"

#include "engine/trace.h"

#include <QDomElement>
#include <QDomNamedNodeMap>
#include <QHash>
#include <vector>

namespace XPathSearch {
namespace {

const char* const kCategory = "xpath";

struct Predicate {
    enum Kind { Position, First, Last, Test };
    Kind kind = Test;
    qulonglong position = 0; // 1-based; 0 selects nothing
    Expression test;
};

// One step of a path, parsed from the position where getElements starts.
struct Step {
    bool descendant = false;
    bool attribute = false;
    QString name;
    QList<Predicate> predicates;
    int rest = -1; // offset of the rest of the path, -1 when this is the last step
};

Predicate compilePredicate(const QString& text)
{
    Predicate p;
    const QString t = text.trimmed();
    bool digits = !t.isEmpty();
    for (QChar c : t)
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (digits) {
        p.kind = Predicate::Position;
        bool ok = false;
        p.position = t.toULongLong(&ok);
        if (!ok)
            p.position = 0; // beyond any list
    } else if (t == QLatin1String("first")) {
        p.kind = Predicate::First;
    } else if (t == QLatin1String("last")) {
        p.kind = Predicate::Last;
    } else {
        p.test = compileExpression(text);
    }
    return p;
}

// Splits "a][b] [c" at every "]" + blanks + "[", dropping empty pieces.
QStringList splitPredicates(const QString& text)
{
    QStringList pieces;
    int start = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char(']'))
            continue;
        int j = i + 1;
        while (j < text.size() && text.at(j).isSpace())
            ++j;
        if (j < text.size() && text.at(j) == QLatin1Char('[')) {
            pieces.append(text.mid(start, i - start));
            start = j + 1;
            i = j;
        }
    }
    pieces.append(text.mid(start));
    pieces.removeAll(QString());
    return pieces;
}

Step parseStep(const QString& path, int at)
{
    Step step;
    if (at < path.size() && path.at(at) == QLatin1Char('/')) {
        step.descendant = true;
        ++at;
    }
    if (at < path.size() && path.at(at) == QLatin1Char('@')) {
        step.attribute = true;
        step.name = path.mid(at + 1);
        return step;
    }
    const int slash = int(path.indexOf(QLatin1Char('/'), at));
    const int end = slash < 0 ? int(path.size()) : slash;
    if (slash >= 0 && slash + 1 < path.size())
        step.rest = slash + 1;
    const int bracket = int(path.indexOf(QLatin1Char('['), at));
    if (bracket < 0 || bracket >= end) {
        step.name = path.mid(at, end - at);
        return step;
    }
    step.name = path.mid(at, bracket - at);
    // The step's last character is taken to be the closing bracket, whatever it is.
    const int textLength = qMax(0, end - 1 - (bracket + 1));
    const QStringList texts = splitPredicates(path.mid(bracket + 1, textLength));
    for (const QString& text : texts)
        step.predicates.append(compilePredicate(text));
    return step;
}

class Search {
public:
    Search(const QString& path, qint64 budget, qint64 resultLimit)
        : m_path(path), m_budget(budget), m_resultLimit(resultLimit), m_tracing(tracing())
    {
    }

    QList<QDomNode> run(const QDomNode& context, const QString& contextName);

private:
    struct Frame {
        QDomNode node;
        int offset;
    };

    const Step& step(int offset);
    void evaluate(const Frame& frame, const QString& name);
    void collectElements(const QDomNode& context, const Step& step, const Predicate* filter, QList<QDomNode>& out);
    void collectAttributes(const QDomNode& context, const Step& step, QList<QDomNode>& out);
    void applyPredicate(const Predicate& predicate, QList<QDomNode>& list);
    bool spend(qint64 work)
    {
        m_budget -= work;
        return m_budget >= 0;
    }
    void keep(QList<QDomNode>& nodes)
    {
        if (m_result.isEmpty())
            m_result = std::move(nodes);
        else
            m_result += nodes;
        if (m_result.size() > m_resultLimit)
            m_budget = -1;
    }

    const QString& m_path;
    qint64 m_budget;
    const qint64 m_resultLimit;
    const bool m_tracing;
    QHash<int, Step> m_steps;
    std::vector<Frame> m_stack;
    QList<QDomNode> m_result;
};

const Step& Search::step(int offset)
{
    auto it = m_steps.find(offset);
    if (it == m_steps.end())
        it = m_steps.insert(offset, parseStep(m_path, offset));
    return it.value();
}

QList<QDomNode> Search::run(const QDomNode& context, const QString& contextName)
{
    evaluate(Frame {context, 0}, contextName);
    while (!m_stack.empty() && m_budget >= 0) {
        const Frame frame = std::move(m_stack.back());
        m_stack.pop_back();
        evaluate(frame, frame.node.nodeName());
    }
    if (m_budget < 0) {
        SFSM_TRACE(kCategory, QStringLiteral(" ! Warning ! Node path search given up, it multiplies its nodes beyond "
                                             "any use: ")
                                  + m_path);
        return {};
    }
    return m_result;
}

// One findNodes call: the prefix chooses where getElements starts, then one step is applied.
void Search::evaluate(const Frame& frame, const QString& name)
{
    SFSM_TRACE(kCategory, name + QStringLiteral("->findNodes: ") + m_path.mid(frame.offset));
    QDomNode start = frame.node;
    int at = frame.offset;
    const QStringView rest = QStringView(m_path).mid(at);
    if (rest.startsWith(QLatin1String("./"))) {
        at += 2;
    } else if (rest.startsWith(QLatin1String("../"))) {
        start = start.parentNode();
        at += 3;
    } else if (rest.startsWith(QLatin1Char('/'))) {
        // The document node is its own owner document.
        if (!start.isDocument())
            start = start.ownerDocument();
        at += 1;
    }
    SFSM_TRACE(kCategory, (start == frame.node ? name : start.nodeName()) + QStringLiteral("->getElements: ")
                              + m_path.mid(at));
    if (start.isNull())
        return;
    const Step& s = step(at);
    QList<QDomNode> candidates;
    if (s.attribute) {
        collectAttributes(start, s, candidates);
        keep(candidates);
        return;
    }
    const bool fuseFirst = !s.predicates.isEmpty() && s.predicates.first().kind == Predicate::Test;
    collectElements(start, s, fuseFirst ? &s.predicates.first() : nullptr, candidates);
    for (qsizetype i = fuseFirst ? 1 : 0; i < s.predicates.size(); ++i)
        applyPredicate(s.predicates.at(i), candidates);
    if (!spend(candidates.size()))
        return;
    if (s.rest < 0) {
        keep(candidates);
        return;
    }
    for (auto it = candidates.crbegin(); it != candidates.crend(); ++it)
        m_stack.push_back(Frame {*it, s.rest});
}

// Pre-order over the element children (and, with the descendant flag, their element
// descendants); other node types are neither taken nor entered. A test predicate given as
// filter is applied while walking: it looks at one node at a time, so applying it here calls
// it on the same nodes in the same order as applying it to the finished list, without
// holding every candidate of a large document.
void Search::collectElements(const QDomNode& context, const Step& s, const Predicate* filter, QList<QDomNode>& out)
{
    const bool any = s.name == QLatin1String("*");
    qint64 visited = 0;
    QDomNode node = context.firstChild();
    while (!node.isNull()) {
        ++visited;
        const bool element = node.isElement();
        if (element && (any || node.nodeName() == s.name) && (!filter || matches(filter->test, node, m_tracing)))
            out.append(node);
        if (element && s.descendant && node.hasChildNodes()) {
            node = node.firstChild();
            continue;
        }
        QDomNode next = node.nextSibling();
        while (next.isNull()) {
            node = node.parentNode();
            if (node.isNull() || node == context) {
                spend(visited);
                return;
            }
            next = node.nextSibling();
        }
        node = next;
    }
    spend(visited);
}

void Search::collectAttributes(const QDomNode& context, const Step& s, QList<QDomNode>& out)
{
    const bool any = s.name == QLatin1String("*");
    qint64 visited = 0;
    auto takeFrom = [&](const QDomNode& node) {
        ++visited;
        if (!node.isElement())
            return;
        const QDomAttr attr = node.toElement().attributeNode(s.name);
        if (!attr.isNull()) {
            out.append(attr);
        } else if (any) {
            const QDomNamedNodeMap map = node.attributes();
            for (int i = 0; i < map.count(); ++i)
                out.append(map.item(i));
        }
    };
    takeFrom(context);
    if (s.descendant) {
        // Pre-order over children of every type.
        QDomNode node = context.firstChild();
        while (!node.isNull()) {
            takeFrom(node);
            if (node.hasChildNodes()) {
                node = node.firstChild();
                continue;
            }
            QDomNode next = node.nextSibling();
            while (next.isNull()) {
                node = node.parentNode();
                if (node.isNull() || node == context) {
                    spend(visited + out.size());
                    return;
                }
                next = node.nextSibling();
            }
            node = next;
        }
    }
    spend(visited + out.size());
}

void Search::applyPredicate(const Predicate& p, QList<QDomNode>& list)
{
    switch (p.kind) {
    case Predicate::Position:
        if (p.position >= 1 && p.position <= qulonglong(list.size()))
            list = QList<QDomNode> {list.at(qsizetype(p.position - 1))};
        else
            list.clear();
        return;
    case Predicate::First:
        if (!list.isEmpty())
            list = QList<QDomNode> {list.first()};
        return;
    case Predicate::Last:
        if (!list.isEmpty())
            list = QList<QDomNode> {list.last()};
        return;
    case Predicate::Test:
        list.removeIf([&](const QDomNode& node) { return !matches(p.test, node, m_tracing); });
        return;
    }
}

} // namespace

QList<QDomNode> findNodes(const QDomNode& context, const QString& contextName, const QString& path,
                          qint64 workBudget, qint64 resultLimit)
{
    Search search(path, workBudget, resultLimit);
    return search.run(context, contextName);
}

} // namespace XPathSearch
