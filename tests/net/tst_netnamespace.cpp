// SPDX-License-Identifier: MIT
// The real backend inside a network namespace made by netns_test.sh: one end of a veth pair,
// with dnsmasq serving DHCP on the other end (10.213.7.1). Results are compared with what
// iproute2 reports. Run outside that script, every case is skipped.
#include "netflows.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using FlowTest::Flow;
using FlowTest::TraceLines;
using NetFlows::Step;
using Props = QMap<QString, QString>;

namespace {

QString env(const char* name)
{
    return qEnvironmentVariable(name);
}

QJsonArray ipJson(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("ip"), QStringList {QStringLiteral("-j")} + args);
    p.waitForFinished(10000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

// "address/prefix" of every IPv4 address of the interface, as iproute2 sees them.
QStringList ipAddresses(const QString& id)
{
    QStringList out;
    for (const QJsonValue& link : ipJson({QStringLiteral("addr"), QStringLiteral("show"), QStringLiteral("dev"), id})) {
        for (const QJsonValue& a : link[QStringLiteral("addr_info")].toArray()) {
            if (a[QStringLiteral("family")].toString() == QLatin1String("inet"))
                out << a[QStringLiteral("local")].toString() + QLatin1Char('/') + QString::number(a[QStringLiteral("prefixlen")].toInt());
        }
    }
    return out;
}

int prefixOf(const QString& mask)
{
    int n = 0;
    for (const QString& part : mask.split(QLatin1Char('.')))
        n += qPopulationCount(part.toUInt());
    return n;
}

QStringList asPrefixes(const QStringList& addressesWithMasks)
{
    QStringList out;
    for (const QString& a : addressesWithMasks)
        out << a.section(QLatin1Char('/'), 0, 0) + QLatin1Char('/') + QString::number(prefixOf(a.section(QLatin1Char('/'), 1)));
    return out;
}

bool hasNetAdmin()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("CapEff:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> 12) & 1;
    }
    return false;
}

const QStringList configEvents {"interfaceUpdated", "needReboot", "failed"};

} // namespace

class tst_NetNamespace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void listMatchesIproute();
    void applyStatic();
    void pingPeerAndSilentAddress();
    void renewLease();
    void waitWhileAddressArrives();
    void withoutPermission();

private:
    QString runChain(const QList<Step>& steps, Flow** out = nullptr);
    QString m_if;
    QString m_subnet;
};

void tst_NetNamespace::initTestCase()
{
    m_if = env("SETUPFSM_NETNS_INTERFACE");
    m_subnet = env("SETUPFSM_NETNS_SUBNET");
    if (m_if.isEmpty())
        QSKIP("runs inside the network namespaces that netns_test.sh creates");
}

void tst_NetNamespace::listMatchesIproute()
{
    if (!hasNetAdmin())
        QSKIP("the listing is checked in the run with the capability");
    Flow flow(FlowTest::singleStateFlow(QStringLiteral("getInterfaceList"), QMap<QString, QString>(), NetFlows::listEvents));
    QCOMPARE(flow.run(), QStringLiteral("multipleFound"));
    const CObjectDict& found = flow.state()->objectProperty("interfaceList")->objects();
    QStringList expectedIds;
    for (const QJsonValue& link : ipJson({QStringLiteral("addr")}))
        expectedIds << link[QStringLiteral("ifname")].toString();
    QCOMPARE(found.names(), expectedIds);
    for (int i = 0; i < found.size(); ++i)
        QCOMPARE(asPrefixes(found.objectAt(i)->property("addresses").toStringList()), ipAddresses(found.nameAt(i)));
}

void tst_NetNamespace::applyStatic()
{
    if (!hasNetAdmin())
        QSKIP("needs the capability to change the network");
    Flow flow(NetFlows::chain(NetFlows::onFirstInterface(
        QLatin1Char('^') + m_if + QLatin1Char('$'),
        {{"c", "configInterface", {{"address", m_subnet + ".20"}, {"mask", "255.255.255.0"}, {"gateway", m_subnet + ".1"}, {"nameServer", m_subnet + ".53"}}, {"finished"}},
         {"apply", "ipConfig", {}, configEvents, {{"newInterface", "$interface"}}}})));
    QCOMPARE(flow.run(), QStringLiteral("interfaceUpdated"));
    QCOMPARE(ipAddresses(m_if), QStringList {m_subnet + ".20/24"});
    const QJsonArray routes = ipJson({QStringLiteral("route"), QStringLiteral("show"), QStringLiteral("default")});
    QCOMPARE(routes.size(), 1);
    QCOMPARE(routes[0][QStringLiteral("gateway")].toString(), m_subnet + ".1");
    QCOMPARE(routes[0][QStringLiteral("dev")].toString(), m_if);
    QFile resolv(QStringLiteral("/etc/resolv.conf"));
    QVERIFY(resolv.open(QIODevice::ReadOnly));
    QVERIFY(resolv.readAll().contains("nameserver " + m_subnet.toLatin1() + ".53"));
}

