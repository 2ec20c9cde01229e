// SPDX-License-Identifier: MIT
#include "systemflow.h"
#include "system/standardpaths.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTest>

using SystemTest::Profile;

namespace {

using Macros = QMap<QString, QString>;

// A table with only the entries a row names, on top of an empty one.
class TestPaths : public IStandardPaths {
public:
    explicit TestPaths(const Macros& entries)
    {
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            addMacro(it.key(), it.value());
    }
};

} // namespace

class tst_StandardPaths : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void containsMacro_data();
    void containsMacro();
    void expand_data();
    void expand();
    void table_data();
    void table();
    void tempFollowsEnvironment();
};

void tst_StandardPaths::containsMacro_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    const struct {
        const char* text;
        bool found;
    } rows[] = {
        {"%A%", true},          {"x%WINDIR%\\y", true}, {"%_%", true},      {"%a1_B%", true},
        {"%%", false},          {"%", false},           {"100%", false},    {"% A%", false},
        {"%a-b%", false},       {"%%X%", true},         {"%X%%", true},     {"50% off %Y%", true},
        {"%é%", false},         {"", false},            {"%A", false},      {"a%b c%d%", true},
    };
    for (const auto& r : rows)
        QTest::newRow(r.text) << QString::fromUtf8(r.text) << r.found;
}

void tst_StandardPaths::containsMacro()
{
    QFETCH(QString, text);
    QFETCH(bool, found);
    QCOMPARE(IStandardPaths::containsMacro(text), found);
}

void tst_StandardPaths::expand_data()
{
    QTest::addColumn<Macros>("macros");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expanded");
    const Macros win {{"%WINDIR%", "C:\\Windows"}, {"%APP%", "/opt/app"}};
    QTest::newRow("leading") << win << "%WINDIR%\\notepad.exe" << "C:\\Windows\\notepad.exe";
    QTest::newRow("twice") << win << "%APP%/a:%APP%/b" << "/opt/app/a:/opt/app/b";
    QTest::newRow("no macro") << win << "plain/path" << "plain/path";
    QTest::newRow("case-sensitive") << win << "%windir%\\x" << "%windir%\\x";
    QTest::newRow("unknown stays") << win << "%NOPE%/%APP%" << "%NOPE%//opt/app";
    QTest::newRow("nested, later entry")
        << Macros {{"%SRC%", "%APP%/data"}, {"%APP%", "/opt/app"}} << "%SRC%/f" << "/opt/app/data/f";
    QTest::newRow("nested, earlier entry")
        << Macros {{"%A%", "/a"}, {"%B%", "%A%/b"}} << "%B%" << "/a/b";
    QTest::newRow("three levels")
        << Macros {{"%X%", "%Y%1"}, {"%Y%", "%Z%2"}, {"%Z%", "3"}} << "%X%" << "321";
    // A value that names its own macro grows once per pass: the tenth pass is the last.
    QTest::newRow("ten passes at most") << Macros {{"%A%", "%A%x"}} << "%A%" << "%A%xxxxxxxxxx";
    QTest::newRow("percent in value") << Macros {{"%P%", "100%"}} << "%P%/%P%" << "100%/100%";
    QTest::newRow("empty value") << Macros {{"%TEMP%", ""}} << "%TEMP%/f" << "/f";
}

void tst_StandardPaths::expand()
{
    QFETCH(Macros, macros);
    QFETCH(QString, text);
    QFETCH(QString, expanded);
    TestPaths paths(macros);
    QCOMPARE(paths.expandMacros(text), expanded);
}

