// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"

// Compares "input1" with "input2" as numbers or as strings and leaves with "true" or "false".
// The operator comes from "comparisonType" or "operator" (default "equal"), the kind from
// "type" ("number", "int" and "float" compare as 64-bit integers; anything else as strings).
class CCompareState : public CState {
    Q_OBJECT
public:
    CCompareState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    void enter() override;

private:
    QString operatorName() const;
    bool compareNumbers(const QString& op, bool& known) const;
    bool compareStrings(const QString& op, bool& known) const;
};
