// SPDX-License-Identifier: MIT
// Listing, editing, applying, renewing and waiting on interfaces of a simulated network.
#include "netflows.h"
#include "netprofile.h"
#include "ipkit/ipinterface.h"

#include <QTest>

using FlowTest::Flow;
using FlowTest::TraceLines;
using NetFlows::Step;
using Props = QMap<QString, QString>;

class tst_InterfaceStates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void getInterfaceList_data();
    void getInterfaceList();
    void listKeepsInterfacesOfOneDescription();
    void configInterface_data();
    void configInterface();
    void ipConfig_data();
    void ipConfig();
    void ipConfigWithoutInterface();
    void dhcpRenew_data();
    void dhcpRenew();
    void waitNullAddresses_data();
    void waitNullAddresses();
};

void tst_InterfaceStates::getInterfaceList_data()
{
    QTest::addColumn<Props>("props");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QStringList>("ids");
    const QStringList all {"lan", "wlan", "dialup"};
    QTest::newRow("everything") << Props() << "multipleFound" << all;
    QTest::newRow("wireless") << Props {{"type", "Wireless"}} << "singleFound" << QStringList {"wlan"};
    QTest::newRow("two types") << Props {{"type", "ethernet,wireless"}} << "multipleFound" << QStringList {"lan", "wlan"};
    QTest::newRow("gateway range") << Props {{"gateway", "192.168."}} << "singleFound" << QStringList {"wlan"};
    QTest::newRow("filter") << Props {{"filter", "^Intel.*(PRO|AC)"}} << "multipleFound" << QStringList {"lan", "wlan"};
    QTest::newRow("filter is case-sensitive") << Props {{"filter", "intel"}} << "noneFound" << QStringList();
    QTest::newRow("invalid filter") << Props {{"filter", "(Intel"}} << "noneFound" << QStringList();
    QTest::newRow("no usb") << Props {{"type", "usb"}} << "noneFound" << QStringList();
}

void tst_InterfaceStates::getInterfaceList()
{
    QFETCH(Props, props);
    QFETCH(QString, event);
    QFETCH(QStringList, ids);
    NetProfile profile(officeNetwork());
    Flow flow(FlowTest::singleStateFlow(QStringLiteral("getInterfaceList"), props, NetFlows::listEvents));
    QCOMPARE(flow.run(), event);
    QCOMPARE(flow.state()->property("interfaceCount").toInt(), ids.size());
    const CPropertyObject* list = flow.state()->objectProperty("interfaceList");
    QVERIFY(list);
    QCOMPARE(list->objects().names(), ids);
}

// Interfaces are told apart by their ids, not by their descriptions, which repeat for
// identical adapters.
void tst_InterfaceStates::listKeepsInterfacesOfOneDescription()
{
    NetProfile profile("[network]\ninterfaces=eth0,eth1\n[network.eth0]\ndescription=Realtek PCIe GbE\n"
                       "[network.eth1]\ndescription=Realtek PCIe GbE\n");
    Flow flow(FlowTest::singleStateFlow(QStringLiteral("getInterfaceList"), Props(), NetFlows::listEvents));
    QCOMPARE(flow.run(), QStringLiteral("multipleFound"));
    QCOMPARE(flow.state()->objectProperty("interfaceList")->objects().names(), (QStringList {"eth0", "eth1"}));
}

void tst_InterfaceStates::configInterface_data()
{
    QTest::addColumn<Props>("props");
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QStringList>("gateways");
    QTest::addColumn<QStringList>("nameServers");
    QTest::addColumn<QString>("warning");
    const QStringList before {"192.168.1.30/255.255.255.0"};
    const QStringList gw {"192.168.1.1"};
    QTest::newRow("dhcp ignores addresses") << Props {{"enableDhcp", "true"}, {"address", "10.0.0.5"}} << true << before << gw << gw << "";
    QTest::newRow("two addresses share the mask")
        << Props {{"address", "10.0.0.5; 10.0.0.6"}, {"mask", "255.0.0.0"}} << false
        << QStringList {"10.0.0.5/255.0.0.0", "10.0.0.6/255.0.0.0"} << gw << gw << "";
    QTest::newRow("gateway only") << Props {{"gateway", "192.168.1.254"}, {"enableDhcp", "false"}} << false << before
                                  << QStringList {"192.168.1.254"} << gw << "";
    QTest::newRow("name servers") << Props {{"nameServer", "192.0.2.53,192.0.2.54"}} << false << before << gw
                                  << QStringList {"192.0.2.53", "192.0.2.54"} << "";
    QTest::newRow("not an address") << Props {{"address", "10.1"}} << false << QStringList {"10.1"} << gw << gw
                                    << " ! Warning ! Not an IPv4 address: 10.1";
    QTest::newRow("mask with a hole") << Props {{"address", "10.0.0.5"}, {"mask", "255.0.255.0"}} << false
                                      << QStringList {"10.0.0.5/255.0.255.0"} << gw << gw
                                      << " ! Warning ! Mask is not contiguous: 10.0.0.5/255.0.255.0";
    QTest::newRow("only empty entries") << Props {{"address", " ; ;"}} << false << before << gw << gw << "";
}

