// SPDX-License-Identifier: MIT
// Echo requests and name look-ups: on a simulated network for every outcome, and for real on
// loopback (127.0.0.1 and localhost only).
#include "netflows.h"
#include "netprofile.h"
#include "actions/action.h"
#include "actions/actionstate.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using FlowTest::Flow;
using FlowTest::TraceLines;
using Props = QMap<QString, QString>;

namespace {

const QStringList pingEvents {"reply", "noReply"};

QString longName()
{
    return QString(QStringLiteral("a").repeated(60) + QLatin1Char('.')).repeated(5);
}

} // namespace

class tst_Reachability : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void icmpPing_data();
    void icmpPing();
    void pingLists_data();
    void pingLists();
    void listProgressWithoutSteps();
    void leavingStopsTheWait();
    void nameLookup_data();
    void nameLookup();
    void loopback_data();
    void loopback();
};

void tst_Reachability::icmpPing_data()
{
    QTest::addColumn<Props>("props");
    QTest::addColumn<QString>("event");
    QTest::addColumn<qulonglong>("rtt");
    QTest::addColumn<QString>("line");
    QTest::newRow("reply") << Props {{"address", "192.168.1.1"}, {"timeout", "1000"}} << "reply" << 3ull
                           << "Echo reply from 192.168.1.1 after 3ms";
    QTest::newRow("silent host") << Props {{"address", "192.168.1.99"}, {"timeout", "100"}} << "noReply" << 0ull
                                 << "Request to 192.168.1.99 failed, error code = 11010";
    QTest::newRow("reply too late") << Props {{"address", "192.168.1.1"}, {"timeout", "2"}} << "noReply" << 0ull
                                    << "Request to 192.168.1.1 failed, error code = 11010";
    QTest::newRow("not an address") << Props {{"address", "192.168.1"}, {"timeout", "100"}} << "noReply" << 0ull
                                    << "Request to 192.168.1 failed, error code = 11018";
    // One byte: 256 is 0, which no request may carry; 288 is 32.
    QTest::newRow("ttl 256") << Props {{"address", "192.168.1.1"}, {"timeout", "100"}, {"ttl", "256"}} << "noReply" << 0ull
                             << "Request to 192.168.1.1 failed, error code = 11007";
    QTest::newRow("ttl 288") << Props {{"address", "192.168.1.1"}, {"timeout", "100"}, {"ttl", "288"}, {"packetSize", "4096"}}
                             << "reply" << 3ull << "Echo reply from 192.168.1.1 after 3ms";
    QTest::newRow("timeout not a number") << Props {{"address", "192.168.1.99"}, {"timeout", "soon"}} << "noReply" << 0ull
                                          << "Request to 192.168.1.99 failed, error code = 11010";
    QTest::newRow("negative timeout") << Props {{"address", "192.168.1.99"}, {"timeout", "-5"}} << "noReply" << 0ull
                                      << "Request to 192.168.1.99 failed, error code = 11010";
}

void tst_Reachability::icmpPing()
{
    QFETCH(Props, props);
    QFETCH(QString, event);
    QFETCH(qulonglong, rtt);
    QFETCH(QString, line);
    NetProfile profile(officeNetwork());
    TraceLines trace;
    Flow flow(FlowTest::singleStateFlow(QStringLiteral("icmpPing"), props, pingEvents));
    QCOMPARE(flow.run(), event);
    QCOMPARE(flow.state()->property("roundTripTime").toULongLong(), rtt);
    QVERIFY2(trace.has("icmpStates", line), qPrintable(trace.all()));
}

void tst_Reachability::pingLists_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<Props>("props");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QVariantList>("results");
    const QString pingAll = QStringLiteral("icmpPingAddresses");
    const QString check = QStringLiteral("icmpCheckAddresses");
    QTest::newRow("second silent") << pingAll << Props {{"addressList", "192.168.1.1;192.168.1.99;192.168.1.20"}, {"timeout", "100"}}
                                   << "failed" << QVariantList {3, -1, 3};
    QTest::newRow("address alone") << pingAll << Props {{"address", "192.168.1.20"}, {"timeout", "100"}} << "success"
                                   << QVariantList {3};
    QTest::newRow("nothing to ping") << pingAll << Props {{"timeout", "100"}} << "failed" << QVariantList {-1};
    QTest::newRow("none to check") << check << Props {{"addressList", ""}, {"timeout", "100"}} << "noneExist" << QVariantList();
    QTest::newRow("existing in order") << check << Props {{"addressList", "192.168.1.99,192.168.1.20,10.1,192.168.1.1"}, {"timeout", "100"}}
                                       << "existingFound" << QVariantList {"192.168.1.20", "192.168.1.1"};
    QTest::newRow("none exist") << check << Props {{"addressList", "192.168.1.98;192.168.1.99"}, {"timeout", "50"}}
                                << "noneExist" << QVariantList();
}

void tst_Reachability::pingLists()
{
    QFETCH(QString, type);
    QFETCH(Props, props);
    QFETCH(QString, event);
    QFETCH(QVariantList, results);
    NetProfile profile(officeNetwork());
    const bool checking = type == QLatin1String("icmpCheckAddresses");
    Flow flow(FlowTest::singleStateFlow(type, props, checking ? QStringList {"noneExist", "existingFound"} : QStringList {"failed", "success"}));
    QCOMPARE(flow.run(), event);
    const QVariant out = flow.state()->property(checking ? "existingAddressList" : "resultList");
    QVERIFY(out.isValid());
    QCOMPARE(out.toList().size(), results.size());
    for (int i = 0; i < results.size(); ++i)
        QCOMPARE(out.toList().at(i).toString(), results.at(i).toString());
}

