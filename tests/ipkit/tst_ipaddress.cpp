// SPDX-License-Identifier: MIT
// Address texts as scripts write them: only plain dotted quads are addresses, only contiguous
// masks are masks, and what was given shows in the text form either way.
#include "ipkit/ipaddress.h"

#include <QTest>

class tst_IpAddress : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
};

void tst_IpAddress::parse_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask"); // null: no mask given
    QTest::addColumn<int>("validity");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("prefix");
    QTest::newRow("plain") << "192.168.1.7" << QString() << 0 << "192.168.1.7" << 32;
    QTest::newRow("blanks around") << " 10.0.0.1 " << "255.0.0.0 " << 0 << "10.0.0.1/255.0.0.0" << 8;
    QTest::newRow("null address") << "0.0.0.0" << "0.0.0.0" << 0 << "0.0.0.0/0.0.0.0" << 0;
    QTest::newRow("host mask") << "10.0.0.1" << "255.255.255.255" << 0 << "10.0.0.1/255.255.255.255" << 32;
    QTest::newRow("short form") << "10.1" << QString() << 1 << "10.1" << 32;
    QTest::newRow("trailing text") << "1.2.3.4x" << QString() << 1 << "1.2.3.4x" << 32;
    QTest::newRow("part too big") << "256.1.1.1" << QString() << 1 << "256.1.1.1" << 32;
    QTest::newRow("empty part") << "1..2.3" << QString() << 1 << "1..2.3" << 32;
    QTest::newRow("sign") << "+1.2.3.4" << QString() << 1 << "+1.2.3.4" << 32;
    QTest::newRow("host name") << "router.lan" << QString() << 1 << "router.lan" << 32;
    QTest::newRow("mask with a hole") << "10.0.0.1" << "255.0.255.0" << 2 << "10.0.0.1/255.0.255.0" << 8;
    QTest::newRow("mask not an address") << "10.0.0.1" << "24" << 2 << "10.0.0.1/24" << 0;
}

void tst_IpAddress::parse()
{
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(int, validity);
    QFETCH(QString, text);
    QFETCH(int, prefix);
    const CIpAddress a = mask.isNull() ? CIpAddress(address) : CIpAddress(address, mask);
    QCOMPARE(a.validate(true), validity);
    QCOMPARE(a.isValid(), validity == 0);
    QCOMPARE(a.toString(true), text);
    if (validity == 0)
        QCOMPARE(a.prefixLength(), prefix);
    // Equal texts are equal addresses, whatever their form; a null address equals only itself.
    QVERIFY(a == (mask.isNull() ? CIpAddress(address) : CIpAddress(address, mask)));
    QCOMPARE(a == CIpAddress::null, false);
}

QTEST_GUILESS_MAIN(tst_IpAddress)
#include "tst_ipaddress.moc"
