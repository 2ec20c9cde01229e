// SPDX-License-Identifier: MIT
#include "ipkit/icmp.h"
#include "ipkit/backendloader.h"

CIcmp::CIcmp(QObject* parent) : QObject(parent) {}

CIcmp::~CIcmp() = default;

int CIcmp::sendEchoRequest(const CIpAddress& address, int timeout, quint8 ttl, quint8 packetSize)
{
    m_rttMicroseconds = 0;
    if (address.validate(false) != CIpAddress::Usable)
        return IpKit::EchoBadDestination;
    // No system sends a packet that may take no hop at all.
    if (ttl == 0)
        return IpKit::EchoBadOption;
    const std::shared_ptr<IpKit::Backend> backend = IpKit::backend();
    if (!backend)
        return IpKit::EchoGeneralFailure;
    return backend->echo(address.address(), qMax(0, timeout), ttl, packetSize, &m_rttMicroseconds, m_stop);
}

QString CIcmp::errorText(int status)
{
    switch (status) {
    case IpKit::EchoSuccess:
        return QStringLiteral("success");
    case IpKit::EchoDestinationHostUnreachable:
        return QStringLiteral("destination host unreachable");
    case IpKit::EchoBadOption:
        return QStringLiteral("bad option");
    case IpKit::EchoTimedOut:
        return QStringLiteral("request timed out");
    case IpKit::EchoTtlExpired:
        return QStringLiteral("time to live expired in transit");
    case IpKit::EchoBadDestination:
        return QStringLiteral("bad destination");
    default:
        return QStringLiteral("general failure");
    }
}