void tst_NetNamespace::pingPeerAndSilentAddress()
{
    if (!hasNetAdmin())
        QSKIP("runs after the address is applied");
    TraceLines trace;
    Flow both(FlowTest::singleStateFlow(QStringLiteral("icmpPingAddresses"),
                                        Props {{"addressList", "127.0.0.1;" + m_subnet + ".1"}, {"timeout", "2000"}}, {"failed", "success"}));
    QCOMPARE(both.run(), QStringLiteral("success"));
    // Nobody holds .99: the neighbour look-up outlasts the time-out.
    Flow silent(FlowTest::singleStateFlow(QStringLiteral("icmpPing"), Props {{"address", m_subnet + ".99"}, {"timeout", "1000"}}, {"reply", "noReply"}));
    QCOMPARE(silent.run(), QStringLiteral("noReply"));
    QVERIFY(trace.has("icmpStates", QStringLiteral("Request to %1.99 failed, error code = 11010").arg(m_subnet)));
}

void tst_NetNamespace::renewLease()
{
    if (!hasNetAdmin())
        QSKIP("needs the capability to change the network");
    Flow flow(NetFlows::chain(NetFlows::onFirstInterface(
        QLatin1Char('^') + m_if + QLatin1Char('$'),
        {{"renew", "dhcpRenew", {}, {"interfaceRenewed", "renewFailed"}},
         {"after", "configInterface", {}, {"finished"}, {{"fsm.addresses", "property($interface, 'addresses')"}}}})));
    QCOMPARE(flow.run(60000), QStringLiteral("finished"));
    QCOMPARE(flow.state(QStringLiteral("renew"))->leaveEvent(), QStringLiteral("interfaceRenewed"));
    const QStringList renewed = asPrefixes(flow.fsm()->property("addresses").toStringList());
    QCOMPARE(renewed.size(), 1);
    QVERIFY2(renewed.constFirst().startsWith(m_subnet + ".1") && renewed.constFirst() != m_subnet + ".1/24", qPrintable(renewed.constFirst()));
    QCOMPARE(ipAddresses(m_if), renewed);
}

// A DHCP interface without a lease shows the null address; the wait ends when the lease
// brings an address (seen through the monitor, not by polling).
void tst_NetNamespace::waitWhileAddressArrives()
{
    if (!hasNetAdmin())
        QSKIP("needs the capability to change the network");
    Flow toDhcp(NetFlows::chain(NetFlows::onFirstInterface(
        QLatin1Char('^') + m_if + QLatin1Char('$'),
        {{"c", "configInterface", {{"address", m_subnet + ".20"}}, {"finished"}},
         {"static", "ipConfig", {}, configEvents, {{"newInterface", "$interface"}}},
         {"dhcp", "configInterface", {{"enableDhcp", "true"}}, {"finished"}, {{"interface", "$newInterface"}}},
         {"apply", "ipConfig", {}, configEvents, {{"newInterface", "$interface"}}}})));
    QCOMPARE(toDhcp.run(), QStringLiteral("interfaceUpdated"));
    QProcess::execute(QStringLiteral("ip"), {QStringLiteral("-4"), QStringLiteral("addr"), QStringLiteral("flush"), QStringLiteral("dev"), m_if});

    TraceLines trace;
    Flow wait(FlowTest::singleStateFlow(QStringLiteral("waitNullAddresses"), Props {{"timeout", "60"}}, {"finished", "timeout"}));
    bool done = false;
    connect(wait.fsm(), &CState::finished, this, [&](CState* s, CTransition*) { done = done || s == wait.fsm(); });
    wait.fsm()->enter();
    QTRY_VERIFY(trace.has("actionWaitNullAddresses", QStringLiteral("  null address found")));
    const QString state = env("SETUPFSM_IPKIT_STATE_DIR");
    QProcess client;
    client.start(QStringLiteral("dhclient"), {QStringLiteral("-1"), QStringLiteral("-pf"), state + QStringLiteral("/test.pid"),
                                              QStringLiteral("-lf"), state + QStringLiteral("/dhclient.") + m_if + QStringLiteral(".leases"), m_if});
    QTRY_VERIFY_WITH_TIMEOUT(done, 40000);
    QCOMPARE(wait.fsm()->leaveEvent(), QStringLiteral("finished"));
    QCOMPARE(ipAddresses(m_if).size(), 1);
    client.waitForFinished(10000);
}

// Without the capability to change the network, applying and renewing fail at once and say why.
void tst_NetNamespace::withoutPermission()
{
    if (hasNetAdmin())
        QSKIP("runs again without the capability (netns_test.sh)");
    TraceLines trace;
    Flow flow(NetFlows::chain(NetFlows::onFirstInterface(
        QLatin1Char('^') + m_if + QLatin1Char('$'),
        {{"apply", "ipConfig", {}, configEvents, {{"newInterface", "element($interfaceList, 0)"}}},
         {"renew", "dhcpRenew", {}, {"interfaceRenewed", "renewFailed"}, {{"interface", "$newInterface"}}}})));
    QVERIFY2(flow.run(20000) == QLatin1String("renewFailed"), qPrintable(trace.all()));
    QCOMPARE(flow.state(QStringLiteral("apply"))->leaveEvent(), QStringLiteral("failed"));
    QVERIFY(trace.has("ipConfigStates", QStringLiteral(" ! Interface configuration failed: permission denied: applying a network "
                                                        "configuration needs root (the capability CAP_NET_ADMIN)")));
    QVERIFY(trace.has("ipConfigStates", QStringLiteral("  reason: permission denied: renewing a DHCP lease needs root (the capability CAP_NET_ADMIN)")));
}

QTEST_GUILESS_MAIN(tst_NetNamespace)
#include "tst_netnamespace.moc"
