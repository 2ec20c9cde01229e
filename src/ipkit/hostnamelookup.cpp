// SPDX-License-Identifier: MIT
#include "ipkit/hostnamelookup.h"
#include "ipkit/backendloader.h"

#include <netdb.h>

bool CHostNameLookup::addressByName(const QString& name)
{
    m_addresses.clear();
    m_error.clear();
    const std::shared_ptr<IpKit::Backend> backend = IpKit::backend(&m_error);
    if (!backend) {
        m_errorCode = EAI_SYSTEM;
        return false;
    }
    QList<quint32> found;
    m_errorCode = backend->addressesByName(name, &found, &m_error);
    for (quint32 a : found)
        m_addresses << CIpAddress(CIpAddress::dotted(a));
    return m_errorCode == 0;
}

bool CHostNameLookup::nameByAddress(const CIpAddress& address)
{
    m_hostName.clear();
    m_error.clear();
    const std::shared_ptr<IpKit::Backend> backend = IpKit::backend(&m_error);
    if (!backend) {
        m_errorCode = EAI_SYSTEM;
        return false;
    }
    m_errorCode = backend->nameByAddress(address.address(), &m_hostName, &m_error);
    return m_errorCode == 0;
}
