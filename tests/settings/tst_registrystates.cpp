// SPDX-License-Identifier: MIT
// The settings-store states against real settings files: the user scope and the machine-wide
// scope are pointed at temporary folders through XDG_CONFIG_HOME and XDG_CONFIG_DIRS.
#include "engine/variantconv.h"
#include "support/flowrunner.h"

#include <QDirIterator>
#include <QProcess>
#include <QtTest>
#include <unistd.h>

using FlowTest::Flow;
using FlowTest::singleStateFlow;

namespace {

struct Outcome {
    QString event;
    QVariant value;
    QVariant keyList;
};

// Runs one state of the type with the properties set as values of their own types. "value"
// starts as "unchanged" for the states that only read it.
Outcome runState(const QString& type, const QVariantMap& properties)
{
    const QStringList events = type == QLatin1String("registryEntryList") ? QStringList {"finished"}
                                                                           : QStringList {"success", "failed"};
    Flow flow(singleStateFlow(type, QString(), events));
    flow.state()->setProperty("value", QStringLiteral("unchanged"));
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        flow.state()->setProperty(it.key().toLatin1().constData(), it.value());
    Outcome out;
    out.event = flow.run();
    out.value = flow.state()->property("value");
    out.keyList = flow.state()->property("keyList");
    return out;
}

QString typed(const QVariant& v)
{
    const QString text = v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char('|')) : Qt3::toString(v);
    return Qt3::typeName(v) + QLatin1Char(':') + text;
}

QVariantMap location(const QString& key, const QString& scope = QString())
{
    return {{"domain", "Korvane Test"}, {"product", "Setup"}, {"key", key}, {"scope", scope}};
}

QVariantMap with(QVariantMap map, const QString& name, const QVariant& value)
{
    map.insert(name, value);
    return map;
}

} // namespace

class tst_RegistryStates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void roundTrip_data();
    void roundTrip();
    void readStoredText_data();
    void readStoredText();
    void removeValue();
    void entryList_data();
    void entryList();
    void namesStayInsideTheStore();
    void unwritableMachineScopeFails();

private:
    QString userFile() const { return m_dir->filePath(QStringLiteral("home/Korvane Test/Setup.conf")); }
    QString machineFile() const { return m_dir->filePath(QStringLiteral("machine/Korvane Test/Setup.conf")); }
    void writeUserFile(const QByteArray& text);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_RegistryStates::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (m_dir->filePath(QStringLiteral("machine")) + QLatin1Char(':')
                                + m_dir->filePath(QStringLiteral("second"))).toUtf8());
}

void tst_RegistryStates::cleanup()
{
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_DIRS");
    m_dir.reset();
}

