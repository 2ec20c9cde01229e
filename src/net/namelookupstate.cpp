// SPDX-License-Identifier: MIT
#include "net/namelookupstate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "ipkit/hostnamelookup.h"

namespace {

const char kCategory[] = "nameLookupStates";

} // namespace

CActionNameLookup::CActionNameLookup(QObject* parent, const char* name) : CThreadedAction(parent, name) {}

CActionNameLookup::~CActionNameLookup()
{
    stopAndWait();
}

void CActionNameLookup::reset()
{
    removeProperty("result");
    CThreadedAction::reset();
    startProgressTimer();
}

int CActionNameLookup::doAction()
{
    CHostNameLookup lookup;
    const QString hostName = Qt3::toString(property("hostName"));
    const CIpAddress address(Qt3::toString(property("address")));
    QString error;
    if (!hostName.isEmpty()) {
        SFSM_TRACE(kCategory, QStringLiteral("lookup hostname: ") + hostName);
        if (lookup.addressByName(hostName))
            setProperty("result", lookup.addressList().toString(QStringLiteral("; "), false));
        else
            error = lookup.friendlyError();
    } else if (address.isValid()) {
        SFSM_TRACE(kCategory, QStringLiteral("lookup address: ") + address.toString(false));
        if (lookup.nameByAddress(address))
            setProperty("result", lookup.hostName());
        else
            error = lookup.friendlyError();
    } else {
        error = QStringLiteral("Nothing to look up");
    }
    if (error.isEmpty()) {
        setFinishEvent(QStringLiteral("success"));
    } else {
        SFSM_TRACE(kCategory, QStringLiteral("lookup failed! ") + error);
        setFinishEvent(QStringLiteral("failed"));
    }
    return lookup.errorCode();
}

void CActionNameLookup::abort()
{
    stopProgressTimer();
    CThreadedAction::abort();
}

CNameLookupState::CNameLookupState(QObject* parent, const char* name, const QDomNode& element)
    : CActionState(parent, name, element)
{
    setAction(new CActionNameLookup(this, "actionLookupHost"));
}

CNameLookupState::~CNameLookupState()
{
    if (action())
        action()->stopAndWait();
}

void CNameLookupState::initialize()
{
    addEvents({QStringLiteral("success"), QStringLiteral("failed")});
    addAnnouncedProperty(QStringLiteral("result"));
}
