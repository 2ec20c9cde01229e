// SPDX-License-Identifier: MIT
#include "process/registertypes.h"
#include "engine/statefactory.h"
#include "process/processstates.h"
#include "process/shellexecstate.h"

void registerProcessTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("startProcess"), &createStateOf<CStartProcessState>);
    factory->addCreator(QStringLiteral("stopProcess"), &createStateOf<CStopProcessState>);
    factory->addCreator(QStringLiteral("startInstallShield7"), &createStateOf<CStartInstallShield7State>);
    factory->addCreator(QStringLiteral("shellExec"), &createStateOf<CShellExecState>);
    const QStringList start = {QStringLiteral("argumentList"), QStringLiteral("timeout"), QStringLiteral("admin")};
    factory->setOptionalProperties(QStringLiteral("startProcess"), start + QStringList {QStringLiteral("undo")});
    factory->setOptionalProperties(QStringLiteral("stopProcess"), {QStringLiteral("timeout")});
    factory->setOptionalProperties(QStringLiteral("startInstallShield7"),
                                   start + QStringList {QStringLiteral("attachProcess")});
    factory->setOptionalProperties(QStringLiteral("shellExec"), {QStringLiteral("argumentList")});
}
