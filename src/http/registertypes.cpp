// SPDX-License-Identifier: MIT
#include "http/registertypes.h"
#include "engine/statefactory.h"
#include "http/httprequeststate.h"

void registerHttpTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("httpRequest"), &createStateOf<CHttpRequestState>);
    factory->addCreator(QStringLiteral("httpGetRequest"), &createStateOf<CHttpRequestState>);
}
