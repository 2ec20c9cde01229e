// SPDX-License-Identifier: MIT
#include "ipkit/iphost.h"
#include "ipkit/backendloader.h"

CIpHost::CIpHost(const QList<IpKit::InterfaceRecord>& records)
{
    m_interfaces.reserve(size_t(records.size()));
    for (const IpKit::InterfaceRecord& r : records)
        m_interfaces.push_back(std::make_unique<CIpInterface>(r));
}

CIpInterface* CIpHost::firstInterface()
{
    m_cursor = 0;
    return nextInterface();
}

CIpInterface* CIpHost::nextInterface()
{
    if (m_cursor >= m_interfaces.size())
        return nullptr;
    return m_interfaces[m_cursor++].get();
}

QString CIpHost::toString() const
{
    QStringList lines;
    for (const auto& i : m_interfaces)
        lines << i->toString();
    return lines.join(QLatin1Char('\n'));
}

CIpHost CIpConfig::queryHost(bool) const
{
    // Every query reads the system afresh, so the flag that asks for it changes nothing.
    const std::shared_ptr<IpKit::Backend> backend = IpKit::backend();
    return backend ? CIpHost(backend->interfaces()) : CIpHost();
}
