// SPDX-License-Identifier: MIT
#pragma once
// The network simulated from the "network" groups of an emulation profile. No packet is sent
// and no real resolver is asked: the profile is a closed world. Applying and renewing change
// the simulated host, which later snapshots and the monitors see; interfaces with "upAfter"
// come up that many seconds after the backend was made (the first use of the library).
#include "ipkit/ipbackend.h"

#include <QElapsedTimer>
#include <QMap>
#include <QMutex>
#include <QPointer>
#include <QSet>

class QSettings;

class EmulatedBackend : public IpKit::Backend {
public:
    explicit EmulatedBackend(QSettings& profile);

    bool isEmulated() const override { return true; }
    QList<IpKit::InterfaceRecord> interfaces() override;
    void watch(QObject* context, std::function<void()> changed) override;
    void apply(QObject* context, const IpKit::InterfaceRecord& wanted, IpKit::Done done) override;
    bool renew(QObject* context, const IpKit::InterfaceRecord& interface, bool releaseFirst, IpKit::Done done) override;
    int echo(quint32 address, int timeoutMs, int ttl, int dataSize, qint64* rttMicroseconds,
             const IpKit::StopCheck& stop) override;
    int addressesByName(const QString& name, QList<quint32>* addresses, QString* error) override;
    int nameByAddress(quint32 address, QString* name, QString* error) override;

private:
    struct Simulated {
        IpKit::InterfaceRecord record;
        QString renew;                       // ok, fail or nosignal
        QList<IpKit::AddressMask> renewAddresses;
        qint64 upAfterMs = -1;               // -1: no scheduled change
    };
    struct Watcher {
        QPointer<QObject> context;
        std::function<void()> changed;
    };

    void readInterface(QSettings& profile, const QString& id);
    // Brings up the interfaces whose time has come. Under the lock.
    void settle();
    int indexOf(const QString& id) const;
    void notifyWatchers();

    QMutex m_mutex;
    QElapsedTimer m_clock;
    QList<Simulated> m_interfaces;
    bool m_rebootRequired = false;
    QSet<quint32> m_pingReply;
    int m_pingRttMs = 1;
    QList<QPair<QString, QList<quint32>>> m_hosts;
    QList<Watcher> m_watchers;
};
