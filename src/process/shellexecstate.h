// SPDX-License-Identifier: MIT
#pragma once
// "shellExec": opens "command" (a file or an address) with the desktop's application for it.
// Leaves in enter() already: the opener is started, not waited for.
#include "engine/state.h"

class CShellExecState : public CState {
    Q_OBJECT
public:
    CShellExecState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    void enter() override;
};
