// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"

#include <QTimer>

class CAsyncIpConfig;
class CIpInterface;

// "ipConfig": applies the interface object "newInterface" to the system and leaves, 10 ms
// after the library reports it done, with "interfaceUpdated", or "needReboot" when the system
// must restart first. When the settings cannot be applied (an address that is not IPv4, an
// interface the system lacks, no permission) it leaves with "failed" and traces why; the
// library reports no success it did not have. Leaving the state abandons the work.
class CIpConfigState : public CState {
    Q_OBJECT
public:
    CIpConfigState(QObject* parent, const char* name, const QDomNode& element);
    ~CIpConfigState() override;

    void initialize() override;
    void enter() override;
    void leave() override;

public Q_SLOTS:
    void slotInterfaceUpdated(const CIpInterface& interface);
    void slotConfigurationFailed(const CIpInterface& interface, const QString& reason);

private:
    void detach();

    CAsyncIpConfig* m_config = nullptr;
    QTimer m_leaveTimer;
};
