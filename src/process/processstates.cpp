// SPDX-License-Identifier: MIT
#include "process/processstates.h"
#include "process/startappaction.h"

CStartProcessState::CStartProcessState(QObject* parent, const char* name, const QDomNode& element)
    : CActionState(parent, name, element)
{
    setAction(new CActionStartApp(this, "actionStartProcess", QDomNode()));
}

void CStartProcessState::initialize()
{
    addEvents({QStringLiteral("success"), QStringLiteral("failed"), QStringLiteral("timeout")});
    addRequiredProperty(QStringLiteral("command"));
    addAnnouncedProperty(QStringLiteral("returnCode"));
}

void CStartProcessState::enter()
{
    removeProperty("returnCode");
    CActionState::enter();
}

void CStartProcessState::slot_actionFinished(int result)
{
    traceActionFinished(result);
    const auto* job = qobject_cast<CActionStartApp*>(action());
    if (job && job->hasReturnCode())
        setProperty("returnCode", QVariant::fromValue(qulonglong(job->returnCode())));
    if (result == CActionStartApp::Finished)
        setLeaveEvent(QStringLiteral("success"));
    else if (result == CActionStartApp::TimedOut)
        setLeaveEvent(QStringLiteral("timeout"));
    else
        setLeaveEvent(QStringLiteral("failed"));
    leaveState();
}

CStopProcessState::CStopProcessState(QObject* parent, const char* name, const QDomNode& element)
    : CStartProcessState(parent, name, element)
{
    setProperty("undo", 1);
}

CStartInstallShield7State::CStartInstallShield7State(QObject* parent, const char* name, const QDomNode& element)
    : CStartProcessState(parent, name, element)
{
    delete action();
    setAction(new CActionStartInstallShield7(this, "actionStartInstallShield7", QDomNode()));
}