void tst_RegistryStates::writeUserFile(const QByteArray& text)
{
    QVERIFY(QDir().mkpath(QFileInfo(userFile()).path()));
    QFile f(userFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void tst_RegistryStates::roundTrip_data()
{
    QTest::addColumn<QString>("scope");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    const struct {
        const char* name;
        const char* type;
        QVariant value;
        const char* expected;
    } rows[] = {
        {"bool true", "bool", true, "Int:1"},
        {"bool from text", "BOOL", QStringLiteral("false"), "Int:0"},
        {"int", "int", -42, "Int:-42"},
        {"int beyond 32 bits", "int", QStringLiteral("-5000000000"), "LongLong:-5000000000"},
        {"double", "double", 0.1, "Double:0.1"},
        {"list", "list", QStringList {"a,b", "@c", ""}, "StringList:a,b|@c|"},
        {"list of one", "list", QStringList {"one"}, "StringList:one"},
        {"empty list", "list", QStringList(), "StringList:"},
        {"string", "", QStringLiteral("@x, y"), "String:@x, y"},
        {"string with line break", "text", QStringLiteral("a\nb=c"), "String:a\nb=c"},
        {"number as string", "", 7, "String:7"},
    };
    for (const char* scope : {"", "GLOBAL"}) {
        for (const auto& row : rows)
            QTest::addRow("%s %s", scope, row.name) << scope << row.type << row.value << row.expected;
    }
}

void tst_RegistryStates::roundTrip()
{
    QFETCH(QString, scope);
    QFETCH(QString, type);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    const QVariantMap where = with(location(QStringLiteral("group/sub/entry"), scope), QStringLiteral("type"), type);
    QCOMPARE(runState(QStringLiteral("writeRegistry"), with(where, QStringLiteral("value"), value)).event,
             QStringLiteral("success"));
    const bool machine = !scope.isEmpty();
    QCOMPARE(QFile::exists(machineFile()), machine);
    QCOMPARE(QFile::exists(userFile()), !machine);
    const Outcome read = runState(QStringLiteral("readRegistry"), where);
    QCOMPARE(read.event, QStringLiteral("success"));
    QCOMPARE(typed(read.value), expected);
}

void tst_RegistryStates::readStoredText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("expected"); // empty: "failed", "value" unchanged
    QTest::newRow("one entry read as list") << QByteArray("v=a") << "v" << "list" << "StringList:a";
    QTest::newRow("empty list") << QByteArray("v=@Invalid()") << "v" << "list" << "StringList:";
    QTest::newRow("list read as text") << QByteArray("v=a, b") << "v" << "" << "String:a,b";
    QTest::newRow("bool words") << QByteArray("v=Yes") << "v" << "bool" << "Int:1";
    QTest::newRow("no bool") << QByteArray("v=maybe") << "v" << "bool" << "";
    QTest::newRow("no int") << QByteArray("v=2.5") << "v" << "int" << "";
    QTest::newRow("value in a group") << QByteArray("[g]\nv=12") << "/g//v/" << "int" << "Int:12";
    QTest::newRow("missing value") << QByteArray("v=1") << "w" << "int" << "";
    QTest::newRow("a group is no value") << QByteArray("[g]\nv=1") << "g" << "" << "";
    QTest::newRow("no file") << QByteArray() << "v" << "" << "";
}

void tst_RegistryStates::readStoredText()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, type);
    QFETCH(QString, expected);
    if (!file.isNull())
        writeUserFile("[General]\n" + file + '\n');
    const Outcome read = runState(QStringLiteral("readRegistry"),
                                  with(with(location(key), QStringLiteral("type"), type), QStringLiteral("default"), 5));
    QCOMPARE(read.event, expected.isEmpty() ? QStringLiteral("failed") : QStringLiteral("success"));
    QCOMPARE(typed(read.value), expected.isEmpty() ? QStringLiteral("String:unchanged") : expected);
}

void tst_RegistryStates::removeValue()
{
    writeUserFile("[General]\na=1\n[a]\nb=2\n");
    const QString remove = QStringLiteral("removeFromRegistry");
    QCOMPARE(runState(remove, location(QStringLiteral("a"))).event, QStringLiteral("success"));
    QCOMPARE(runState(QStringLiteral("readRegistry"), location(QStringLiteral("a"))).event, QStringLiteral("failed"));
    // The group of the same name is another thing and stays.
    QCOMPARE(typed(runState(QStringLiteral("readRegistry"), location(QStringLiteral("a/b"))).value),
             QStringLiteral("String:2"));
    QCOMPARE(runState(remove, location(QStringLiteral("a"))).event, QStringLiteral("failed"));
    QCOMPARE(runState(remove, location(QStringLiteral("a/b"), QStringLiteral("global"))).event,
             QStringLiteral("failed"));
    QCOMPARE(runState(remove, location(QStringLiteral("a/b"))).event, QStringLiteral("success"));
    QCOMPARE(runState(remove, location(QString())).event, QStringLiteral("failed"));
    QCOMPARE(runState(QStringLiteral("writeRegistry"), with(location(QStringLiteral("//")), QStringLiteral("value"), 1)).event,
             QStringLiteral("failed"));
}

