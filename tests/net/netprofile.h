// SPDX-License-Identifier: MIT
#pragma once
// An emulation profile with a simulated network, in force while the object lives.
#include "platform/platform.h"

#include <QFile>
#include <QTemporaryDir>

class NetProfile {
public:
    explicit NetProfile(const QByteArray& ini)
    {
        m_path = m_dir.filePath(QStringLiteral("profile.ini"));
        QFile f(m_path);
        if (f.open(QIODevice::WriteOnly))
            f.write(ini);
        f.close();
        qputenv("SETUPFSM_PROFILE", QFile::encodeName(m_path));
        Platform::reloadProfile();
    }
    ~NetProfile()
    {
        qunsetenv("SETUPFSM_PROFILE");
        Platform::reloadProfile();
    }
    NetProfile(const NetProfile&) = delete;
    NetProfile& operator=(const NetProfile&) = delete;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// The office network of the examples: a wired DHCP interface that has no lease yet, a
// wireless one with a static address, and a modem line.
inline QByteArray officeNetwork(const QByteArray& extra = QByteArray())
{
    return "[network]\n"
           "interfaces=lan,wlan,dialup\n"
           "pingReply=192.168.1.1,192.168.1.20\n"
           "pingRtt=3\n" +
           extra +
           "[network.hosts]\n"
           "router.lan=192.168.1.1\n"
           "files.lan=192.168.1.20,192.168.1.21\n"
           "[network.lan]\n"
           "description=Intel(R) PRO/1000 MT\n"
           "type=ethernet\n"
           "dhcp=true\n"
           "addresses=0.0.0.0/0.0.0.0\n"
           "renewAddresses=192.168.1.77/255.255.255.0\n"
           "[network.wlan]\n"
           "description=Intel(R) Wireless-AC 9560\n"
           "type=wireless\n"
           "addresses=192.168.1.30/255.255.255.0\n"
           "gateways=192.168.1.1\n"
           "nameServers=192.168.1.1\n"
           "[network.dialup]\n"
           "description=WAN Miniport\n"
           "type=ppp\n"
           "dhcp=true\n"
           "addresses=0.0.0.0/0.0.0.0\n";
}
