// SPDX-License-Identifier: MIT
#include "process/shellexecstate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "process/shellexec.h"
#include "system/standardpaths.h"

CShellExecState::CShellExecState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CShellExecState::initialize()
{
    addEvents({QStringLiteral("success"), QStringLiteral("failed")});
    addRequiredProperty(QStringLiteral("command"));
}

void CShellExecState::enter()
{
    IStandardPaths paths;
    paths.initStandardPaths();
    const QString command = paths.expandMacros(Qt3::toString(property("command")));
    const QString parameters = paths.expandMacros(Qt3::toString(property("argumentList")));
    SFSM_TRACE("utilityStates", QStringLiteral("ShellExec command: ") + command);
    CShellExec shell;
    const int error = shell.open(QString(), command, parameters);
    if (error != CShellExec::Success) {
        SFSM_TRACE("utilityStates", QStringLiteral("  failed:") + CShellExec::errorText(error));
        setLeaveEvent(QStringLiteral("failed"));
    } else {
        setLeaveEvent(QStringLiteral("success"));
    }
    leaveState();
}
