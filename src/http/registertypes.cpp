// SPDX-License-Identifier: MIT
#include "http/registertypes.h"
#include "engine/statefactory.h"
#include "http/httprequeststate.h"

void registerHttpTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("httpRequest"), &createStateOf<CHttpRequestState>);
    factory->addCreator(QStringLiteral("httpGetRequest"), &createStateOf<CHttpRequestState>);
    const QStringList optional = {QStringLiteral("method"), QStringLiteral("port"),   QStringLiteral("secure"),
                                  QStringLiteral("caFile"), QStringLiteral("user"),   QStringLiteral("pass"),
                                  QStringLiteral("headerFields"), QStringLiteral("data"), QStringLiteral("timeout"),
                                  QStringLiteral("binary"), QStringLiteral("maxSize")};
    factory->setOptionalProperties(QStringLiteral("httpRequest"), optional);
    factory->setOptionalProperties(QStringLiteral("httpGetRequest"), optional);
}
