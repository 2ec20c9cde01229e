// SPDX-License-Identifier: MIT
#include "ipkit/backend/linuxbackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QSocketNotifier>
#include <QTextStream>
#include <arpa/inet.h>
#include <linux/capability.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace LinuxNet {

QString stateDirectory()
{
    const QString fromEnv = qEnvironmentVariable("SETUPFSM_IPKIT_STATE_DIR");
    return fromEnv.isEmpty() ? QStringLiteral("/run/setupfsm-ipkit") : fromEnv;
}

QString leaseFile(const QString& id)
{
    return stateDirectory() + QStringLiteral("/dhclient.") + id + QStringLiteral(".leases");
}

QString pidFile(const QString& id)
{
    return stateDirectory() + QStringLiteral("/dhclient.") + id + QStringLiteral(".pid");
}

QString resolvConfPath()
{
    return QStringLiteral("/etc/resolv.conf");
}

QString missingNetAdmin(const char* what)
{
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] {};
    if (syscall(SYS_capget, &header, data) == 0 && (data[0].effective & (1u << CAP_NET_ADMIN)))
        return QString();
    return QStringLiteral("permission denied: %1 needs root (the capability CAP_NET_ADMIN)").arg(QLatin1String(what));
}

} // namespace LinuxNet

namespace {

QString readLine(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(f.readLine()).trimmed();
}

int typeOf(const QNetworkInterface& ni)
{
    switch (ni.type()) {
    case QNetworkInterface::Loopback:
        return 1;
    case QNetworkInterface::Ppp:
        return 2;
    case QNetworkInterface::Wifi:
        return 4;
    case QNetworkInterface::Ethernet:
        // A network adapter on a USB bus is what scripts call a USB interface.
        return QFileInfo(QStringLiteral("/sys/class/net/%1/device").arg(ni.name())).canonicalFilePath().contains(QLatin1String("/usb")) ? 5 : 3;
    default:
        return 0;
    }
}

int mediaOf(const QNetworkInterface& ni)
{
    if (!ni.flags().testFlag(QNetworkInterface::IsRunning))
        return 2;
    const QString carrier = readLine(QStringLiteral("/sys/class/net/%1/carrier").arg(ni.name()));
    return carrier.isEmpty() || carrier == QLatin1String("1") ? 1 : 2;
}

// Default routes per interface, from the kernel's table: destination 0 with a gateway.
QMap<QString, QList<quint32>> defaultGateways()
{
    QMap<QString, QList<quint32>> out;
    QFile f(QStringLiteral("/proc/net/route"));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    f.readLine();
    while (!f.atEnd()) {
        const QList<QByteArray> fields = f.readLine().simplified().split(' ');
        if (fields.size() < 4)
            continue;
        bool ok1 = false, ok2 = false, ok3 = false;
        const quint32 destination = fields[1].toUInt(&ok1, 16);
        const quint32 gateway = fields[2].toUInt(&ok2, 16);
        const uint flags = fields[3].toUInt(&ok3, 16);
        constexpr uint kRtfGateway = 0x2;
        if (ok1 && ok2 && ok3 && destination == 0 && (flags & kRtfGateway))
            out[QString::fromLatin1(fields[0])] << ntohl(gateway);
    }
    return out;
}

QList<quint32> resolverNameServers()
{
    QList<quint32> out;
    QFile f(LinuxNet::resolvConfPath());
    if (!f.open(QIODevice::ReadOnly))
        return out;
    while (!f.atEnd()) {
        const QList<QByteArray> words = f.readLine().simplified().split(' ');
        in_addr a {};
        if (words.size() >= 2 && words[0] == "nameserver" && inet_pton(AF_INET, words[1].constData(), &a) == 1)
            out << ntohl(a.s_addr);
    }
    return out;
}

// A lease kept by this backend's client, by systemd-networkd or by a dhclient of the system.
bool hasDhcpLease(const QString& id, int index)
{
    if (QFileInfo::exists(LinuxNet::leaseFile(id))
        || QFileInfo::exists(QStringLiteral("/run/systemd/netif/leases/%1").arg(index)))
        return true;
    const QDir dir(QStringLiteral("/var/lib/dhcp"));
    const QStringList leases = dir.entryList({QStringLiteral("dhclient*.leases")}, QDir::Files);
    const QByteArray needle = "interface \"" + id.toUtf8() + "\";";
    for (const QString& name : leases) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(needle))
            return true;
    }
    return false;
}

IpKit::InterfaceRecord recordOf(const QNetworkInterface& ni, const QMap<QString, QList<quint32>>& gateways,
                                const QList<quint32>& nameServers)
{
    IpKit::InterfaceRecord r;
    r.id = ni.name();
    r.description = ni.humanReadableName();
    r.type = typeOf(ni);
    r.mediaStatus = mediaOf(ni);
    r.dhcp = r.type != 1 && hasDhcpLease(r.id, ni.index());
    for (const QNetworkAddressEntry& e : ni.addressEntries()) {
        if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
            r.addresses << IpKit::AddressMask {e.ip().toIPv4Address(), e.netmask().toIPv4Address()};
    }
    // A DHCP interface waiting for its lease has no IPv4 address here; scripts know that state
    // as the null address.
    if (r.dhcp && r.addresses.isEmpty())
        r.addresses << IpKit::AddressMask {0, 0};
    r.gateways = gateways.value(r.id);
    // The resolver configuration is the machine's, not an interface's: it belongs to every
    // interface that can reach a name server.
    if (r.type != 1 && !r.addresses.isEmpty())
        r.nameServers = nameServers;
    return r;
}

// Drains the rtnetlink socket and reports that something changed.
class NetlinkWatch : public QObject {
public:
    NetlinkWatch(QObject* context, std::function<void()> changed)
        : QObject(context), m_changed(std::move(changed))
    {
        m_fd = socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
        if (m_fd < 0)
            return;
        sockaddr_nl address {};
        address.nl_family = AF_NETLINK;
        address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE;
        if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(m_fd);
            m_fd = -1;
            return;
        }
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { drain(); });
    }
    ~NetlinkWatch() override
    {
        delete m_notifier;
        if (m_fd >= 0)
            close(m_fd);
    }

private:
    void drain()
    {
        char buffer[8192];
        bool any = false;
        while (recv(m_fd, buffer, sizeof buffer, 0) > 0)
            any = true;
        if (any)
            m_changed();
    }

    std::function<void()> m_changed;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace

QList<IpKit::InterfaceRecord> LinuxBackend::interfaces()
{
    const QMap<QString, QList<quint32>> gateways = defaultGateways();
    const QList<quint32> nameServers = resolverNameServers();
    QList<IpKit::InterfaceRecord> out;
    for (const QNetworkInterface& ni : QNetworkInterface::allInterfaces())
        out << recordOf(ni, gateways, nameServers);
    return out;
}

IpKit::InterfaceRecord LinuxBackend::interfaceNamed(const QString& id)
{
    const QNetworkInterface ni = QNetworkInterface::interfaceFromName(id);
    if (!ni.isValid())
        return IpKit::InterfaceRecord();
    return recordOf(ni, defaultGateways(), resolverNameServers());
}

void LinuxBackend::watch(QObject* context, std::function<void()> changed)
{
    new NetlinkWatch(context, std::move(changed));
}