// A time-out under a second gives a request no progress steps; a progress report of such a
// request (a late tick of its timer) must neither divide by zero nor leave 0..100.
void tst_Reachability::listProgressWithoutSteps()
{
    NetProfile profile(officeNetwork("pingRtt=300\n"));
    TraceLines trace;
    Flow flow(FlowTest::singleStateFlow(QStringLiteral("icmpPingAddresses"),
                                        Props {{"addressList", "192.168.1.1;192.168.1.20"}, {"timeout", "999"}}, {"failed", "success"}));
    QSignalSpy progress(flow.state(), &CState::progress);
    QSignalSpy finished(flow.fsm(), &CState::finished);
    flow.fsm()->enter();
    QTRY_VERIFY(static_cast<CActionState*>(flow.state())->action()->isBusy());
    QMetaObject::invokeMethod(flow.state(), "slot_actionProgress", Q_ARG(int, 1), Q_ARG(int, 0));
    QCOMPARE(progress.size(), 1);
    QCOMPARE(progress.at(0).at(0).toInt(), 0);
    QVERIFY(trace.has("icmpStates", QStringLiteral("progress: 1/0")));
    QTRY_COMPARE(flow.fsm()->leaveEvent(), QStringLiteral("success"));
}

// A state left while its request waits stops the worker, whatever the time-out.
void tst_Reachability::leavingStopsTheWait()
{
    NetProfile profile(officeNetwork());
    TraceLines trace;
    auto flow = std::make_unique<Flow>(FlowTest::singleStateFlow(
        QStringLiteral("icmpPing"), Props {{"address", "192.168.1.99"}, {"timeout", "3600000"}}, pingEvents));
    QSignalSpy finished(flow->state(), &CState::finished);
    flow->fsm()->enter();
    QTRY_VERIFY(static_cast<CActionState*>(flow->state())->action()->isBusy());
    QElapsedTimer clock;
    clock.start();
    flow.reset();
    QVERIFY2(clock.elapsed() < 10000, "the worker waited for its time-out");
    QCOMPARE(finished.size(), 0);
}

void tst_Reachability::nameLookup_data()
{
    QTest::addColumn<Props>("props");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("line");
    QTest::newRow("name") << Props {{"hostName", "ROUTER.lan"}} << "success" << "192.168.1.1" << "lookup hostname: ROUTER.lan";
    QTest::newRow("several addresses") << Props {{"hostName", "files.lan"}} << "success" << "192.168.1.20; 192.168.1.21" << "";
    QTest::newRow("address") << Props {{"address", "192.168.1.21"}} << "success" << "files.lan" << "lookup address: 192.168.1.21";
    QTest::newRow("name wins") << Props {{"hostName", "router.lan"}, {"address", "192.168.1.20"}} << "success" << "192.168.1.1" << "";
    QTest::newRow("nothing") << Props() << "failed" << "" << "lookup failed! Nothing to look up";
    QTest::newRow("no such name") << Props {{"hostName", "printer.lan"}} << "failed" << "" << "lookup failed! Name or service not known";
    QTest::newRow("address without name") << Props {{"address", "192.168.1.99"}} << "failed" << ""
                                          << "lookup failed! Name or service not known";
    QTest::newRow("300 characters") << Props {{"hostName", longName()}} << "failed" << "" << "";
}

void tst_Reachability::nameLookup()
{
    QFETCH(Props, props);
    QFETCH(QString, event);
    QFETCH(QString, result);
    QFETCH(QString, line);
    NetProfile profile(officeNetwork());
    TraceLines trace;
    Flow flow(FlowTest::singleStateFlow(QStringLiteral("nameLookup"), props, {"success", "failed"}));
    QCOMPARE(flow.run(), event);
    QCOMPARE(flow.state()->property("result").toString(), result);
    if (!line.isEmpty())
        QVERIFY2(trace.has("nameLookupStates", line), qPrintable(trace.all()));
}

void tst_Reachability::loopback_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<Props>("props");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ping") << "icmpPing" << Props {{"address", "127.0.0.1"}, {"timeout", "2000"}} << "reply" << "" << "";
    QTest::newRow("ping list") << "icmpPingAddresses" << Props {{"addressList", "127.0.0.1;127.0.0.1"}, {"timeout", "2000"}}
                               << "success" << "" << "";
    QTest::newRow("name") << "nameLookup" << Props {{"hostName", "localhost"}} << "success" << "result" << "127.0.0.1";
    QTest::newRow("address") << "nameLookup" << Props {{"address", "127.0.0.1"}} << "success" << "result" << "localhost";
    QTest::newRow("long name") << "nameLookup" << Props {{"hostName", longName()}} << "failed" << "result" << "";
    QTest::newRow("loopback interface") << "getInterfaceList" << Props {{"type", "loopback"}} << "singleFound"
                                        << "interfaceCount" << "1";
}

// The real backend, on loopback only.
void tst_Reachability::loopback()
{
    QFETCH(QString, type);
    QFETCH(Props, props);
    QFETCH(QString, event);
    QFETCH(QString, output);
    QFETCH(QString, expected);
    const QStringList events = type == QLatin1String("icmpPing")            ? pingEvents
                               : type == QLatin1String("icmpPingAddresses") ? QStringList {"failed", "success"}
                               : type == QLatin1String("nameLookup")        ? QStringList {"success", "failed"}
                                                                            : NetFlows::listEvents;
    Flow flow(FlowTest::singleStateFlow(type, props, events));
    QCOMPARE(flow.run(), event);
    const QString got = output.isEmpty() ? QString() : flow.state()->property(output.toLatin1()).toString();
    QVERIFY2(expected.isEmpty() ? got.isEmpty() : got.startsWith(expected), qPrintable(got));
}

QTEST_GUILESS_MAIN(tst_Reachability)
#include "tst_reachability.moc"
