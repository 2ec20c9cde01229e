// SPDX-License-Identifier: MIT
#pragma once
// Renews the DHCP lease of an interface through the system's DHCP client. Deleting the object
// abandons a renewal under way: no signal follows. Needs root on the real system.
#include "ipkit/ipinterface.h"

#include <QObject>
#include <memory>

class CDhcpClient : public QObject {
    Q_OBJECT
public:
    explicit CDhcpClient(QObject* parent = nullptr);
    ~CDhcpClient() override;

    // True: the outcome follows as addressRenewed() (with the interface as it is afterwards)
    // or addressReleaseOrRenewFailed(). False: no signal follows.
    bool renew(const CIpInterface& interface, bool releaseFirst);
    QString errorString() const { return m_error; }

Q_SIGNALS:
    void addressRenewed(const CIpInterface& interface);
    void addressReleaseOrRenewFailed(const CIpInterface& interface);

private:
    std::shared_ptr<IpKit::Backend> m_backend;
    QString m_error;
};
