// SPDX-License-Identifier: MIT
// checkOSVersion against Windows records of emulation profiles and against this machine, and
// checkDiskSpace against df.
#include "system/systemflow.h"

#include <QProcess>
#include <QTest>
#include <sys/utsname.h>

using SystemTest::Flow;
using SystemTest::Profile;
using SystemTest::singleStateFlow;
using SystemTest::TraceLines;
using Props = QMap<QString, QString>;

namespace {

const QStringList kEvents {"true", "false"};

QString osRelease(const QString& key)
{
    QFile f(QStringLiteral("/etc/os-release"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1).remove(QLatin1Char('"'));
    }
    return QString();
}

// Available and total KiB of the folder as df reports them.
bool dfKiB(const QString& path, qulonglong* available, qulonglong* total)
{
    QProcess df;
    df.start(QStringLiteral("df"), {QStringLiteral("-k"), QStringLiteral("--output=avail,size"), path});
    if (!df.waitForFinished(30000) || df.exitCode() != 0)
        return false;
    const QStringList lines = QString::fromLatin1(df.readAllStandardOutput()).split(QLatin1Char('\n'));
    const QStringList fields = lines.value(1).simplified().split(QLatin1Char(' '));
    *available = fields.value(0).toULongLong();
    *total = fields.value(1).toULongLong();
    return fields.size() == 2;
}

} // namespace

class tst_SystemChecks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void windowsRecords_data();
    void windowsRecords();
    void linuxRecordWithoutProfile();
    void diskSpace_data();
    void diskSpace();
    void diskSpaceAgreesWithDf();

private:
    QTemporaryDir m_dir;
};

void tst_SystemChecks::windowsRecords_data()
{
    QTest::addColumn<QString>("os");
    QTest::addColumn<QString>("match");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QStringList>("outputs"); // OSname, platform, suite, version

    // Each long name and each edition appears at least once.
    const struct {
        const char* tag;
        const char* os;
        const char* match;
        const char* event;
        const char* outputs;
    } rows[] = {
        {"2000 sp4", "major=5\nminor=0\nbuild=2195\nservicePackMajor=4\nproductType=1", "win2000sp4", "true",
         "win2000sp4|Microsoft Windows 2000|Professional|5.0.2195"},
        {"xp home, no 64 before vista", "major=5\nminor=1\nbuild=2600\nservicePackMajor=3\nproductType=1\n"
                                        "suiteMask=0x200\nwow64=true", "winvista+", "false",
         "winxpsp3|Microsoft Windows XP|Home|5.1.2600"},
        {"xp x64", "major=5\nminor=2\nbuild=3790\nservicePackMajor=2\nproductType=1\nnativeArch=9", "winxp64", "true",
         "winxp64sp2|Microsoft Windows XP x64|Professional|5.2.3790"},
        {"2003 r2 enterprise", "major=5\nminor=2\nbuild=3790\nproductType=3\nsuiteMask=0x2\nserverR2=1\nnativeArch=9",
         "winxp", "false", "winxp64|Microsoft Windows 2003 R2|Enterprise|5.2.3790"},
        {"2003 datacenter", "major=5\nminor=2\nbuild=3790\nproductType=3\nsuiteMask=0x82", "winxp64+", "true",
         "winxp64|Microsoft Windows 2003|DataCenter Server|5.2.3790"},
        {"vista embedded wow64", "major=6\nminor=0\nbuild=6000\nproductType=1\nsuiteMask=0x40\nwow64=true", "winvista64", "true",
         "winvista64|Microsoft Windows Vista|Embedded|6.0.6000"},
        {"server 2008", "major=6\nminor=0\nbuild=6001\nproductType=3\nservicePackMajor=1", "winvistasp1", "true",
         "winvistasp1|Microsoft Windows Server 2008|Server|6.0.6001"},
        {"7 home wow64", "major=6\nminor=1\nbuild=7601\nproductType=1\nsuiteMask=0x240\nservicePackMajor=1\n"
                         "wow64=true", "WIN7SP164", "true", "win7sp164|Microsoft Windows 7|Home|6.1.7601"},
        {"2008 r2 domain controller", "major=6\nminor=1\nbuild=7600\nproductType=2\nsuiteMask=0x80", "win764", "false",
         "win7|Microsoft Windows Server 2008 R2|Domain Controller|6.1.7600"},
        {"10", "major=10\nminor=0\nbuild=19045\nproductType=1", "win7+", "true",
         "win|Microsoft Windows R10.0|Professional|10.0.19045"},
        {"98: build in the low word, unknown product", "platformId=1\nmajor=4\nminor=10\nbuild=67766446\n"
                                                       "productType=7", "win", "false",
         "win|Microsoft Windows R4.10||4.10.2222"},
    };
    for (const auto& r : rows)
        QTest::newRow(r.tag) << QString::fromLatin1(r.os) << QString::fromLatin1(r.match) << QString::fromLatin1(r.event)
                             << QString::fromLatin1(r.outputs).split(QLatin1Char('|'));
}

