// SPDX-License-Identifier: MIT
#include "net/configinterfacestate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "ipkit/ipinterface.h"
#include "net/netinputs.h"

namespace {

const char kCategory[] = "ipConfigStates";

// Addresses that cannot be applied still go into the interface (the library refuses them when
// applying); the warning names them where the script set them.
void warnIfUnusable(const CIpAddress& a)
{
    if (a.validate(true) == CIpAddress::NotAnAddress)
        SFSM_TRACE(kCategory, QStringLiteral(" ! Warning ! Not an IPv4 address: ") + a.toString(false));
    else if (a.validate(true) == CIpAddress::BadMask)
        SFSM_TRACE(kCategory, QStringLiteral(" ! Warning ! Mask is not contiguous: ") + a.toString(true));
}

} // namespace

CConfigInterfaceState::CConfigInterfaceState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CConfigInterfaceState::initialize()
{
    addEvents({QStringLiteral("finished")});
    addRequiredProperty(QStringLiteral("interface"));
    addAnnouncedProperty(QStringLiteral("interface"));
}

QStringList CConfigInterfaceState::addressTexts(const char* name) const
{
    QStringList texts = NetInputs::addressTexts(property(name));
    if (texts.removeAll(QString()) > 0)
        SFSM_TRACE(kCategory, QStringLiteral(" ! Warning ! Empty entries of \"%1\" ignored.").arg(QLatin1String(name)));
    return texts;
}

void CConfigInterfaceState::editStatic(CIpInterface& i)
{
    const QStringList addresses = addressTexts("address");
    const bool hasMask = hasValueProperty("mask");
    const QString mask = Qt3::toString(property("mask"));
    if (!addresses.isEmpty()) {
        i.removeAllAddress();
        for (const QString& text : addresses) {
            const CIpAddress a = hasMask ? CIpAddress(text, mask) : CIpAddress(text);
            warnIfUnusable(a);
            i.addAddress(a, false);
        }
    }
    const QStringList gateways = addressTexts("gateway");
    if (!gateways.isEmpty()) {
        i.removeAllGatewayAddress();
        for (const QString& text : gateways) {
            warnIfUnusable(CIpAddress(text));
            i.addGatewayAddress(CIpAddress(text), false);
        }
    }
    const QStringList nameServers = addressTexts("nameServer");
    if (!nameServers.isEmpty()) {
        i.removeAllNameServerAddress();
        for (const QString& text : nameServers) {
            warnIfUnusable(CIpAddress(text));
            i.addNameServerAddress(CIpAddress(text), false);
        }
    }
}

void CConfigInterfaceState::enter()
{
    setLeaveEvent(QStringLiteral("finished"));
    const CIpInterface* given = NetInputs::interfaceProperty(*this, "interface");
    if (!given) {
        SFSM_TRACE(kCategory, QStringLiteral(" ! Warning ! No interface found."));
        leaveState();
        return;
    }
    CIpInterface edited(*given);
    if (hasValueProperty("enableDhcp") && Qt3::toBool(property("enableDhcp"))) {
        edited.setDhcp(true, CIpAddress::null);
    } else {
        edited.setDhcp(false, CIpAddress::null);
        editStatic(edited);
    }
    setObjectProperty("interface", new CIpInterface(edited));
    leaveState();
}
