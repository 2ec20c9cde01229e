// SPDX-License-Identifier: MIT
#pragma once
// Name look-ups both ways through the system's resolver (or the simulated host table of an
// emulation profile). Blocks the calling worker thread.
#include "ipkit/ipaddress.h"

class CHostNameLookup {
public:
    bool addressByName(const QString& name);
    bool nameByAddress(const CIpAddress& address);

    const CIpAddressList& addressList() const { return m_addresses; }
    QString hostName() const { return m_hostName; }
    QString friendlyError() const { return m_error; }
    // The resolver's code (getaddrinfo's EAI_ values), 0 after a success.
    int errorCode() const { return m_errorCode; }

private:
    CIpAddressList m_addresses;
    QString m_hostName;
    QString m_error;
    int m_errorCode = 0;
};
