// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"

// Steps "currentItem" through "list": leaves with "nextItem" after setting the next element,
// or "lastItem" once the last element has been handed out (at once for an empty list).
//
// Items are found by value, so a loop restarts when the FSM clears "currentItem". To keep a
// list with repeated values from looping for ever, the state also remembers the index of the
// element it handed out last: while "currentItem" still equals the element at that index, the
// walk goes on from there instead of from the first equal element.
class CListIteratorState : public CState {
    Q_OBJECT
public:
    CListIteratorState(QObject* parent, const char* name, const QDomNode& element);

    void reset() override;
    void initialize() override;
    void enter() override;

private:
    qsizetype m_position = -1; // index of the element last stored into "currentItem"
};
