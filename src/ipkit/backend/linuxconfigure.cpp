// SPDX-License-Identifier: MIT
#include "ipkit/backend/commandchain.h"
#include "ipkit/backend/linuxbackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <net/if.h>

namespace {

// iproute2 and dhclient live in sbin, which the path of an ordinary user may lack.
QString tool(const QString& name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return path;
}

QString dotted(quint32 a)
{
    return QStringLiteral("%1.%2.%3.%4").arg(a >> 24).arg((a >> 16) & 0xff).arg((a >> 8) & 0xff).arg(a & 0xff);
}

int prefixLength(quint32 mask)
{
    int n = 0;
    for (; mask & 0x80000000u; mask <<= 1)
        ++n;
    return n;
}

void failLater(QObject* context, const IpKit::Done& done, const QString& error)
{
    QTimer::singleShot(0, context, [done, error] {
        IpKit::Outcome outcome;
        outcome.error = error;
        done(outcome);
    });
}

// The machine-wide resolver list: other lines (search domains, options) stay as they are.
QString writeNameServers(const QList<quint32>& servers)
{
    QFile f(LinuxNet::resolvConfPath());
    QByteArray kept;
    if (f.open(QIODevice::ReadOnly)) {
        while (!f.atEnd()) {
            const QByteArray line = f.readLine();
            if (!line.trimmed().startsWith("nameserver"))
                kept += line;
        }
        f.close();
    }
    for (quint32 s : servers)
        kept += "nameserver " + dotted(s).toLatin1() + '\n';
    // Written in place: the file may be a bind mount (as in a network namespace), which a
    // rename cannot replace.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(kept) != kept.size())
        return QStringLiteral("cannot write %1: %2").arg(f.fileName(), f.errorString());
    return QString();
}

QString checkCanChange(const QString& id, const char* what)
{
    const QString missing = LinuxNet::missingNetAdmin(what);
    if (!missing.isEmpty())
        return missing;
    if (if_nametoindex(QFile::encodeName(id).constData()) == 0)
        return QStringLiteral("no interface with the id \"%1\"").arg(id);
    return QString();
}

// Stops the DHCP client this backend started for the interface, keeping its lease.
QList<CommandChain::Command> stopClient(const QString& id)
{
    const QString dhclient = tool(QStringLiteral("dhclient"));
    if (dhclient.isEmpty() || !QFileInfo::exists(LinuxNet::pidFile(id)))
        return {};
    return {{{dhclient, QStringLiteral("-x"), QStringLiteral("-pf"), LinuxNet::pidFile(id), QStringLiteral("-lf"),
              LinuxNet::leaseFile(id), id},
             true,
             nullptr}};
}

} // namespace

