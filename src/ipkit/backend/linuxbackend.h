// SPDX-License-Identifier: MIT
#pragma once
// The real network of this machine (or of the network namespace the process runs in).
// Reading: interfaces from QNetworkInterface and /sys, gateways from /proc/net/route, name
// servers from the resolver configuration; changes from an rtnetlink socket. Writing (root
// only): iproute2 for addresses and routes, the resolver configuration for name servers, and
// dhclient for leases. Echo requests through a raw socket as root, else a ping socket.
#include "ipkit/ipbackend.h"

class LinuxBackend : public IpKit::Backend {
public:
    bool isEmulated() const override { return false; }
    QList<IpKit::InterfaceRecord> interfaces() override;
    void watch(QObject* context, std::function<void()> changed) override;
    void apply(QObject* context, const IpKit::InterfaceRecord& wanted, IpKit::Done done) override;
    bool renew(QObject* context, const IpKit::InterfaceRecord& interface, bool releaseFirst, IpKit::Done done) override;
    int echo(quint32 address, int timeoutMs, int ttl, int dataSize, qint64* rttMicroseconds,
             const IpKit::StopCheck& stop) override;
    int addressesByName(const QString& name, QList<quint32>* addresses, QString* error) override;
    int nameByAddress(quint32 address, QString* name, QString* error) override;

    // The interface as the system holds it now; a record with an empty id when it has none.
    IpKit::InterfaceRecord interfaceNamed(const QString& id);
};

namespace LinuxNet {

// Where this backend keeps its DHCP client's lease and pid files: an interface with a lease
// file here counts as DHCP-enabled.
QString stateDirectory();
QString leaseFile(const QString& id);
QString pidFile(const QString& id);
// The resolver configuration that name servers are read from and written to.
QString resolvConfPath();
// The missing permission, or empty when the process may change the network.
QString missingNetAdmin(const char* what);

} // namespace LinuxNet
