// SPDX-License-Identifier: MIT
#pragma once
// A state that owns one action: entering the state starts the action, the action's progress
// becomes the state's progress, and the action's end leaves the state. Leaving the state
// disconnects and aborts the action, so nothing the action reports later reaches the state.
#include "engine/state.h"

class CAction;

class CActionState : public CState {
    Q_OBJECT
public:
    CActionState(QObject* parent, const char* name, const QDomNode& element);
    ~CActionState() override;

    // Deletes the action; nothing else is cleared.
    void reset() override;
    void enter() override;
    void leave() override;

    // Reads look at the state first, then at the action.
    QVariant property(const char* name) const override;
    CPropertyObject* objectProperty(const char* name) const override;
    QStringList propertyNames() const override;

    virtual void setAction(CAction* action);

    CAction* action() const { return m_action; }

public Q_SLOTS:
    virtual void slot_actionFinished(int result);
    virtual void slot_actionProgress(int current, int total);

protected:
    // The trace line that precedes leaving on the action's end.
    void traceActionFinished(int result) const;

private:
    void startAction();
    void deleteAction();

    CAction* m_action = nullptr;
};
