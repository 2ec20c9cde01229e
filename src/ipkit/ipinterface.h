// SPDX-License-Identifier: MIT
#pragma once
// One network interface as the network library sees it: a property object, so it travels
// between states as an object property, and named after its id, so an object list holds one
// entry per interface. Editing it changes nothing on the system; CAsyncIpConfig applies it.
// Its Qt properties let scripts read it ("id", "description", "addresses", ...).
#include "engine/object.h"
#include "ipkit/ipaddress.h"
#include "ipkit/ipbackend.h"

class CIpInterface : public CPropertyObject {
    Q_OBJECT
    Q_PROPERTY(QString id READ id)
    Q_PROPERTY(QString description READ description)
    Q_PROPERTY(int type READ type)
    Q_PROPERTY(int mediaStatus READ mediaStatus)
    Q_PROPERTY(bool dhcp READ isDhcpEnabled)
    Q_PROPERTY(QStringList addresses READ addressStrings)
    Q_PROPERTY(QStringList gateways READ gatewayStrings)
    Q_PROPERTY(QStringList nameServers READ nameServerStrings)
public:
    enum Type { Loopback = 1, Ppp = 2, Ethernet = 3, Wireless = 4, Usb = 5 };
    enum Media { Connected = 1, NotConnected = 2 };

    explicit CIpInterface(const IpKit::InterfaceRecord& record = IpKit::InterfaceRecord());
    CIpInterface(const CIpInterface& other);
    CIpInterface& operator=(const CIpInterface& other);
    CPropertyObject* clone() const override;

    QString id() const { return objectName(); }
    QString description() const { return m_description; }
    int type() const { return m_type; }
    int mediaStatus() const { return m_mediaStatus; }
    bool isDhcpEnabled() const { return m_dhcp; }
    int numberOfAddresses() const { return int(m_addresses.size()); }
    // CIpAddress::null past the end.
    CIpAddress address(int i) const;
    const CIpAddressList& addresses() const { return m_addresses; }
    const CIpAddressList& gatewayAddresses() const { return m_gateways; }
    const CIpAddressList& nameServerAddresses() const { return m_nameServers; }
    // One line for traces.
    QString toString() const;

    // The word of a type code ("ethernet"), empty for other codes.
    static QString typeWord(int type);

    void setDhcp(bool enabled, const CIpAddress& server);
    void removeAllAddress();
    void addAddress(const CIpAddress& address, bool front);
    void removeAllGatewayAddress();
    void addGatewayAddress(const CIpAddress& address, bool front);
    void removeAllNameServerAddress();
    void addNameServerAddress(const CIpAddress& address, bool front);

    // The first address that is not usable, with what is wrong with it; empty when all are.
    QString firstInvalidAddress() const;
    // The record the backend applies; only meaningful when firstInvalidAddress() is empty.
    IpKit::InterfaceRecord toRecord() const;

private:
    QStringList addressStrings() const;
    QStringList gatewayStrings() const;
    QStringList nameServerStrings() const;
    void copyFrom(const CIpInterface& other);

    QString m_description;
    int m_type = 0;
    int m_mediaStatus = Connected;
    bool m_dhcp = false;
    CIpAddress m_dhcpServer;
    CIpAddressList m_addresses;
    CIpAddressList m_gateways;
    CIpAddressList m_nameServers;
};
