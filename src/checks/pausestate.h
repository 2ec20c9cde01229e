// SPDX-License-Identifier: MIT
#pragma once
// "pause": waits "time" tenths of a second, with progress in whole seconds, then leaves with
// "finished".
#include "actions/actionstate.h"

class CPauseState : public CActionState {
    Q_OBJECT
public:
    CPauseState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
};
