// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"

// Leaves with the event named by "input": one event per output fixed when the state is
// built (from "outputs", a string list or a ";"-separated text), "default" for anything else.
class CSwitchState : public CState {
    Q_OBJECT
public:
    CSwitchState(QObject* parent, const char* name, const QDomNode& element);
    ~CSwitchState() override;

    void initialize() override;
    void enter() override;

    const QStringList& outputs() const { return m_outputs; }

private:
    QStringList m_outputs;
};
