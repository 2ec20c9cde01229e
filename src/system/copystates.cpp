// SPDX-License-Identifier: MIT
#include "system/copystates.h"
#include "engine/trace.h"
#include "system/copyfilesaction.h"
#include "system/copyrecursiveaction.h"

namespace {

void traceResult(const CState* state, int result)
{
    SFSM_TRACE("copyStates", QStringLiteral("--- State ") + state->objectName()
                                 + QStringLiteral(": actionFinished - result = ") + QString::number(result));
}

} // namespace

CCopyFilesState::CCopyFilesState(QObject* parent, const char* name, const QDomNode& element)
    : CActionState(parent, name, element)
{
    setAction(new CActionCopyFiles(this, "actionCopyFiles"));
}

void CCopyFilesState::initialize()
{
    addEvents({QStringLiteral("success"), QStringLiteral("failed")});
}

void CCopyFilesState::slot_actionFinished(int result)
{
    traceResult(this, result);
    // Files skipped because their destination could not be opened still count as a success.
    setLeaveEvent(uint(result) <= 2 ? QStringLiteral("success") : QStringLiteral("failed"));
    leaveState();
}

CCopyRenameFilesState::CCopyRenameFilesState(QObject* parent, const char* name, const QDomNode& element)
    : CCopyFilesState(parent, name, element)
{
    delete action();
    setAction(new CActionCopyRenameFiles(this, "actionCopyRenameFiles"));
}

CCopyRecursiveState::CCopyRecursiveState(QObject* parent, const char* name, const QDomNode& element)
    : CActionState(parent, name, element)
{
    setAction(new CActionCopyRecursive(this, "actionCopyRecursive"));
}

void CCopyRecursiveState::initialize()
{
    addEvents({QStringLiteral("success"), QStringLiteral("failed")});
    addRequiredProperty(QStringLiteral("srcDir"));
    addRequiredProperty(QStringLiteral("destDir"));
    addAnnouncedProperty(QStringLiteral("errorString"));
}

void CCopyRecursiveState::slot_actionFinished(int result)
{
    traceResult(this, result);
    setProperty("errorString", action() ? action()->finishEvent() : QString());
    setLeaveEvent(result == 0 ? QStringLiteral("success") : QStringLiteral("failed"));
    leaveState();
}
