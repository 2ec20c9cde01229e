// SPDX-License-Identifier: MIT
#include "net/icmppingstates.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "net/icmppingaction.h"
#include "net/netinputs.h"

namespace {

const char kCategory[] = "icmpStates";

} // namespace

CIcmpPingState::CIcmpPingState(QObject* parent, const char* name, const QDomNode& element)
    : CActionState(parent, name, element)
{
    setAction(new CActionIcmpPing(this, "actionIcmpPing"));
}

CIcmpPingState::~CIcmpPingState()
{
    if (action())
        action()->stopAndWait();
}

void CIcmpPingState::initialize()
{
    addEvents({QStringLiteral("reply"), QStringLiteral("noReply")});
    addRequiredProperty(QStringLiteral("address"));
    addRequiredProperty(QStringLiteral("timeout"));
    addAnnouncedProperty(QStringLiteral("roundTripTime"));
}

CIcmpListState::CIcmpListState(QObject* parent, const char* name, const QDomNode& element, const char* actionName)
    : CActionState(parent, name, element)
{
    setAction(new CActionIcmpPing(this, actionName));
}

CIcmpListState::~CIcmpListState()
{
    if (action())
        action()->stopAndWait();
}

QStringList CIcmpListState::readAddresses() const
{
    return NetInputs::addressTexts(property("addressList"));
}

void CIcmpListState::enter()
{
    m_index = 0;
    m_addresses = readAddresses();
    beginList();
    m_progress = 0.0;
    connect(action(), &CAction::actionFinished, this, &CActionState::slot_actionFinished, Qt::UniqueConnection);
    connect(action(), &CAction::actionProgress, this, &CActionState::slot_actionProgress, Qt::UniqueConnection);
    pingNext();
}

void CIcmpListState::pingNext()
{
    if (m_index < uint(m_addresses.size())) {
        action()->setProperty("address", m_addresses.at(int(m_index)));
        ++m_index;
        action()->reset();
        action()->start();
        return;
    }
    endList();
}

void CIcmpListState::slot_actionFinished(int result)
{
    action()->abort();
    takeResult(result, m_addresses.value(int(m_index) - 1));
    pingNext();
}

void CIcmpListState::slot_actionProgress(int current, int total)
{
    SFSM_TRACE(kCategory, QStringLiteral("progress: ") + QString::number(current) + QLatin1Char('/') + QString::number(total));
    const uint count = uint(m_addresses.size());
    if (count == 0 || m_index == 0)
        return;
    // A time-out under a second has no steps: its request counts as not yet under way.
    const uint share = total > 0 ? uint(qBound(0.0, 100.0 / total * current, 100.0)) : 0;
    const uint percent = ((m_index - 1) * 100 + share) / count;
    m_progress = percent;
    emitProgress(int(percent));
}

CIcmpPingAddressesState::CIcmpPingAddressesState(QObject* parent, const char* name, const QDomNode& element)
    : CIcmpListState(parent, name, element, "actionPingAddress")
{
}

void CIcmpPingAddressesState::initialize()
{
    addEvents({QStringLiteral("failed"), QStringLiteral("success")});
    addRequiredProperty(QStringLiteral("timeout"));
    addAnnouncedProperty(QStringLiteral("resultList"));
}

QStringList CIcmpPingAddressesState::readAddresses() const
{
    const QStringList list = CIcmpListState::readAddresses();
    return list.isEmpty() ? QStringList {Qt3::toString(property("address"))} : list;
}

void CIcmpPingAddressesState::beginList()
{
    m_allAnswered = true;
    m_results.clear();
}

void CIcmpPingAddressesState::takeResult(int result, const QString&)
{
    if (result != 0) {
        m_allAnswered = false;
        m_results.append(-1);
    } else {
        m_results.append(action()->property("roundTripTime"));
    }
}

void CIcmpPingAddressesState::endList()
{
    setProperty("resultList", m_results);
    setLeaveEvent(m_allAnswered ? QStringLiteral("success") : QStringLiteral("failed"));
    leaveState();
}

CIcmpCheckAddressesState::CIcmpCheckAddressesState(QObject* parent, const char* name, const QDomNode& element)
    : CIcmpListState(parent, name, element, "actionCheckAddress")
{
}

void CIcmpCheckAddressesState::initialize()
{
    addEvents({QStringLiteral("noneExist"), QStringLiteral("existingFound")});
    addRequiredProperty(QStringLiteral("addressList"));
    addAnnouncedProperty(QStringLiteral("existingAddressList"));
}

void CIcmpCheckAddressesState::beginList()
{
    m_existing.clear();
    setLeaveEvent(QStringLiteral("noneExist"));
}

void CIcmpCheckAddressesState::takeResult(int result, const QString& address)
{
    if (result == 0) {
        setLeaveEvent(QStringLiteral("existingFound"));
        m_existing.append(address);
    }
}

void CIcmpCheckAddressesState::endList()
{
    setProperty("existingAddressList", m_existing);
    leaveState();
}
