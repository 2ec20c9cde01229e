// SPDX-License-Identifier: MIT
#pragma once
#include "engine/fsm.h"

// An FSM that loops over a list with a "listIterator" state: its progress counts one pass
// through its work states per list element.
class CIteratorFsm : public CFsm {
    Q_OBJECT
public:
    CIteratorFsm(QObject* parent, const char* name, CStateFactory* factory, const QDomNode& element);

    void computeTotalWeight() override;
};