void LinuxBackend::apply(QObject* context, const IpKit::InterfaceRecord& wanted, IpKit::Done done)
{
    const QString problem = checkCanChange(wanted.id, "applying a network configuration");
    const QString ip = tool(QStringLiteral("ip"));
    if (!problem.isEmpty() || ip.isEmpty()) {
        failLater(context, done, problem.isEmpty() ? QStringLiteral("iproute2 (ip) is not installed") : problem);
        return;
    }
    const QString id = wanted.id;
    QList<CommandChain::Command> commands;
    if (wanted.dhcp) {
        // The mode is what changes; the addresses stay until a renewal brings a lease.
        QDir().mkpath(LinuxNet::stateDirectory());
        QFile lease(LinuxNet::leaseFile(id));
        if (!lease.exists())
            lease.open(QIODevice::WriteOnly);
    } else {
        commands = stopClient(id);
        commands << CommandChain::Command {{ip, QStringLiteral("-4"), QStringLiteral("addr"), QStringLiteral("flush"), QStringLiteral("dev"), id},
                                          false,
                                          [id] {
                                              QFile::remove(LinuxNet::leaseFile(id));
                                              QFile::remove(LinuxNet::pidFile(id));
                                          }};
        for (const IpKit::AddressMask& a : wanted.addresses) {
            commands << CommandChain::Command {{ip, QStringLiteral("addr"), QStringLiteral("add"),
                                               dotted(a.address) + QLatin1Char('/') + QString::number(prefixLength(a.mask)),
                                               QStringLiteral("dev"), id},
                                              false, nullptr};
        }
        commands << CommandChain::Command {{ip, QStringLiteral("link"), QStringLiteral("set"), id, QStringLiteral("up")}, false, nullptr};
        commands << CommandChain::Command {{ip, QStringLiteral("-4"), QStringLiteral("route"), QStringLiteral("flush"),
                                           QStringLiteral("exact"), QStringLiteral("0.0.0.0/0"), QStringLiteral("dev"), id},
                                          true, nullptr};
        int metric = 0;
        for (quint32 g : wanted.gateways) {
            commands << CommandChain::Command {{ip, QStringLiteral("route"), QStringLiteral("add"), QStringLiteral("default"),
                                               QStringLiteral("via"), dotted(g), QStringLiteral("dev"), id,
                                               QStringLiteral("metric"), QString::number(metric++)},
                                              false, nullptr};
        }
    }
    const QList<quint32> nameServers = wanted.dhcp ? QList<quint32>() : wanted.nameServers;
    new CommandChain(context, commands, [this, id, nameServers, done](const QString& error) {
        IpKit::Outcome outcome;
        outcome.error = error;
        if (error.isEmpty() && !nameServers.isEmpty())
            outcome.error = writeNameServers(nameServers);
        outcome.ok = outcome.error.isEmpty();
        outcome.interface = interfaceNamed(id);
        done(outcome);
    });
}

bool LinuxBackend::renew(QObject* context, const IpKit::InterfaceRecord& interface, bool releaseFirst, IpKit::Done done)
{
    const QString id = interface.id;
    QString problem = checkCanChange(id, "renewing a DHCP lease");
    const QString dhclient = tool(QStringLiteral("dhclient"));
    if (problem.isEmpty() && dhclient.isEmpty())
        problem = QStringLiteral("no DHCP client: dhclient (isc-dhcp-client) is not installed");
    const QString directory = LinuxNet::stateDirectory();
    const QString conf = directory + QStringLiteral("/dhclient.conf");
    if (problem.isEmpty()) {
        QDir().mkpath(directory);
        // One attempt that gives up in bounded time: a renewal never waits for ever.
        QFile f(conf);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write("timeout 20;\nretry 20;\n") < 0)
            problem = QStringLiteral("cannot write %1").arg(conf);
    }
    if (!problem.isEmpty()) {
        failLater(context, done, problem);
        return true;
    }
    const QStringList files {QStringLiteral("-pf"), LinuxNet::pidFile(id), QStringLiteral("-lf"), LinuxNet::leaseFile(id),
                             QStringLiteral("-cf"), conf};
    QList<CommandChain::Command> commands = stopClient(id);
    // Renewing makes a static interface a DHCP one: its fixed addresses go, as they would
    // on the system the flow was written for, instead of staying beside the lease.
    if (!QFileInfo::exists(LinuxNet::leaseFile(id))) {
        const QString ip = tool(QStringLiteral("ip"));
        commands << CommandChain::Command {{ip, QStringLiteral("-4"), QStringLiteral("addr"), QStringLiteral("flush"), QStringLiteral("dev"), id}, true, nullptr};
    }
    if (releaseFirst)
        commands << CommandChain::Command {QStringList {dhclient, QStringLiteral("-r")} + files + QStringList {id}, false, nullptr};
    commands << CommandChain::Command {QStringList {dhclient, QStringLiteral("-1")} + files + QStringList {id}, false, nullptr};
    new CommandChain(context, commands, [this, id, done](const QString& error) {
        IpKit::Outcome outcome;
        outcome.error = error;
        outcome.ok = error.isEmpty();
        outcome.interface = interfaceNamed(id);
        done(outcome);
    });
    return true;
}
