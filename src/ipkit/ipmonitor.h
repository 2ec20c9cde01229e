// SPDX-License-Identifier: MIT
#pragma once
// Reports interfaces that appear, go or change while it exists. It compares snapshots taken
// whenever the backend says something may have changed (an rtnetlink message, or a change of
// the simulated host), so a change is reported once, however many messages announce it.
// Event-loop thread.
#include "ipkit/ipinterface.h"

#include <QMap>
#include <QObject>
#include <memory>

class CIpMonitor : public QObject {
    Q_OBJECT
public:
    explicit CIpMonitor(QObject* parent = nullptr);
    ~CIpMonitor() override;

Q_SIGNALS:
    void interfaceAdded(const CIpInterface& interface);
    void interfaceRemoved(const CIpInterface& interface);
    void interfaceChanged(const CIpInterface& before, const CIpInterface& after);

private:
    void rescan();

    std::shared_ptr<IpKit::Backend> m_backend;
    QMap<QString, IpKit::InterfaceRecord> m_known;
    bool m_rescanQueued = false;
};