void tst_StandardPaths::table_data()
{
    QTest::addColumn<QString>("profile");
    QTest::addColumn<Macros>("expected");   // macro -> value
    QTest::addColumn<QStringList>("absent");

    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString windowsOnly[] = {"%WINDIR%", "%WINSYSDIR%", "%WINDRIVE%", "%PROGRAM_FILES%", "%COMMON_APPDATA%",
                                   "%STARTMENU%", "%COMMON_STARTMENU%"};

    QTest::newRow("linux") << QString()
                           << Macros {{"%APPDATA%", config},
                                      {"%LOCAL_APPDATA%",
                                       QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)},
                                      {"%DESKTOP%", desktop},
                                      {"%COMMON_DESKTOP%", desktop},
                                      {"%PROGRAMS%",
                                       QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation)},
                                      {"%COMMON_PROGRAMS%", "/usr/share/applications"},
                                      {"%STARTUP%", config + "/autostart"},
                                      {"%COMMON_STARTUP%", "/etc/xdg/autostart"},
                                      {"%APP%", QCoreApplication::applicationDirPath()}}
                           << QStringList(std::begin(windowsOnly), std::end(windowsOnly));

    QTest::newRow("windows folders")
        << "[os]\nmajor=5\nminor=1\n[folders]\nWINDIR=C:\\\\WINDOWS\\\\\nWINSYSDIR=D:\\\\WINDOWS\\\\system32\n"
           "PROGRAM_FILES=C:\\\\Program Files\nSTARTMENU=C:\\\\u\\\\Start\nCOMMON_STARTMENU=C:\\\\all\\\\Start\n"
           "APP=C:\\\\setup\n"
        << Macros {{"%WINDIR%", "C:\\WINDOWS"},
                   {"%WINSYSDIR%", "D:\\WINDOWS\\system32"},
                   {"%WINDRIVE%", "D:"},
                   {"%PROGRAM_FILES%", "C:\\Program Files"},
                   {"%STARTMENU%", "C:\\u\\Start"},
                   {"%COMMON_STARTMENU%", "C:\\all\\Start"},
                   {"%APP%", "C:\\setup"}}
        << QStringList();

    // Windows lying in a drive's root still gets no trailing separator.
    QTest::newRow("drive root") << "[folders]\nWINDIR=C:\\\\\nWINSYSDIR=/\n"
                                << Macros {{"%WINDIR%", "C:"}, {"%WINSYSDIR%", ""}, {"%WINDRIVE%", ""}}
                                << QStringList();

    QTest::newRow("common folders before 5.0")
        << "[os]\nmajor=4\nminor=0\n[folders]\nSTARTMENU=/u/start\nCOMMON_STARTMENU=/all/start\n"
        << Macros {{"%STARTMENU%", "/u/start"}, {"%COMMON_STARTMENU%", "/u/start"}} << QStringList();

    QTest::newRow("linux with an old kernel")
        << "[os]\nmajor=4\nminor=19\nplatformId=0\n[folders]\nSTARTMENU=/u/start\nCOMMON_STARTMENU=/all/start\n"
        << Macros {{"%STARTMENU%", "/u/start"}, {"%COMMON_STARTMENU%", "/all/start"}} << QStringList();

    QTest::newRow("common without per-user folder")
        << "[os]\nmajor=6\n[folders]\nCOMMON_STARTMENU=/all/start\n" << Macros()
        << QStringList {"%STARTMENU%", "%COMMON_STARTMENU%"};

    QTest::newRow("32-bit process on 64-bit system")
        << "[os]\nwow64=true\n[folders]\nPROGRAM_FILES=C:\\\\Program Files\n"
           "PROGRAM_FILES_X86=\"C:\\\\Program Files (x86)\"\n"
        << Macros {{"%PROGRAM_FILES%", "C:\\Program Files (x86)"}} << QStringList();
    QTest::newRow("64-bit process")
        << "[folders]\nPROGRAM_FILES=C:\\\\Program Files\nPROGRAM_FILES_X86=\"C:\\\\Program Files (x86)\"\n"
        << Macros {{"%PROGRAM_FILES%", "C:\\Program Files"}} << QStringList();
    QTest::newRow("comma in path") << "[folders]\nAPPDATA=/data/a,b\n" << Macros {{"%APPDATA%", "/data/a,b"}}
                                   << QStringList();
}

void tst_StandardPaths::table()
{
    QFETCH(QString, profile);
    QFETCH(Macros, expected);
    QFETCH(QStringList, absent);
    Profile current(profile);
    IStandardPaths paths;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY2(paths.macros().contains(it.key()), qPrintable(it.key()));
        QCOMPARE(paths.macros().value(it.key()), it.value());
    }
    for (const QString& name : absent)
        QVERIFY2(!paths.macros().contains(name), qPrintable(name));
    QVERIFY(paths.macros().contains(QStringLiteral("%TEMP%")));
    if (expected.contains(QStringLiteral("%WINDIR%")))
        QCOMPARE(paths.expandMacros(QStringLiteral("%WINDIR%\\system.ini")),
                 expected.value(QStringLiteral("%WINDIR%")) + QStringLiteral("\\system.ini"));
}

void tst_StandardPaths::tempFollowsEnvironment()
{
    const QByteArray saved = qgetenv("TEMP");
    const bool had = qEnvironmentVariableIsSet("TEMP");
    qputenv("TEMP", "/var/tmp/setup");
    IStandardPaths withTemp;
    qunsetenv("TEMP");
    IStandardPaths withoutTemp;
    if (had)
        qputenv("TEMP", saved);
    QCOMPARE(withTemp.expandMacros(QStringLiteral("%TEMP%/x")), QStringLiteral("/var/tmp/setup/x"));
    QCOMPARE(withoutTemp.expandMacros(QStringLiteral("%TEMP%/x")), QStringLiteral("/x"));
    // The table keeps what it saw when it was filled.
    QCOMPARE(withTemp.macros().value(QStringLiteral("%TEMP%")), QStringLiteral("/var/tmp/setup"));
}

QTEST_GUILESS_MAIN(tst_StandardPaths)
#include "tst_standardpaths.moc"
