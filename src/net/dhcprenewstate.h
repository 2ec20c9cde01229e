// SPDX-License-Identifier: MIT
#pragma once
#include "actions/action.h"
#include "actions/actionstate.h"

#include <QTimer>

class CDhcpClient;
class CIpInterface;

// The action of "dhcpRenew": asks the system's DHCP client to renew the lease of the
// interface object "interface" (releasing it first with "releaseBeforeRenew"). The renewed
// interface is stored on the action and on the state, so the flow's maps that read
// "interface" afterwards see the new addresses. Leaving the state deletes the client: a late
// outcome reaches nobody.
class CActionDhcpRenew : public CAsyncAction {
    Q_OBJECT
public:
    CActionDhcpRenew(QObject* parent, const char* name);
    ~CActionDhcpRenew() override;

    void abort() override;

public Q_SLOTS:
    void slotInterfaceRenewed(const CIpInterface& interface);
    void slotRenewFailed(const CIpInterface& interface);
    void finishUp();

protected:
    int doAction() override;

private:
    CDhcpClient* m_client = nullptr;
    QTimer m_finishTimer;
};

// "dhcpRenew": leaves with "interfaceRenewed" or "renewFailed".
class CDhcpRenewState : public CActionState {
    Q_OBJECT
public:
    CDhcpRenewState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
};
