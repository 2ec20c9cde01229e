// SPDX-License-Identifier: MIT
#include "actions/actionstate.h"
#include "actions/action.h"
#include "engine/trace.h"

CActionState::CActionState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

CActionState::~CActionState()
{
    deleteAction();
}

void CActionState::deleteAction()
{
    if (!m_action)
        return;
    CAction* action = m_action;
    m_action = nullptr;
    disconnect(action, nullptr, this, nullptr);
    action->whenIdle(nullptr);
    action->abort();
    action->stopAndWait();
    delete action;
}

void CActionState::reset()
{
    deleteAction();
}

void CActionState::setAction(CAction* action)
{
    m_action = action;
}

void CActionState::enter()
{
    if (!m_action)
        return;
    m_progress = 0.0;
    // A threaded job abandoned by an earlier leave may still be winding down; the new job
    // starts once it has ended, so the two never share the action.
    m_action->whenIdle([this] { startAction(); });
}

void CActionState::startAction()
{
    m_action->reset();
    connect(m_action, &CAction::actionFinished, this, &CActionState::slot_actionFinished, Qt::UniqueConnection);
    connect(m_action, &CAction::actionProgress, this, &CActionState::slot_actionProgress, Qt::UniqueConnection);
    m_action->start();
}

void CActionState::leave()
{
    if (!m_action)
        return;
    disconnect(m_action, nullptr, this, nullptr);
    m_action->whenIdle(nullptr);
    m_action->abort();
}

QVariant CActionState::property(const char* name) const
{
    if (CState::hasValueProperty(name))
        return CState::property(name);
    if (m_action && m_action->hasValueProperty(name))
        return m_action->property(name);
    return QVariant();
}

CPropertyObject* CActionState::objectProperty(const char* name) const
{
    if (CState::hasObjectProperty(name))
        return CState::objectProperty(name);
    if (m_action && m_action->hasObjectProperty(name))
        return m_action->objectProperty(name);
    return nullptr;
}

QStringList CActionState::propertyNames() const
{
    QStringList names = CState::propertyNames();
    if (m_action)
        names += m_action->propertyNames();
    return names;
}

void CActionState::slot_actionProgress(int current, int total)
{
    // A directory copy can report a total of 0 before it knows its files.
    const int percent = total > 0 ? int(100.0 / total * current) : 0;
    m_progress = percent;
    emitProgress(percent);
}

void CActionState::traceActionFinished(int result) const
{
    SFSM_TRACE("state", QStringLiteral("--- State ") + objectName() + QStringLiteral(": actionFinished - result = ")
                            + QString::number(result));
}

void CActionState::slot_actionFinished(int result)
{
    traceActionFinished(result);
    setLeaveEvent(m_action ? m_action->finishEvent() : QString());
    leaveState();
}
