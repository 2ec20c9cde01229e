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
    // The numbered names go on past 2 for as long as a flow numbers them.
    factory->setOptionalProperties(QStringLiteral("readIniValue"),
                                   {QStringLiteral("section2"), QStringLiteral("key2"), QStringLiteral("type2")});
    factory->setOptionalProperties(QStringLiteral("constructIni"),
                                   {QStringLiteral("section1"), QStringLiteral("keyList1"), QStringLiteral("valueList1")});
    const QString scope = QStringLiteral("scope");
    factory->setOptionalProperties(QStringLiteral("readRegistry"), {scope, QStringLiteral("type"), QStringLiteral("default")});
    factory->setOptionalProperties(QStringLiteral("writeRegistry"), {scope, QStringLiteral("type")});
    factory->setOptionalProperties(QStringLiteral("removeFromRegistry"), {scope});
    factory->setOptionalProperties(QStringLiteral("registryEntryList"), {scope});
}