void tst_RegistryStates::entryList_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("top level") << "" << QStringList {"x", "y"};
    QTest::newRow("values of a group, not its groups") << "g" << QStringList {"v", "w"};
    QTest::newRow("nested group") << "g/sub" << QStringList {"deep"};
    QTest::newRow("a value has no entries") << "x" << QStringList();
    QTest::newRow("missing group") << "none" << QStringList();
}

void tst_RegistryStates::entryList()
{
    QFETCH(QString, key);
    QFETCH(QStringList, expected);
    writeUserFile("[General]\ny=1\nx=2\n[g]\nw=1\nv=2\nsub\\deep=3\n");
    const Outcome out = runState(QStringLiteral("registryEntryList"), location(key));
    QCOMPARE(out.event, QStringLiteral("finished"));
    QCOMPARE(out.keyList.toStringList(), expected);
}

void tst_RegistryStates::namesStayInsideTheStore()
{
    const QVariantMap names[] = {{{"domain", ".."}, {"product", "../../escape"}},
                                 {{"domain", "a/b"}, {"product", "."}},
                                 {{"domain", "a%2Fb"}, {"product", ""}}};
    int n = 0;
    for (int round = 0; round < 2; ++round) {
        for (QVariantMap where : names) {
            for (const char* key : {"../../x", "a//b/", "ä b=;#[c]", ".."}) {
                where.insert(QStringLiteral("key"), QString::fromUtf8(key));
                if (round == 0)
                    QCOMPARE(runState(QStringLiteral("writeRegistry"), with(where, QStringLiteral("value"), ++n)).event,
                             QStringLiteral("success"));
                else
                    QCOMPARE(typed(runState(QStringLiteral("readRegistry"), where).value), QStringLiteral("String:%1").arg(n++));
            }
        }
        n = 1;
    }
    QDirIterator files(m_dir->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int count = 0;
    for (; files.hasNext(); ++count)
        QVERIFY2(files.next().startsWith(m_dir->filePath(QStringLiteral("home")) + QLatin1Char('/')), qPrintable(files.filePath()));
    QCOMPARE(count, 3);
}

void tst_RegistryStates::unwritableMachineScopeFails()
{
    // The flow runs in the command-line host as an ordinary user; being root, the test drops
    // to "nobody" for it. The machine folder belongs to root and is not writable by others.
    const QString machine = m_dir->filePath(QStringLiteral("machine"));
    QVERIFY(QDir().mkpath(machine));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                     | QFileDevice::ReadOther | QFileDevice::ExeOther));
    QVERIFY(QFile::setPermissions(machine, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                               | QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QString flowFile = m_dir->filePath(QStringLiteral("write.xml"));
    {
        QFile f(flowFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(singleStateFlow(QStringLiteral("writeRegistry"),
                                QMap<QString, QString> {{"domain", "Korvane Test"}, {"product", "Setup"},
                                                        {"key", "k"}, {"value", "1"}, {"scope", "Global"}},
                                {"success", "failed"})
                    .toUtf8());
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadOther));
    }
    QProcess p;
    QStringList arguments {QStringLiteral(SETUPFSM_CLI), QStringLiteral("run"), QStringLiteral("--json"), flowFile};
    if (geteuid() == 0)
        arguments = QStringList {"--reuid=65534", "--regid=65534", "--clear-groups"} + arguments;
    else
        QVERIFY(QFile::setPermissions(machine, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    p.setProgram(geteuid() == 0 ? QStringLiteral("setpriv") : arguments.takeFirst());
    p.setArguments(arguments);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start();
    QVERIFY(p.waitForFinished(60000));
    const QString output = QString::fromUtf8(p.readAll());
    QVERIFY2(output.contains(QLatin1String("\"exit\":\"failed\"")), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("Failed writing registry value k in ") + machineFile()
                             + QStringLiteral(": access denied")),
             qPrintable(output));
    QVERIFY(!QFile::exists(machineFile()));
}

QTEST_GUILESS_MAIN(tst_RegistryStates)
#include "tst_registrystates.moc"
