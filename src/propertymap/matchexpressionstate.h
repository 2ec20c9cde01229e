// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"

// Leaves with "true" when "expression" matches the whole of "input" ("wildcard" for shell-style
// patterns, "ignoreCase" to ignore case), "false" otherwise; a broken pattern matches nothing.
class CMatchExpressionState : public CState {
    Q_OBJECT
public:
    CMatchExpressionState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    void enter() override;
};
