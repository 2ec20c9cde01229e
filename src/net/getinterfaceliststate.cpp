// SPDX-License-Identifier: MIT
#include "net/getinterfaceliststate.h"
#include "engine/regexp.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "ipkit/iphost.h"

namespace {

const char kCategory[] = "ipConfigStates";

bool typeAccepted(const QString& types, const CIpInterface& i)
{
    if (types.isEmpty())
        return true;
    const QString word = CIpInterface::typeWord(i.type());
    return !word.isEmpty() && types.contains(word);
}

} // namespace

CGetInterfaceListState::CGetInterfaceListState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CGetInterfaceListState::initialize()
{
    addEvents({QStringLiteral("noneFound"), QStringLiteral("singleFound"), QStringLiteral("multipleFound")});
    addAnnouncedProperty(QStringLiteral("interfaceList"));
    addAnnouncedProperty(QStringLiteral("interfaceCount"));
}

void CGetInterfaceListState::enter()
{
    QString pattern = Qt3::toString(property("filter"));
    if (pattern.isEmpty())
        pattern = QStringLiteral(".*");
    CRegExp filter(pattern);
    if (!filter.isValid())
        SFSM_TRACE(kCategory, QStringLiteral(" ! Warning ! Invalid filter expression: ") + pattern);
    const QString types = Qt3::toString(property("type")).toLower();
    const QString gateway = Qt3::toString(property("gateway"));

    CIpHost host = CIpConfig().queryHost(false);
    QList<CPropertyObject*> taken;
    for (CIpInterface* i = host.firstInterface(); i; i = host.nextInterface()) {
        if (!typeAccepted(types, *i) || filter.indexIn(i->description()) < 0)
            continue;
        if (!gateway.isEmpty() && !i->gatewayAddresses().toString(QStringLiteral("; "), false).contains(gateway))
            continue;
        SFSM_TRACE(kCategory, QStringLiteral("Interface found: ") + i->toString());
        taken << new CIpInterface(*i);
    }
    const int count = int(taken.size());
    setProperty("interfaceCount", count);
    setObjectProperty("interfaceList", new CPropertyObject(taken));
    setLeaveEvent(count == 0 ? QStringLiteral("noneFound") : count == 1 ? QStringLiteral("singleFound") : QStringLiteral("multipleFound"));
    leaveState();
}
