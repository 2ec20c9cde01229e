// SPDX-License-Identifier: MIT
#include "ipkit/dhcpclient.h"
#include "ipkit/backendloader.h"

#include <QTimer>

CDhcpClient::CDhcpClient(QObject* parent) : QObject(parent) {}

CDhcpClient::~CDhcpClient() = default;

bool CDhcpClient::renew(const CIpInterface& interface, bool releaseFirst)
{
    m_error.clear();
    m_backend = IpKit::backend(&m_error);
    const CIpInterface before(interface);
    if (!m_backend) {
        QTimer::singleShot(0, this, [this, before] { Q_EMIT addressReleaseOrRenewFailed(before); });
        return true;
    }
    return m_backend->renew(this, interface.toRecord(), releaseFirst, [this, before](const IpKit::Outcome& outcome) {
        if (outcome.ok) {
            Q_EMIT addressRenewed(CIpInterface(outcome.interface));
        } else {
            m_error = outcome.error;
            Q_EMIT addressReleaseOrRenewFailed(before);
        }
    });
}
