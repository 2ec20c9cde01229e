// SPDX-License-Identifier: MIT
// An emulation profile names every key it does not know, once, with its file.
#include "platform/platform.h"
#include "platform/profilekeys.h"

#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class tst_ProfileKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findings_data();
    void findings();
    void warnedOnceWhenLoaded();
};

void tst_ProfileKeys::findings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("found"); // without the "profile FILE: " prefix

    QTest::newRow("every documented key") << QByteArray("[os]\nmajor=6\nminor=1\nbuild=7601\nplatformId=2\n"
                                                        "servicePackMajor=1\nsuiteMask=0\nproductType=1\nwow64=true\n"
                                                        "nativeArch=9\nserverR2=false\nname=win7\n"
                                                        "[folders]\nWINDIR=/w\nPROGRAM_FILES_X86=/p\nCOMMON_STARTUP=/s\n"
                                                        "[network]\ninterfaces=lan,wlan\npingRtt=3\n"
                                                        "[network.hosts]\nrouter.lan=192.168.1.1\n"
                                                        "[network.lan]\nmedia=connected\nupAfter=2\n"
                                                        "[network.wlan]\ntype=wireless\n")
                                          << QStringList();
    QTest::newRow("misspelt keys") << QByteArray("[os]\nmajr=6\n[folders]\nWINDOWS=/w\n[network]\npingRTT=3\n")
                                   << QStringList {"unknown key \"folders/WINDOWS\" ignored",
                                                   "unknown key \"network/pingRTT\" ignored",
                                                   "unknown key \"os/majr\" ignored"};
    QTest::newRow("unknown group named once") << QByteArray("[system]\nmajor=6\nminor=1\n")
                                              << QStringList {"unknown group [system] ignored"};
    QTest::newRow("keys outside a group") << QByteArray("major=6\n") << QStringList {"unknown group [General] ignored"};
    QTest::newRow("interface group not listed") << QByteArray("[network]\ninterfaces=lan\n[network.wlan]\ntype=wireless\n")
                                                << QStringList {"unknown group [network.wlan] ignored"};
}

void tst_ProfileKeys::findings()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, found);
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("profile.ini"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ini);
    f.close();
    QSettings profile(file, QSettings::IniFormat);
    QStringList expected;
    for (const QString& line : found)
        expected << QStringLiteral("profile ") + file + QStringLiteral(": ") + line;
    QStringList actual = Platform::unknownProfileKeys(profile);
    actual.sort();
    QCOMPARE(actual, expected);
}

// Reading the profile warns; every later look at it does not.
void tst_ProfileKeys::warnedOnceWhenLoaded()
{
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("p.ini"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[os]\nmajr=5\n");
    f.close();
    qputenv("SETUPFSM_PROFILE", QFile::encodeName(file));
    Platform::reloadProfile();
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("profile ") + file + QStringLiteral(": unknown key \"os/majr\" ignored")));
    QVERIFY(Platform::profile());
    QVERIFY(!Platform::profileValue(QStringLiteral("os/major")).isValid());
    QVERIFY(Platform::profileValue(QStringLiteral("os/majr")).isValid());
    qunsetenv("SETUPFSM_PROFILE");
    Platform::reloadProfile();
}

QTEST_GUILESS_MAIN(tst_ProfileKeys)
#include "tst_profilekeys.moc"
