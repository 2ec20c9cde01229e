#include "engine/transition.h"
#include "engine/fsm.h"

CTransition::CTransition(CFsm* fsm, const char* name, const QString& fromState, const QString& target,
                         const QDomNode& element)
    : CPropertyObject(fsm, name)
    , m_fromState(fromState)
    , m_target(target)
{
    if (!element.isNull())
        loadPropertyMaps(element);
}

CFsm* CTransition::fsm() const
{
    return qobject_cast<CFsm*>(parent());
}

void CTransition::fire()
{
    applyPropertyMaps();
    if (CFsm* f = fsm())
        f->changeState(m_target);
}

void CExitTransition::fire()
{
    applyPropertyMaps();
    if (CFsm* f = fsm())
        f->finishOnExit(m_target);
}

CEntryTransition::CEntryTransition(CFsm* fsm, const char* name, const QString& startState, const QDomNode& element)
    : CTransition(fsm, name, QString(), startState, element)
{
}

void CEntryTransition::fire()
{
    applyPropertyMaps();
    if (CFsm* f = fsm())
        f->startInState(m_target);
}

CBackTransition::CBackTransition(CFsm* fsm)
    : CTransition(fsm, nullptr, QString(), QString(), QDomNode())
{
}

void CBackTransition::fire()
{
    if (CFsm* f = fsm())
        f->jumpBack();
    delete this;
}
