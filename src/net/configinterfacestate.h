// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"

class CIpInterface;

// "configInterface": edits the interface object "interface" (DHCP, addresses with "mask",
// gateways, name servers) and stores the edited copy back; nothing reaches the system until
// "ipConfig" applies it. Leaves with "finished" within enter.
class CConfigInterfaceState : public CState {
    Q_OBJECT
public:
    CConfigInterfaceState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    void enter() override;

private:
    void editStatic(CIpInterface& i);
    // The address texts of a property, without empty entries (each traced).
    QStringList addressTexts(const char* name) const;
};
