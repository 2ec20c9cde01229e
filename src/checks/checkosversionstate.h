// SPDX-License-Identifier: MIT
#pragma once
// "checkOSVersion": leaves with "true" when the running system fits the pattern "match", else
// "false", and describes the system in its outputs either way.
#include "engine/state.h"

class CCheckOSVersionState : public CState {
    Q_OBJECT
public:
    CCheckOSVersionState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;
};