void tst_SystemChecks::windowsRecords()
{
    QFETCH(QString, os);
    QFETCH(QString, match);
    QFETCH(QString, event);
    QFETCH(QStringList, outputs);

    Profile profile(QStringLiteral("[os]\nservicePackMinor=2\n") + os + QLatin1Char('\n'));
    TraceLines trace;
    Flow flow(singleStateFlow(QStringLiteral("checkOSVersion"), Props {{"match", match}}, kEvents));
    QCOMPARE(flow.run(), event);
    CState* s = flow.state();
    QCOMPARE(s->property("OSname").toString(), outputs.at(0));
    QCOMPARE(s->property("platform").toString(), outputs.at(1));
    QCOMPARE(s->property("suite").toString(), outputs.at(2));
    QCOMPARE(s->property("version").toString(), outputs.at(3));
    const QStringList numbers = outputs.at(3).split(QLatin1Char('.'));
    QCOMPARE(s->property("major"), QVariant(qulonglong(numbers.at(0).toULongLong())));
    QCOMPARE(s->property("minor"), QVariant(qulonglong(numbers.at(1).toULongLong())));
    QCOMPARE(s->property("servicePackMinor").toInt(), 2);
    QVERIFY(trace.has("systemStates", QStringLiteral("Check OS version: \"%1\" on %2 %3: %4")
                                          .arg(match, outputs.at(0), outputs.at(3), event)));
}

void tst_SystemChecks::linuxRecordWithoutProfile()
{
    Profile none {QString()};
    struct utsname u;
    QCOMPARE(uname(&u), 0);
    const QStringList release = QString::fromLatin1(u.release).split(QRegularExpression(QStringLiteral("[.-]")));
    for (const char* pattern : {"win2000+", "wow64", "winxp"}) {
        Flow flow(singleStateFlow(QStringLiteral("checkOSVersion"), Props {{"match", QLatin1String(pattern)}}, kEvents));
        QCOMPARE(flow.run(), QStringLiteral("false"));
        CState* s = flow.state();
        QCOMPARE(s->property("OSname").toString(), osRelease(QStringLiteral("ID")));
        QCOMPARE(s->property("platform").toString(), osRelease(QStringLiteral("PRETTY_NAME")));
        QCOMPARE(s->property("suite").toString(), QString());
        QCOMPARE(s->property("servicePackMajor").toInt(), 0);
        QCOMPARE(s->property("major").toULongLong(), release.at(0).toULongLong());
        QCOMPARE(s->property("minor").toULongLong(), release.at(1).toULongLong());
        QVERIFY(s->property("version").toString().startsWith(release.mid(0, 3).join(QLatin1Char('.'))));
    }
}

void tst_SystemChecks::diskSpace_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("required");
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("measured");
    QTest::addColumn<QString>("traceText");

    const QString dir = m_dir.path();
    QTest::newRow("nothing required") << dir << "0" << "true" << true << "KiB free of";
    QTest::newRow("more than any disk") << dir << "18014398509481984" << "false" << true << "KiB free of";
    QTest::newRow("missing folder") << dir + QStringLiteral("/missing") << "0" << "false" << false << "cannot read";
    QTest::newRow("required is no number") << dir << "plenty" << "false" << true << "is no number";
}

void tst_SystemChecks::diskSpace()
{
    QFETCH(QString, path);
    QFETCH(QString, required);
    QFETCH(QString, event);
    QFETCH(bool, measured);
    QFETCH(QString, traceText);

    TraceLines trace;
    Flow flow(singleStateFlow(QStringLiteral("checkDiskSpace"), Props {{"path", path}, {"required", required}},
                              kEvents));
    QCOMPARE(flow.run(), event);
    QCOMPARE(flow.state()->hasValueProperty("free"), measured);
    QCOMPARE(flow.state()->hasValueProperty("total"), measured);
    QVERIFY2(trace.contains(traceText), qPrintable(trace.all()));
}

void tst_SystemChecks::diskSpaceAgreesWithDf()
{
    qulonglong dfAvailable = 0;
    qulonglong dfTotal = 0;
    if (!dfKiB(m_dir.path(), &dfAvailable, &dfTotal))
        QSKIP("df with --output is not available");
    Flow flow(singleStateFlow(QStringLiteral("checkDiskSpace"),
                              Props {{"path", m_dir.path()}, {"required", QString::number(dfAvailable / 2)}}, kEvents));
    QCOMPARE(flow.run(), QStringLiteral("true"));
    const QVariant free = flow.state()->property("free");
    const QVariant total = flow.state()->property("total");
    QCOMPARE(free.typeId(), QMetaType::ULongLong);
    QCOMPARE(total.toULongLong(), dfTotal);
    // Others write to the same disk meanwhile.
    const qulonglong slack = 256 * 1024;
    QVERIFY2(free.toULongLong() + slack >= dfAvailable && free.toULongLong() <= dfAvailable + slack,
             qPrintable(QStringLiteral("%1 KiB free, df: %2").arg(free.toULongLong()).arg(dfAvailable)));
}

QTEST_GUILESS_MAIN(tst_SystemChecks)
#include "tst_systemchecks.moc"
