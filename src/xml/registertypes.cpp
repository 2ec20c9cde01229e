// SPDX-License-Identifier: MIT
#include "xml/registertypes.h"

#include "engine/statefactory.h"
#include "propertymap/functiontable.h"
#include "xml/parsexmlstate.h"
#include "xml/xmlfindnodesstate.h"

void addXmlFunctions(CFunctionTable& table);

void registerXmlTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("parseXml"), &createStateOf<CParseXmlState>);
    factory->addCreator(QStringLiteral("xmlFindNodes"), &createStateOf<CXmlFindNodesState>);
    addFunctionFamily(&addXmlFunctions);
}