void tst_InterfaceStates::configInterface()
{
    QFETCH(Props, props);
    QFETCH(bool, dhcp);
    QFETCH(QStringList, addresses);
    QFETCH(QStringList, gateways);
    QFETCH(QStringList, nameServers);
    QFETCH(QString, warning);
    NetProfile profile(officeNetwork());
    TraceLines trace;
    Flow flow(NetFlows::chain(NetFlows::onFirstInterface(
        QStringLiteral("Wireless"), {{QStringLiteral("c"), QStringLiteral("configInterface"), props, {QStringLiteral("finished")}}})));
    QCOMPARE(flow.run(), QStringLiteral("finished"));
    const auto* i = qobject_cast<CIpInterface*>(flow.state(QStringLiteral("c"))->objectProperty("interface"));
    QVERIFY(i);
    QCOMPARE(i->id(), QStringLiteral("wlan"));
    QCOMPARE(i->isDhcpEnabled(), dhcp);
    QCOMPARE(i->property("addresses").toStringList(), addresses);
    QCOMPARE(i->property("gateways").toStringList(), gateways);
    QCOMPARE(i->property("nameServers").toStringList(), nameServers);
    if (!warning.isEmpty())
        QVERIFY2(trace.has("ipConfigStates", warning), qPrintable(trace.all()));
}

void tst_InterfaceStates::ipConfig_data()
{
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<Props>("config");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("static address") << QByteArray() << Props {{"address", "10.0.0.5"}, {"mask", "255.0.0.0"}}
                                    << "interfaceUpdated" << QStringList {"10.0.0.5/255.0.0.0"};
    QTest::newRow("class mask") << QByteArray() << Props {{"address", "172.16.0.5"}} << "interfaceUpdated"
                                << QStringList {"172.16.0.5/255.255.0.0"};
    QTest::newRow("reboot") << QByteArray("rebootRequired=true\n") << Props {{"address", "10.0.0.5"}} << "needReboot"
                            << QStringList {"10.0.0.5/255.0.0.0"};
    QTest::newRow("dhcp keeps the addresses") << QByteArray() << Props {{"enableDhcp", "1"}} << "interfaceUpdated"
                                              << QStringList {"192.168.1.30/255.255.255.0"};
    QTest::newRow("not an address") << QByteArray() << Props {{"gateway", "192.168.1.300"}} << "failed"
                                    << QStringList {"192.168.1.30/255.255.255.0"};
}

// Applying changes the simulated host: a later listing sees the new settings.
void tst_InterfaceStates::ipConfig()
{
    QFETCH(QByteArray, extra);
    QFETCH(Props, config);
    QFETCH(QString, event);
    QFETCH(QStringList, after);
    NetProfile profile(officeNetwork(extra));
    TraceLines trace;
    const QStringList configEvents {"interfaceUpdated", "needReboot", "failed"};
    Flow flow(NetFlows::chain(NetFlows::onFirstInterface(
        QStringLiteral("Wireless"),
        {{"c", "configInterface", config, {"finished"}},
         {"apply", "ipConfig", {}, configEvents, {{"newInterface", "$interface"}}},
         {"check", "getInterfaceList", {{"filter", "Wireless"}}, NetFlows::listEvents}})));
    QCOMPARE(flow.run(), QStringLiteral("singleFound"));
    QCOMPARE(flow.state(QStringLiteral("apply"))->leaveEvent(), event);
    const auto* now = qobject_cast<CIpInterface*>(flow.state(QStringLiteral("check"))->objectProperty("interfaceList")->objects().objectAt(0));
    QCOMPARE(now->property("addresses").toStringList(), after);
    QVERIFY(trace.contains(QStringLiteral("Configuring interface: wlan")));
    QCOMPARE(trace.has("ipConfigStates", QStringLiteral("Interface configured.")), event != QLatin1String("failed"));
    if (event == QLatin1String("failed"))
        QVERIFY(trace.contains(QStringLiteral(" ! Interface configuration failed: gateway \"192.168.1.300\" is no IPv4 address")));
}

void tst_InterfaceStates::ipConfigWithoutInterface()
{
    NetProfile profile(officeNetwork());
    TraceLines trace;
    Flow flow(FlowTest::singleStateFlow(QStringLiteral("ipConfig"), Props(), {"interfaceUpdated", "needReboot", "failed"}));
    QCOMPARE(flow.run(), QStringLiteral("interfaceUpdated"));
    QVERIFY(trace.has("ipConfigStates", QStringLiteral(" ! Warning ! No interface found.")));

    // An interface the system does not have fails instead of passing for configured.
    IpKit::InterfaceRecord ghost;
    ghost.id = QStringLiteral("ghost");
    flow.state()->setObjectProperty("newInterface", new CIpInterface(ghost));
    QCOMPARE(flow.run(), QStringLiteral("failed"));
    QVERIFY(trace.contains(QStringLiteral("no interface with the id \"ghost\"")));
}

