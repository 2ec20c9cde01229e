// SPDX-License-Identifier: MIT
#include "checks/registertypes.h"
#include "checks/checkdiskspacestate.h"
#include "checks/checkosversionstate.h"
#include "checks/createshortcutstate.h"
#include "checks/pausestate.h"
#include "engine/statefactory.h"

void registerCheckTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("checkOSVersion"), &createStateOf<CCheckOSVersionState>);
    factory->addCreator(QStringLiteral("checkDiskSpace"), &createStateOf<CCheckDiskSpaceState>);
    factory->addCreator(QStringLiteral("createShortcut"), &createStateOf<CCreateShortcutState>);
    factory->addCreator(QStringLiteral("pause"), &createStateOf<CPauseState>);
    factory->setOptionalProperties(QStringLiteral("createShortcut"),
                                   {QStringLiteral("type"), QStringLiteral("arguments"), QStringLiteral("comment"),
                                    QStringLiteral("iconPath"), QStringLiteral("iconIndex")});
}
