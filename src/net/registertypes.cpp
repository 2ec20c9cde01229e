// SPDX-License-Identifier: MIT
#include "net/registertypes.h"
#include "engine/statefactory.h"
#include "net/configinterfacestate.h"
#include "net/dhcprenewstate.h"
#include "net/getinterfaceliststate.h"
#include "net/icmppingstates.h"
#include "net/ipconfigstate.h"
#include "net/namelookupstate.h"
#include "net/waitnulladdressesstate.h"

void registerNetTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("getInterfaceList"), &createStateOf<CGetInterfaceListState>);
    factory->addCreator(QStringLiteral("configInterface"), &createStateOf<CConfigInterfaceState>);
    factory->addCreator(QStringLiteral("ipConfig"), &createStateOf<CIpConfigState>);
    factory->addCreator(QStringLiteral("dhcpRenew"), &createStateOf<CDhcpRenewState>);
    factory->addCreator(QStringLiteral("waitNullAddresses"), &createStateOf<CWaitNullAddressesState>);
    factory->addCreator(QStringLiteral("icmpPing"), &createStateOf<CIcmpPingState>);
    factory->addCreator(QStringLiteral("icmpPingAddresses"), &createStateOf<CIcmpPingAddressesState>);
    factory->addCreator(QStringLiteral("icmpCheckAddresses"), &createStateOf<CIcmpCheckAddressesState>);
    factory->addCreator(QStringLiteral("nameLookup"), &createStateOf<CNameLookupState>);

    // The inputs each type reads when they are present.
    const auto q = [](const char* name) { return QString::fromLatin1(name); };
    factory->setOptionalProperties(q("getInterfaceList"), {q("filter"), q("type"), q("gateway")});
    factory->setOptionalProperties(q("configInterface"), {q("enableDhcp"), q("address"), q("mask"), q("gateway"), q("nameServer")});
    factory->setOptionalProperties(q("dhcpRenew"), {q("releaseBeforeRenew")});
    factory->setOptionalProperties(q("waitNullAddresses"), {q("timeout"), q("interfaceTimeout")});
    factory->setOptionalProperties(q("icmpPing"), {q("ttl"), q("packetSize")});
    factory->setOptionalProperties(q("icmpPingAddresses"), {q("addressList"), q("address"), q("ttl"), q("packetSize")});
    factory->setOptionalProperties(q("icmpCheckAddresses"), {q("timeout"), q("ttl"), q("packetSize")});
    factory->setOptionalProperties(q("nameLookup"), {q("hostName"), q("address")});
}
