// SPDX-License-Identifier: MIT
#pragma once
#include "actions/action.h"
#include "actions/actionstate.h"

#include <QTimer>

class CIpMonitor;
class CIpInterface;

// The action of "waitNullAddresses": waits until no connected DHCP interface holds the null
// address 0.0.0.0, checking at the start and whenever the interface monitor reports a change,
// for at most "timeout" seconds (at least 20). A disconnected interface is waited for
// "interfaceTimeout" seconds once per entry, then ignored. Finishes with "finished" or
// "timeout".
class CActionWaitNullAddresses : public CAsyncAction {
    Q_OBJECT
public:
    CActionWaitNullAddresses(QObject* parent, const char* name);
    ~CActionWaitNullAddresses() override;

    void reset() override;
    void abort() override;

public Q_SLOTS:
    void slotInterfaceAddedRemoved(const CIpInterface& interface);
    void slotInterfaceChanged(const CIpInterface& before, const CIpInterface& after);
    void slotTimeout();
    void checkNullAdresses();

protected:
    int doAction() override;

private:
    // Whether some interface is still to be waited for (the walk traces what it finds).
    bool nullAddressesLeft();
    bool waitForDisconnected();
    void finish(const QString& event);
    void detach();

    CIpMonitor* m_monitor = nullptr;
    QTimer m_timeoutTimer;
    QTimer m_interfaceTimer;
    bool m_waiting = false;
    QTimer m_recheckTimer; // one check 10 ms after a burst of monitor reports
};

// "waitNullAddresses": leaves with "finished" or "timeout".
class CWaitNullAddressesState : public CActionState {
    Q_OBJECT
public:
    CWaitNullAddressesState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
};
