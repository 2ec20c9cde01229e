// SPDX-License-Identifier: MIT
#include "plugin/registertypes.h"

#include "engine/statefactory.h"
#include "xml/parsexmlstate.h"
#include "xml/xmlfindnodesstate.h"

void registerXmlTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("parseXml"), &createStateOf<CParseXmlState>);
    factory->addCreator(QStringLiteral("xmlFindNodes"), &createStateOf<CXmlFindNodesState>);
}
