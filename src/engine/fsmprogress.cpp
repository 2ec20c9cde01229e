// SPDX-License-Identifier: MIT
// Weighted progress of an FSM: loops over a list count their states once per item, and what the
// FSM reports never passes 100 and never falls, except when the flow navigates back.
#include "engine/fsm.h"
#include "engine/variantconv.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <climits>

namespace {

bool isIterator(const CState* s)
{
    return s->inherits("CListIteratorState");
}

QString firstName(const QString& path)
{
    return path.section(QLatin1Char(':'), 0, 0);
}

} // namespace

int CFsm::totalWeight() const
{
    return m_totalWeight > 0 ? m_totalWeight : 1;
}

void CFsm::computeTotalWeight()
{
    qlonglong total = 0;
    const QVariant iterate = property("iterateCount");
    if (iterate.isValid()) {
        for (CState* s : std::as_const(m_states))
            total += s->weight();
        total *= Qt3::toUInt(iterate);
    } else {
        for (CState* s : std::as_const(m_states))
            total += qlonglong(s->weight()) * passes(s);
    }
    m_totalWeight = total > 0 && total <= INT_MAX ? int(total) : (total > INT_MAX ? INT_MAX : 1);
}

// How often a state runs: once, times the item count of every list loop that holds it. A list
// that is not filled yet counts as one item.
qlonglong CFsm::passes(CState* s)
{
    qlonglong n = 1;
    for (const IteratorLoop& loop : iteratorLoops()) {
        if (loop.members.contains(s))
            n *= qMax<qlonglong>(1, Qt3::toList(loop.iterator->property("list")).size());
        if (n > INT_MAX)
            return INT_MAX;
    }
    return n;
}

// The states on a cycle through each list iterator: reachable from it and leading back to it.
const QList<CFsm::IteratorLoop>& CFsm::iteratorLoops()
{
    if (m_loopsKnown)
        return m_iteratorLoops;
    m_loopsKnown = true;
    QHash<CState*, QSet<CState*>> next;
    QHash<CState*, QSet<CState*>> previous;
    for (const CTransitionRecord& r : transitionTable()) {
        if (r.kind != QLatin1String("state"))
            continue;
        CState* from = state(r.fromState);
        CState* to = state(firstName(r.target));
        if (from && to) {
            next[from].insert(to);
            previous[to].insert(from);
        }
    }
    const auto reach = [](CState* start, const QHash<CState*, QSet<CState*>>& edges) {
        QSet<CState*> seen;
        QList<CState*> todo {start};
        while (!todo.isEmpty()) {
            for (CState* s : edges.value(todo.takeLast())) {
                if (!seen.contains(s)) {
                    seen.insert(s);
                    todo.append(s);
                }
            }
        }
        return seen;
    };
    for (CState* s : std::as_const(m_states)) {
        if (isIterator(s))
            m_iteratorLoops.append({s, reach(s, next).intersect(reach(s, previous))});
    }
    return m_iteratorLoops;
}

// An iterator's list is filled by the transition that enters it, so the weight of its loop is
// known only now; what is done keeps its weight, so the share done shrinks with a larger total.
void CFsm::weighLoop(CState* entered)
{
    // Looked up in the few loops rather than by class name: this runs on every step.
    const QList<IteratorLoop>& loops = iteratorLoops();
    if (std::none_of(loops.cbegin(), loops.cend(), [entered](const IteratorLoop& l) { return l.iterator == entered; }))
        return;
    const int before = totalWeight();
    computeTotalWeight();
    if (totalWeight() != before)
        m_progress = m_progress * before / totalWeight();
}

int CFsm::reportable(double progress)
{
    const int value = qBound(0, int(progress), 100);
    m_reported = qMax(m_reported, value);
    return m_reported;
}
