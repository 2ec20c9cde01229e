// SPDX-License-Identifier: MIT
#include "ipkit/ipinterface.h"

namespace {

void add(CIpAddressList& list, const CIpAddress& address, bool front)
{
    if (front)
        list.prepend(address);
    else
        list.append(address);
}

QString checkList(const CIpAddressList& list, const char* what)
{
    for (const CIpAddress& a : list) {
        switch (a.validate(true)) {
        case CIpAddress::NotAnAddress:
            return QStringLiteral("%1 \"%2\" is no IPv4 address").arg(QLatin1String(what), a.toString(false));
        case CIpAddress::BadMask:
            return QStringLiteral("%1 \"%2\" has a mask that is not contiguous").arg(QLatin1String(what), a.toString(true));
        default:
            break;
        }
    }
    return QString();
}

QList<quint32> plain(const CIpAddressList& list)
{
    QList<quint32> out;
    for (const CIpAddress& a : list)
        out << a.address();
    return out;
}

QStringList strings(const CIpAddressList& list, bool withMask)
{
    QStringList out;
    for (const CIpAddress& a : list)
        out << a.toString(withMask);
    return out;
}

// The mask an address given without one gets: that of its old address class, as setup
// dialogs have always proposed it.
quint32 classMask(quint32 address)
{
    if (address < 0x80000000u)
        return 0xff000000u;
    if (address < 0xc0000000u)
        return 0xffff0000u;
    return 0xffffff00u;
}

} // namespace

CIpInterface::CIpInterface(const IpKit::InterfaceRecord& r)
    : m_description(r.description)
    , m_type(r.type)
    , m_mediaStatus(r.mediaStatus)
    , m_dhcp(r.dhcp)
{
    setObjectName(r.id);
    for (const IpKit::AddressMask& a : r.addresses)
        m_addresses << CIpAddress(a.address, a.mask);
    for (quint32 g : r.gateways)
        m_gateways << CIpAddress(CIpAddress::dotted(g));
    for (quint32 n : r.nameServers)
        m_nameServers << CIpAddress(CIpAddress::dotted(n));
}

CIpInterface::CIpInterface(const CIpInterface& other) : CPropertyObject(other)
{
    copyFrom(other);
}

CIpInterface& CIpInterface::operator=(const CIpInterface& other)
{
    if (this != &other) {
        setObjectName(other.objectName());
        copyFrom(other);
    }
    return *this;
}

void CIpInterface::copyFrom(const CIpInterface& o)
{
    m_description = o.m_description;
    m_type = o.m_type;
    m_mediaStatus = o.m_mediaStatus;
    m_dhcp = o.m_dhcp;
    m_dhcpServer = o.m_dhcpServer;
    m_addresses = o.m_addresses;
    m_gateways = o.m_gateways;
    m_nameServers = o.m_nameServers;
}

CPropertyObject* CIpInterface::clone() const
{
    return new CIpInterface(*this);
}

CIpAddress CIpInterface::address(int i) const
{
    return i >= 0 && i < m_addresses.size() ? m_addresses.at(i) : CIpAddress::null;
}

QString CIpInterface::typeWord(int type)
{
    static const char* const words[] = {"loopback", "ppp", "ethernet", "wireless", "usb"};
    return type >= Loopback && type <= Usb ? QLatin1String(words[type - 1]) : QString();
}

QString CIpInterface::toString() const
{
    const QString typeText = typeWord(m_type).isEmpty() ? QString::number(m_type) : typeWord(m_type);
    return QStringLiteral("%1 \"%2\" type %3, %4, %5, addresses [%6], gateways [%7], name servers [%8]")
        .arg(id(), m_description, typeText,
             m_mediaStatus == NotConnected ? QStringLiteral("not connected") : QStringLiteral("connected"),
             m_dhcp ? QStringLiteral("DHCP") : QStringLiteral("static"), m_addresses.toString(QStringLiteral("; "), true),
             m_gateways.toString(QStringLiteral("; "), false), m_nameServers.toString(QStringLiteral("; "), false));
}

void CIpInterface::setDhcp(bool enabled, const CIpAddress& server)
{
    m_dhcp = enabled;
    m_dhcpServer = server;
}

void CIpInterface::removeAllAddress()
{
    m_addresses.clear();
}

void CIpInterface::addAddress(const CIpAddress& address, bool front)
{
    add(m_addresses, address, front);
}

void CIpInterface::removeAllGatewayAddress()
{
    m_gateways.clear();
}

void CIpInterface::addGatewayAddress(const CIpAddress& address, bool front)
{
    add(m_gateways, address, front);
}

void CIpInterface::removeAllNameServerAddress()
{
    m_nameServers.clear();
}

void CIpInterface::addNameServerAddress(const CIpAddress& address, bool front)
{
    add(m_nameServers, address, front);
}

QStringList CIpInterface::addressStrings() const
{
    return strings(m_addresses, true);
}

QStringList CIpInterface::gatewayStrings() const
{
    return strings(m_gateways, false);
}

QStringList CIpInterface::nameServerStrings() const
{
    return strings(m_nameServers, false);
}

QString CIpInterface::firstInvalidAddress() const
{
    QString problem = checkList(m_addresses, "address");
    if (problem.isEmpty())
        problem = checkList(m_gateways, "gateway");
    if (problem.isEmpty())
        problem = checkList(m_nameServers, "name server");
    return problem;
}

IpKit::InterfaceRecord CIpInterface::toRecord() const
{
    IpKit::InterfaceRecord r;
    r.id = id();
    r.description = m_description;
    r.type = m_type;
    r.mediaStatus = m_mediaStatus;
    r.dhcp = m_dhcp;
    for (const CIpAddress& a : m_addresses) {
        r.addresses << IpKit::AddressMask {a.address(), a.hasMask() ? a.mask() : classMask(a.address())};
    }
    r.gateways = plain(m_gateways);
    r.nameServers = plain(m_nameServers);
    return r;
}
