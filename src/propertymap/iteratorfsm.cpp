// SPDX-License-Identifier: MIT
#include "propertymap/iteratorfsm.h"
#include "engine/variantconv.h"

#include <climits>

CIteratorFsm::CIteratorFsm(QObject* parent, const char* name, CStateFactory* factory, const QDomNode& element)
    : CFsm(parent, name, factory, element)
{
}

// The iterator's own weight does not count: it is the list length that multiplies the work.
// The list is usually filled only when the loop begins, after the start; until then it counts
// as one item, so the states before the loop keep a share that cannot pass 100.
void CIteratorFsm::computeTotalWeight()
{
    qlonglong total = 0;
    qlonglong multiplier = 1;
    for (CState* s : states()) {
        if (s->inherits("CListIteratorState"))
            multiplier = qMax<qlonglong>(1, Qt3::toList(s->property("list")).size());
        else
            total += s->weight();
    }
    total *= multiplier;
    m_totalWeight = total <= 0 ? 1 : int(qMin<qlonglong>(total, INT_MAX));
}
