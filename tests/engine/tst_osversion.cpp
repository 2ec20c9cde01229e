// SPDX-License-Identifier: MIT
#include "platform/platform.h"
#include "platform/osversion.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

struct Profile {
    const char* name;
    const char* text;
};

// Version records as a script would see them on these systems.
const Profile kProfiles[] = {
    {"xp sp3", "[os]\nmajor=5\nminor=1\nbuild=2600\nplatformId=2\nservicePackMajor=3\n"},
    {"xp x64", "[os]\nmajor=5\nminor=2\nplatformId=2\nservicePackMajor=2\n"},
    {"7 sp1", "[os]\nmajor=6\nminor=1\nplatformId=2\nservicePackMajor=1\n"},
    {"7 wow64", "[os]\nmajor=6\nminor=1\nplatformId=2\nwow64=true\n"},
    {"10", "[os]\nmajor=10\nminor=0\nplatformId=2\n"},
    {"xp without platform id", "[os]\nmajor=5\nminor=1\n"},
    // Kernel 6.1 has the number of Windows 7, but it is no Windows.
    {"linux 6.1", "[os]\nmajor=6\nminor=1\nplatformId=0\n"},
};

QByteArray profileText(const QString& name)
{
    for (const Profile& p : kProfiles) {
        if (name == QLatin1String(p.name))
            return p.text;
    }
    return QByteArray();
}

} // namespace

class tst_OsVersion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matches_data();
    void matches();
    void shortName_data();
    void shortName();
    void withoutProfileNoWindowsPatternMatches();

private:
    void useProfile(const QString& name);
    QTemporaryDir m_dir;
    int m_files = 0;
};

void tst_OsVersion::useProfile(const QString& name)
{
    // A new file each time: QSettings keeps the contents of a file it has read, and a rewrite
    // of the same size within the same second looks unchanged to it.
    const QString path = m_dir.filePath(QStringLiteral("profile%1.ini").arg(++m_files));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(profileText(name));
    f.close();
    qputenv("SETUPFSM_PROFILE", path.toLocal8Bit());
    Platform::reloadProfile();
}

void tst_OsVersion::matches_data()
{
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("match");

    const struct {
        const char* profile;
        const char* pattern;
        bool match;
    } rows[] = {
        {"xp sp3", "winxp", true},
        {"xp sp3", "WinXP", true},
        {"xp sp3", "winxp+", true},
        {"xp sp3", "win2000+", true},
        {"xp sp3", "win2000", false},
        {"xp sp3", "winvista+", false},
        {"xp sp3", "winxpsp3", true},
        {"xp sp3", "winxpsp2", false},
        {"xp sp3", "winxpsp2+", true},
        {"xp sp3", "winxpsp4+", false},
        {"xp sp3", "winxp64", false},
        {"xp sp3", "winxp64+", false},
        {"xp sp3", "wow64", false},
        {"xp sp3", "win", false},
        {"xp sp3", "winme", false},
        {"xp sp3", "linux", false},
        {"xp sp3", "", false},
        {"xp sp3", "winxpsp", false},
        {"xp sp3", "winxpsp10", false},
        {"xp sp3", "winxp+sp3", false},
        {"xp sp3", "xp", false},
        {"xp x64", "winxp64", true},
        {"xp x64", "winxp", false},
        {"xp x64", "winxp+", true},
        {"7 sp1", "winxp+", true},
        {"7 sp1", "winxpsp3+", true}, // a later version needs no service pack
        {"7 sp1", "win7", true},
        {"7 sp1", "win7sp1", true},
        {"7 sp1", "win7sp2+", false},
        {"7 sp1", "win764", false},
        {"7 sp1", "wow64", false},
        {"7 wow64", "win764", true},
        {"7 wow64", "win7sp064", true},
        {"7 wow64", "win7sp064+", true},
        {"7 wow64", "winvista64+", true},
        {"7 wow64", "WOW64", true},
        {"7 wow64", "winxp64", false},
        {"7 wow64", "winxp64+", true},
        {"10", "win7+", true},
        {"10", "win7", false},
        {"10", "win", false},
        {"xp without platform id", "winxp", true},
        {"linux 6.1", "win7", false},
        {"linux 6.1", "win2000+", false},
        {"linux 6.1", "wow64", false},
    };
    for (const auto& r : rows) {
        QTest::addRow("%s: %s", r.profile, r.pattern)
            << QString::fromLatin1(r.profile) << QString::fromLatin1(r.pattern) << r.match;
    }
}

void tst_OsVersion::matches()
{
    QFETCH(QString, profile);
    QFETCH(QString, pattern);
    QFETCH(bool, match);

    useProfile(profile);
    QCOMPARE(OsVersion::matches(pattern), match);
}

void tst_OsVersion::shortName_data()
{
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QString>("name");

    QTest::newRow("xp") << QStringLiteral("xp sp3") << QStringLiteral("winxp");
    QTest::newRow("xp x64") << QStringLiteral("xp x64") << QStringLiteral("winxp64");
    QTest::newRow("7") << QStringLiteral("7 sp1") << QStringLiteral("win7");
    QTest::newRow("10") << QStringLiteral("10") << QStringLiteral("win");
    QTest::newRow("linux") << QStringLiteral("linux 6.1") << QStringLiteral("win");
}

void tst_OsVersion::shortName()
{
    QFETCH(QString, profile);
    QFETCH(QString, name);

    useProfile(profile);
    QCOMPARE(OsVersion::shortName(), name);
}

void tst_OsVersion::withoutProfileNoWindowsPatternMatches()
{
    qunsetenv("SETUPFSM_PROFILE");
    Platform::reloadProfile();
    for (const char* pattern : {"win2000+", "winxp+", "win7", "win7+", "winvista+", "wow64"})
        QVERIFY2(!OsVersion::matches(QLatin1String(pattern)), pattern);
}

QTEST_GUILESS_MAIN(tst_OsVersion)
#include "tst_osversion.moc"
