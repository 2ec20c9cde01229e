// SPDX-License-Identifier: MIT
#include "system/removefilesstate.h"
#include "engine/trace.h"
#include "system/removefilesaction.h"

CRemoveFilesState::CRemoveFilesState(QObject* parent, const char* name, const QDomNode& element)
    : CActionState(parent, name, element)
{
    // The action keeps the object name it has always had, which traces and scripts may rely on.
    setAction(new CActionRemoveFiles(this, "actionCopyFiles"));
}

void CRemoveFilesState::initialize()
{
    addRequiredProperty(QStringLiteral("path"));
    addRequiredProperty(QStringLiteral("fileFilter"));
    addEvents({QStringLiteral("success"), QStringLiteral("notFound"), QStringLiteral("failed")});
}

void CRemoveFilesState::slot_actionFinished(int result)
{
    SFSM_TRACE("fileStates", QStringLiteral("--- State ") + objectName() + QStringLiteral(": actionFinished - result = ")
                                 + QString::number(result));
    if (result == 0)
        setLeaveEvent(QStringLiteral("success"));
    else if (result == 1)
        setLeaveEvent(QStringLiteral("notFound"));
    else
        setLeaveEvent(QStringLiteral("failed"));
    leaveState();
}
