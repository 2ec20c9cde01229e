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
}
