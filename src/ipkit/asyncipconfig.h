// SPDX-License-Identifier: MIT
#pragma once
// Applies an interface's settings to the system without blocking the event loop: addresses,
// gateways, name servers and the DHCP mode. interfaceUpdated() follows once they are in
// place; configurationFailed() when they cannot be (addresses that are not IPv4, an interface
// the system does not have, no permission). Deleting the object abandons the work: no signal
// follows. Needs root on the real system.
#include "ipkit/ipinterface.h"

#include <QObject>
#include <memory>

class CAsyncIpConfig : public QObject {
    Q_OBJECT
public:
    explicit CAsyncIpConfig(QObject* parent = nullptr);
    ~CAsyncIpConfig() override;

    void setInterface(CIpInterface* interface);
    // Whether the system must restart before the settings hold; valid after interfaceUpdated().
    bool isRebootRequired() const { return m_rebootRequired; }
    QString errorString() const { return m_error; }

Q_SIGNALS:
    void interfaceUpdated(const CIpInterface& interface);
    void configurationFailed(const CIpInterface& interface, const QString& reason);

private:
    void failLater(const CIpInterface& interface, const QString& reason);

    std::shared_ptr<IpKit::Backend> m_backend;
    bool m_rebootRequired = false;
    QString m_error;
};
