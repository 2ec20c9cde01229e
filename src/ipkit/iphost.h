// SPDX-License-Identifier: MIT
#pragma once
// A snapshot of the machine's interfaces (CIpHost) and where it comes from (CIpConfig).
#include "ipkit/ipinterface.h"

#include <memory>
#include <vector>

class CIpHost {
public:
    CIpHost() = default;
    explicit CIpHost(const QList<IpKit::InterfaceRecord>& records);
    CIpHost(CIpHost&&) = default;
    CIpHost& operator=(CIpHost&&) = default;

    // Walk the interfaces in order; null at the end.
    CIpInterface* firstInterface();
    CIpInterface* nextInterface();
    int count() const { return int(m_interfaces.size()); }
    CIpInterface* interface(int i) const { return m_interfaces.at(size_t(i)).get(); }
    // One line per interface, for traces.
    QString toString() const;

private:
    std::vector<std::unique_ptr<CIpInterface>> m_interfaces;
    size_t m_cursor = 0;
};

class CIpConfig {
public:
    // The interfaces as they are now. An empty host when the network library cannot be
    // loaded (the reason is traced).
    CIpHost queryHost(bool refresh) const;
};
