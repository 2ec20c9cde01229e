#pragma once
#include "engine/object.h"

#include <QDomNode>

class CFsm;
class ITransitionMaps;

// The edge that leaves a state on one or more of its events. Its parent is the FSM that holds
// the state; its property maps move data into the next state when it fires.
class CTransition : public CPropertyObject {
    Q_OBJECT
public:
    CTransition(CFsm* fsm, const char* name, const QString& fromState, const QString& target,
                const QDomNode& element);
    ~CTransition() override;

    virtual void fire();
    virtual bool addPropertyMap(const QString& target, const QString& function);
    virtual void announceSuppliedProperties();
    virtual QString propertyMapErrors() const;
    virtual void applyPropertyMaps();

    QString fromState() const { return m_fromState; }
    QString target() const { return m_target; }
    // The maps of this transition, or null when it has none.
    ITransitionMaps* propertyMaps() const { return m_maps; }
    int propertyMapCount() const;
    CFsm* fsm() const;

protected:
    QString m_fromState;
    QString m_target;
    ITransitionMaps* m_maps = nullptr;
    QString m_mapErrors;

private:
    void loadPropertyMaps(const QDomNode& element);
};

// Makes the FSM itself leave with one of its exit events.
class CExitTransition : public CTransition {
    Q_OBJECT
public:
    using CTransition::CTransition;
    void fire() override;
};

// The reserved event under which an FSM keeps its entry transition.
inline const QString kStartEvent = QStringLiteral("__start");

// Fired when the FSM is entered; stored under the reserved event kStartEvent.
class CEntryTransition : public CTransition {
    Q_OBJECT
public:
    CEntryTransition(CFsm* fsm, const char* name, const QString& startState, const QDomNode& element);
    void fire() override;
};

// Walks back through the page stack on "pageBack"; lives only until it fires.
class CBackTransition : public CTransition {
    Q_OBJECT
public:
    explicit CBackTransition(CFsm* fsm);
    void fire() override;
};

Q_DECLARE_METATYPE(CTransition*)
