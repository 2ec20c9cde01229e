// `setupfsm graph`: the flow as Graphviz DOT, nested FSMs as clusters.
#include "cli.h"
#include "findings.h"
#include "options.h"

#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/transition.h"

#include <QTextStream>
#include <cstdio>
#include <memory>

namespace {

QString quote(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// Every state is a node named by its full name; a nested FSM is a cluster whose entry and
// exits are small nodes of their own, so edges can end at its border.
void writeFsm(QTextStream& out, CFsm* fsm, int depth)
{
    const QString indent(depth * 2, QLatin1Char(' '));
    const QString id = fsm->fullName();
    out << indent << "subgraph " << quote(QStringLiteral("cluster_") + id) << " {\n";
    out << indent << "  label=" << quote(fsm->objectName() + QStringLiteral(" (") + fsm->typeName() + QLatin1Char(')'))
        << ";\n";
    out << indent << "  " << quote(id + QStringLiteral(":__start")) << " [shape=point, label=\"\"];\n";
    for (const QString& exit : fsm->events())
        out << indent << "  " << quote(id + QStringLiteral(":exit:") + exit) << " [shape=doublecircle, label="
            << quote(exit) << "];\n";
    for (CState* s : fsm->states()) {
        if (CFsm* sub = qobject_cast<CFsm*>(s))
            writeFsm(out, sub, depth + 1);
        else
            out << indent << "  " << quote(s->fullName()) << " [label=" << quote(s->objectName() + QLatin1Char('\n') + s->typeName())
                << "];\n";
    }
    out << indent << "}\n";
}

// Where an edge into a state ends: a nested FSM's entry point, or the state itself.
QString entryNode(CFsm* fsm, const QString& path)
{
    const QString first = path.section(QLatin1Char(':'), 0, 0);
    CState* s = fsm->state(first);
    if (!s)
        return fsm->fullName() + QLatin1Char(':') + path;
    if (CFsm* sub = qobject_cast<CFsm*>(s)) {
        const QString rest = path.section(QLatin1Char(':'), 1);
        return rest.isEmpty() ? sub->fullName() + QStringLiteral(":__start") : entryNode(sub, rest);
    }
    return s->fullName();
}

// Where an edge out of a state starts: a nested FSM leaves through its exit node.
QString exitNode(CState* s, const QString& event)
{
    if (CFsm* sub = qobject_cast<CFsm*>(s)) {
        if (sub->events().contains(event))
            return sub->fullName() + QStringLiteral(":exit:") + event;
    }
    return s->fullName();
}

void writeEdges(QTextStream& out, CFsm* fsm)
{
    const QList<CTransitionRecord> table = fsm->transitionTable();
    for (const CTransitionRecord& t : table) {
        if (t.kind == QLatin1String("start")) {
            out << "  " << quote(fsm->fullName() + QStringLiteral(":__start")) << " -> " << quote(entryNode(fsm, t.target))
                << ";\n";
            continue;
        }
        CState* from = fsm->state(t.fromState);
        if (!from)
            continue;
        const QString to = t.kind == QLatin1String("exit") ? fsm->fullName() + QStringLiteral(":exit:") + t.target
                                                            : entryNode(fsm, t.target);
        out << "  " << quote(exitNode(from, t.event)) << " -> " << quote(to) << " [label=" << quote(t.event) << "];\n";
    }
    for (CState* s : fsm->states()) {
        if (CFsm* sub = qobject_cast<CFsm*>(s))
            writeEdges(out, sub);
    }
}

} // namespace

int Cli::graphCommand(const QStringList& arguments)
{
    CommandOptions options;
    QString error;
    const QStringList allowed = {QStringLiteral("set"),     QStringLiteral("property"),      QStringLiteral("app-path"),
                                 QStringLiteral("xml-path"), QStringLiteral("profile"),       QStringLiteral("trace-include"),
                                 QStringLiteral("trace-exclude"), QStringLiteral("trace-timestamps"), QStringLiteral("quiet"),
                                 QStringLiteral("verbose"), QStringLiteral("log")};
    if (!parseCommandOptions(arguments, allowed, &options, &error))
        return usageError(error);
    if (!applyEnvironmentOptions(options, &error))
        return usageError(error);
    // A flow with build errors is still drawn: the picture helps to find them.
    std::unique_ptr<CFsm> fsm;
    CDiagnostics found;
    buildFlow(options, fsm, &found);
    printFindings(found);
    if (!fsm)
        return ExitBuildErrors;

    QString dot;
    QTextStream out(&dot);
    out << "digraph " << quote(fsm->objectName()) << " {\n";
    out << "  compound=true;\n  node [shape=box, style=rounded];\n";
    writeFsm(out, fsm.get(), 1);
    writeEdges(out, fsm.get());
    out << "}\n";
    out.flush();
    std::fputs(dot.toUtf8().constData(), stdout);
    return found.isEmpty() ? ExitOk : ExitBuildErrors;
}
