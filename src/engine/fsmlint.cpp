#include "engine/fsmlint.h"
#include "engine/fsm.h"
#include "engine/transition.h"

#include <QHash>
#include <QMap>
#include <algorithm>
#include <QSet>

namespace {

const QString kBack = QStringLiteral("pageBack");

// A place a run can be in: a state of an FSM, entered at the rest of a colon path (empty: the
// state itself, or a nested FSM at its start).
struct Node {
    QString state;
    QString rest;
    bool operator==(const Node& o) const { return state == o.state && rest == o.rest; }
};

size_t qHash(const Node& n, size_t seed = 0)
{
    return qHashMulti(seed, n.state, n.rest);
}

Node nodeOf(const QString& path)
{
    const qsizetype colon = path.indexOf(QLatin1Char(':'));
    return colon < 0 ? Node {path, QString()} : Node {path.left(colon), path.mid(colon + 1)};
}

// Where a forward step from a node leads: an exit event of the FSM, or another node.
struct Step {
    bool exit = false;
    QString exitEvent;
    Node to;
};

class Linter {
public:
    CDiagnostics found;

    // The exit events an FSM can leave with once entered at a path (empty: at its start).
    QSet<QString> exitsFrom(CFsm* fsm, const QString& entry)
    {
        const QString key = QString::number(quintptr(fsm)) + QLatin1Char('\n') + entry;
        const auto known = m_exits.constFind(key);
        if (known != m_exits.constEnd())
            return known.value();
        m_exits.insert(key, {}); // an FSM never holds itself, but stay finite whatever happens
        QSet<QString> exits;
        QSet<Node> seen;
        QList<Node> todo = entryNodes(fsm, entry);
        while (!todo.isEmpty()) {
            const Node n = todo.takeLast();
            if (seen.contains(n))
                continue;
            seen.insert(n);
            for (const Step& s : steps(fsm, n)) {
                if (s.exit)
                    exits.insert(s.exitEvent);
                else
                    todo.append(s.to);
            }
        }
        m_exits.insert(key, exits);
        return exits;
    }

    void lint(CFsm* fsm, const QSet<QString>& entries)
    {
        // Every node the entries lead to, with the steps out of it.
        QHash<Node, QList<Step>> graph;
        QList<Node> todo;
        for (const QString& entry : entries)
            todo += entryNodes(fsm, entry);
        while (!todo.isEmpty()) {
            const Node n = todo.takeLast();
            if (graph.contains(n) || !fsm->state(n.state))
                continue;
            const QList<Step> out = steps(fsm, n);
            graph.insert(n, out);
            for (const Step& s : out) {
                if (!s.exit)
                    todo.append(s.to);
            }
        }
        QSet<QString> reached;
        for (auto it = graph.cbegin(); it != graph.cend(); ++it)
            reached.insert(it.key().state);

        for (const QString& name : fsm->stateNames()) {
            if (!reached.contains(name))
                warn(fsm, fsm->stateLine(name),
                     QStringLiteral("FSM %1: state %2 is never reached: no transition leads to it").arg(fsm->objectName(), name));
        }
        reportTraps(fsm, graph);
        reportUnusedExits(fsm);

        // Nested FSMs are linted with the entries this FSM uses; one never entered is
        // reported above as a whole.
        QMap<QString, QSet<QString>> subEntries;
        for (auto it = graph.cbegin(); it != graph.cend(); ++it)
            subEntries[it.key().state].insert(it.key().rest);
        for (auto it = subEntries.cbegin(); it != subEntries.cend(); ++it) {
            if (auto* sub = qobject_cast<CFsm*>(fsm->state(it.key())))
                lint(sub, it.value());
        }
    }

private:
    QList<Node> entryNodes(CFsm* fsm, const QString& entry)
    {
        if (!entry.isEmpty())
            return {nodeOf(entry)};
        CTransition* start = fsm->transitions().value(kStartEvent);
        return start ? QList<Node> {nodeOf(start->target())} : QList<Node>();
    }

    QList<Step> steps(CFsm* fsm, const Node& n)
    {
        QList<Step> out;
        CState* s = fsm->state(n.state);
        if (!s)
            return out;
        auto* sub = qobject_cast<CFsm*>(s);
        const QStringList events = sub ? QStringList(exitsFrom(sub, n.rest).values()) : s->events();
        for (const QString& event : events) {
            // Going back returns to a page that was reached already.
            CTransition* t = event == kBack ? nullptr : s->transitions().value(event);
            if (!t || qobject_cast<CBackTransition*>(t) || t->parent() != fsm)
                continue;
            if (qobject_cast<CExitTransition*>(t))
                out.append({true, t->target(), {}});
            else
                out.append({false, QString(), nodeOf(t->target())});
        }
        return out;
    }

    void reportTraps(CFsm* fsm, const QHash<Node, QList<Step>>& graph)
    {
        // Nodes that reach an exit, found backwards from the steps that take one.
        QHash<Node, QList<Node>> into;
        QList<Node> todo;
        for (auto it = graph.cbegin(); it != graph.cend(); ++it) {
            for (const Step& s : it.value()) {
                if (s.exit)
                    todo.append(it.key());
                else
                    into[s.to].append(it.key());
            }
        }
        QSet<Node> escapes;
        while (!todo.isEmpty()) {
            const Node n = todo.takeLast();
            if (escapes.contains(n))
                continue;
            escapes.insert(n);
            todo += into.value(n);
        }
        QStringList trapped;
        for (auto it = graph.cbegin(); it != graph.cend(); ++it) {
            if (!escapes.contains(it.key()) && !trapped.contains(it.key().state))
                trapped.append(it.key().state);
        }
        std::sort(trapped.begin(), trapped.end(), [fsm](const QString& a, const QString& b) {
            return fsm->stateLine(a) < fsm->stateLine(b);
        });
        for (const QString& name : std::as_const(trapped)) {
            warn(fsm, fsm->stateLine(name),
                 QStringLiteral("FSM %1: no exit can be reached from state %2: a run that gets there never ends")
                     .arg(fsm->objectName(), name));
        }
    }

    void reportUnusedExits(CFsm* fsm)
    {
        QSet<QString> taken;
        for (const CTransitionRecord& r : fsm->transitionTable()) {
            if (r.kind == QLatin1String("exit"))
                taken.insert(r.target);
        }
        for (const QString& event : fsm->events()) {
            // Back navigation leaves through "pageBack" without a transition of its own.
            if (event == kBack || taken.contains(event) || fsm->eventLine(event) == 0)
                continue;
            warn(fsm, fsm->eventLine(event),
                 QStringLiteral("FSM %1: exit event %2 is never used: no transition leaves with it").arg(fsm->objectName(), event));
        }
    }

    void warn(CFsm* fsm, qint64 line, const QString& message)
    {
        found.append({fsm->definitionFile(), line, CDiagnostic::Warning, message});
    }

    QHash<QString, QSet<QString>> m_exits;
};

} // namespace

CDiagnostics lintFsm(CFsm* root)
{
    Linter linter;
    linter.lint(root, {QString()});
    return linter.found;
}
