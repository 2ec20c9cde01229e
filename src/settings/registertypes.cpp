// SPDX-License-Identifier: MIT
#include "settings/registertypes.h"
#include "engine/statefactory.h"
#include "settings/inistates.h"
#include "settings/registrystates.h"

void registerSettingsTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("readIniValue"), &createStateOf<CReadIniValueState>);
    factory->addCreator(QStringLiteral("constructIni"), &createStateOf<CConstructIniState>);
    factory->addCreator(QStringLiteral("readRegistry"), &createStateOf<CReadRegistryState>);
    factory->addCreator(QStringLiteral("writeRegistry"), &createStateOf<CWriteRegistryState>);
    factory->addCreator(QStringLiteral("removeFromRegistry"), &createStateOf<CRemoveFromRegistryState>);
    factory->addCreator(QStringLiteral("registryEntryList"), &createStateOf<CRegistryEntryListState>);
}
