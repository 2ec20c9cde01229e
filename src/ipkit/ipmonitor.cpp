// SPDX-License-Identifier: MIT
#include "ipkit/ipmonitor.h"
#include "ipkit/backendloader.h"

#include <QTimer>

namespace {

bool sameAddresses(const QList<IpKit::AddressMask>& a, const QList<IpKit::AddressMask>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].address != b[i].address || a[i].mask != b[i].mask)
            return false;
    }
    return true;
}

bool same(const IpKit::InterfaceRecord& a, const IpKit::InterfaceRecord& b)
{
    return a.description == b.description && a.type == b.type && a.mediaStatus == b.mediaStatus && a.dhcp == b.dhcp
           && sameAddresses(a.addresses, b.addresses) && a.gateways == b.gateways && a.nameServers == b.nameServers;
}

QMap<QString, IpKit::InterfaceRecord> byId(const QList<IpKit::InterfaceRecord>& records)
{
    QMap<QString, IpKit::InterfaceRecord> map;
    for (const IpKit::InterfaceRecord& r : records)
        map.insert(r.id, r);
    return map;
}

} // namespace

CIpMonitor::CIpMonitor(QObject* parent) : QObject(parent), m_backend(IpKit::backend())
{
    if (!m_backend)
        return;
    m_known = byId(m_backend->interfaces());
    // A burst of messages (an address flush, then new addresses) becomes one rescan.
    m_backend->watch(this, [this] {
        if (m_rescanQueued)
            return;
        m_rescanQueued = true;
        QTimer::singleShot(0, this, &CIpMonitor::rescan);
    });
}

CIpMonitor::~CIpMonitor() = default;

void CIpMonitor::rescan()
{
    m_rescanQueued = false;
    const QMap<QString, IpKit::InterfaceRecord> now = byId(m_backend->interfaces());
    const QMap<QString, IpKit::InterfaceRecord> before = std::exchange(m_known, now);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!now.contains(it.key()))
            Q_EMIT interfaceRemoved(CIpInterface(it.value()));
        else if (!same(it.value(), now.value(it.key())))
            Q_EMIT interfaceChanged(CIpInterface(it.value()), CIpInterface(now.value(it.key())));
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!before.contains(it.key()))
            Q_EMIT interfaceAdded(CIpInterface(it.value()));
    }
}