void tst_InterfaceStates::dhcpRenew_data()
{
    QTest::addColumn<QByteArray>("renew");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("trace");
    QTest::newRow("ok") << QByteArray("ok") << "interfaceRenewed" << QStringList {"192.168.1.77/255.255.255.0"} << "Interface renewed.";
    QTest::newRow("fail") << QByteArray("fail") << "renewFailed" << QStringList {"0.0.0.0/0.0.0.0"}
                          << " ! Interface renewal failed !.";
    QTest::newRow("no signal") << QByteArray("nosignal") << "interfaceRenewed" << QStringList {"0.0.0.0/0.0.0.0"}
                               << "Interface renewed.";
}

// The renewed interface reaches the maps of the transition out of the state.
void tst_InterfaceStates::dhcpRenew()
{
    QFETCH(QByteArray, renew);
    QFETCH(QString, event);
    QFETCH(QStringList, addresses);
    QFETCH(QString, trace);
    NetProfile profile(officeNetwork().replace("type=ethernet\n", "type=ethernet\nrenew=" + renew + "\n"));
    TraceLines lines;
    Flow flow(NetFlows::chain(NetFlows::onFirstInterface(
        QStringLiteral("PRO/1000"),
        {{"renew", "dhcpRenew", {{"releaseBeforeRenew", "true"}}, {"interfaceRenewed", "renewFailed"}},
         {"after", "configInterface", {}, {"finished"}, {{"fsm.addresses", "property($interface, 'addresses')"}}}})));
    QCOMPARE(flow.run(), QStringLiteral("finished"));
    QCOMPARE(flow.state(QStringLiteral("renew"))->leaveEvent(), event);
    QCOMPARE(flow.fsm()->property("addresses").toStringList(), addresses);
    QVERIFY2(lines.has("ipConfigStates", trace), qPrintable(lines.all()));
}

void tst_InterfaceStates::waitNullAddresses_data()
{
    QTest::addColumn<QByteArray>("lan");
    QTest::addColumn<Props>("props");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QStringList>("lines");
    const QByteArray nullDhcp = "dhcp=true\naddresses=0.0.0.0/0.0.0.0\n";
    QTest::newRow("real addresses") << QByteArray("dhcp=true\naddresses=192.168.1.5/255.255.255.0\n")
                                    << Props {{"timeout", "5"}} << "finished"
                                    << QStringList {"Check for null addresses with timeout (sec) 20", "  no null address",
                                                    "  interface is ppp, ignore"};
    QTest::newRow("lease arrives") << nullDhcp + "renewAddresses=192.168.1.77/255.255.255.0\nupAfter=0.3\n" << Props()
                                   << "finished" << QStringList {"  null address found", "  no null address"};
    QTest::newRow("static null") << QByteArray("addresses=0.0.0.0/0.0.0.0\n") << Props() << "finished"
                                 << QStringList {"  interface is not DHCP, ignore"};
    QTest::newRow("no addresses") << QByteArray("dhcp=true\n") << Props() << "finished"
                                  << QStringList {"  interface has no addresses"};
    QTest::newRow("disconnected, ignored") << nullDhcp + "media=disconnected\n" << Props {{"interfaceTimeout", "0"}}
                                           << "finished" << QStringList {"  interface not connected, ignore"};
    QTest::newRow("disconnected, waited for")
        << nullDhcp + "media=disconnected\n" << Props {{"interfaceTimeout", "1"}} << "finished"
        << QStringList {"  interface not connected, wait for 1s to allow the interface to come up",
                        "  interface still not connected after timeout, ignore"};
}

void tst_InterfaceStates::waitNullAddresses()
{
    QFETCH(QByteArray, lan);
    QFETCH(Props, props);
    QFETCH(QString, event);
    QFETCH(QStringList, lines);
    NetProfile profile("[network]\ninterfaces=lan,dialup\n[network.lan]\n" + lan
                       + "[network.dialup]\ntype=ppp\ndhcp=true\naddresses=0.0.0.0/0.0.0.0\n");
    TraceLines trace;
    Flow flow(FlowTest::singleStateFlow(QStringLiteral("waitNullAddresses"), props, {"finished", "timeout"}));
    QCOMPARE(flow.run(), event);
    for (const QString& line : std::as_const(lines))
        QVERIFY2(trace.has("actionWaitNullAddresses", line), qPrintable(line + QLatin1Char('\n') + trace.all()));
}

QTEST_GUILESS_MAIN(tst_InterfaceStates)
#include "tst_interfacestates.moc"
