// SPDX-License-Identifier: MIT
// createShortcut writes Desktop Entry files that desktop-file-validate accepts, whatever the
// names hold; connection shortcuts ask a stand-in nmcli placed first on PATH.
#include "copy/scratchmount.h"
#include "system/systemflow.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using SystemTest::Flow;
using SystemTest::singleStateFlow;
using SystemTest::TraceLines;
using Props = QMap<QString, QString>;

namespace {

const QStringList kEvents {"finished", "failed"};

// The connections the stand-in knows, as nmcli's terse listing writes them.
const char kConnections[] = "Wired connection 1\nHome WiFi\nCaf\xc3\xa9 \"5G\" $x\\\\y\nVPN\\: office\n";

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

bool writeScript(const QString& path, const QByteArray& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size()
           && f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
}

} // namespace

class tst_Shortcuts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void shortcuts_data();
    void shortcuts();
    void unwritableLinkPaths_data();
    void unwritableLinkPaths();
    void connectionWithoutNetworkManager_data();
    void connectionWithoutNetworkManager();

private:
    QString run(const Props& props);
    void validate(const QString& path);

    QTemporaryDir m_dir;
    QString m_fakeBin;
    QByteArray m_path;
};

void tst_Shortcuts::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_fakeBin = m_dir.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(m_fakeBin));
    QVERIFY(writeScript(m_fakeBin + QStringLiteral("/nmcli"),
                        QByteArray("#!/bin/sh\n[ \"$*\" = \"-t -f NAME connection show\" ] || exit 2\nprintf '%s' '")
                            + QByteArray(kConnections).replace("'", "'\\''") + "'\n"));
    m_path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_fakeBin) + ':' + m_path);
}

QString tst_Shortcuts::run(const Props& props)
{
    Flow flow(singleStateFlow(QStringLiteral("createShortcut"), props, kEvents));
    return flow.run();
}

void tst_Shortcuts::validate(const QString& path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (tool.isEmpty()) {
        qWarning("desktop-file-validate is missing (package desktop-file-utils): shortcut files not validated");
        return;
    }
    QProcess p;
    p.start(tool, {path});
    QVERIFY(p.waitForFinished(30000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardOutput().constData());
}

void tst_Shortcuts::shortcuts_data()
{
    QTest::addColumn<Props>("props");
    QTest::addColumn<QString>("expected"); // the file after "[Desktop Entry]\n"; empty: none written

    const QString icon = QStringLiteral("/usr/share/icons/x.png");
    QTest::newRow("program with blanks and arguments")
        << Props {{"objectPath", "/opt/My App/run"}, {"arguments", "--mode \"a b\" 50% x=1"},
                  {"comment", "Starts it"}, {"iconPath", icon}, {"iconIndex", "3"}, {"linkPath", "My App.desktop"}}
        << QStringLiteral("Type=Application\nExec=\"/opt/My App/run\" --mode \"a b\" 50%% x=1\nName=My App\n"
                          "Comment=Starts it\nIcon=/usr/share/icons/x.png\n");
    QTest::newRow("quotes, shell characters and line breaks stay inside their values")
        << Props {{"objectPath", "/opt/a\"b$c\\d"}, {"arguments", "x;y `id` \"two\nlines\""},
                  {"comment", " one\nName=evil"}, {"linkPath", "Caf\u00e9 \u65e5\u672c.v2.desktop"}}
        << QStringLiteral("Type=Application\nExec=\"/opt/a\\\\\"b\\\\$c\\\\\\\\d\" \"x;y\" \"\\\\`id\\\\`\" "
                          "\"two\\nlines\"\nName=Caf\u00e9 \u65e5\u672c.v2\nComment=\\sone\\nName=evil\n");
    QTest::newRow("url, type in any case")
        << Props {{"type", "URL"}, {"objectPath", "https://example.org/a?b=1&c=%20"}, {"comment", "Web"},
                  {"linkPath", "Web site.desktop"}}
        << QStringLiteral("Type=Link\nURL=https://example.org/a?b=1&c=%20\nName=Web site\nComment=Web\n");
    QTest::newRow("connection named in another case")
        << Props {{"type", "connection"}, {"objectPath", "home wifi"}, {"linkPath", "Home.desktop"}}
        << QStringLiteral("Type=Application\nExec=nmcli connection up id \"Home WiFi\"\nName=Home\n");
    QTest::newRow("connection with quotes, dollar and backslash")
        << Props {{"type", "Connection"}, {"objectPath", "caf\u00e9 \"5g\" $X\\Y"}, {"linkPath", "c.desktop"}}
        << QStringLiteral("Type=Application\nExec=nmcli connection up id \"Caf\u00e9 \\\\\"5G\\\\\" "
                          "\\\\$x\\\\\\\\y\"\nName=c\n");
    QTest::newRow("connection name with a colon")
        << Props {{"type", "connection"}, {"objectPath", "VPN: office"}, {"linkPath", "v.desktop"}}
        << QStringLiteral("Type=Application\nExec=nmcli connection up id \"VPN: office\"\nName=v\n");
    QTest::newRow("unknown connection writes nothing")
        << Props {{"type", "connection"}, {"objectPath", "Office"}, {"linkPath", "o.desktop"}} << QString();
}

void tst_Shortcuts::shortcuts()
{
    QFETCH(Props, props);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString link = dir.filePath(props.value(QStringLiteral("linkPath")));
    props[QStringLiteral("linkPath")] = link;
    TraceLines trace;
    QCOMPARE(run(props), QStringLiteral("finished"));
    if (expected.isEmpty()) {
        QVERIFY(!QFile::exists(link));
        QVERIFY(trace.contains(QStringLiteral("not found: no shortcut written")));
        return;
    }
    QCOMPARE(readText(link), QStringLiteral("[Desktop Entry]\n") + expected);
    validate(link);
}

void tst_Shortcuts::unwritableLinkPaths_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("objectPath");
    QTest::newRow("folder missing") << QStringLiteral("missing/x.desktop") << QStringLiteral("/bin/true");
    QTest::newRow("a folder stands there") << QStringLiteral("folder") << QStringLiteral("/bin/true");
    QTest::newRow("read-only file system") << QStringLiteral("ro/x.desktop") << QStringLiteral("/bin/true");
    QTest::newRow("no object path") << QStringLiteral("x.desktop") << QString();
}

void tst_Shortcuts::unwritableLinkPaths()
{
    QFETCH(QString, link);
    QFETCH(QString, objectPath);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    std::unique_ptr<ScratchMount> readOnly;
    if (link.startsWith(QLatin1String("ro/"))) {
        readOnly = std::make_unique<ScratchMount>(dir.filePath(QStringLiteral("ro")), "size=64k", true);
        if (!readOnly->isMounted())
            QSKIP(qPrintable(readOnly->skipReason()));
    }
    TraceLines trace;
    QCOMPARE(run(Props {{"objectPath", objectPath}, {"linkPath", dir.filePath(link)}}), QStringLiteral("failed"));
    QVERIFY2(trace.contains(QStringLiteral("  error: ")), qPrintable(trace.all()));
    QVERIFY(!QFileInfo(dir.filePath(link)).isFile());
}

void tst_Shortcuts::connectionWithoutNetworkManager_data()
{
    QTest::addColumn<QByteArray>("script"); // empty: no nmcli at all
    QTest::addColumn<QString>("traceText");
    QTest::newRow("nmcli missing") << QByteArray() << "nmcli cannot be started";
    QTest::newRow("NetworkManager not running")
        << QByteArray("#!/bin/sh\necho 'Error: NetworkManager is not running.' >&2\nexit 8\n")
        << "nmcli failed (exit code 8): Error: NetworkManager is not running.";
}

void tst_Shortcuts::connectionWithoutNetworkManager()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, traceText);

    QTemporaryDir dir;
    if (!script.isEmpty())
        QVERIFY(writeScript(dir.filePath(QStringLiteral("nmcli")), script));
    qputenv("PATH", QFile::encodeName(dir.path()));
    TraceLines trace;
    const QString link = dir.filePath(QStringLiteral("c.desktop"));
    const QString event = run(Props {{"type", "connection"}, {"objectPath", "Home WiFi"}, {"linkPath", link}});
    qputenv("PATH", QFile::encodeName(m_fakeBin) + ':' + m_path);
    QCOMPARE(event, QStringLiteral("finished"));
    QVERIFY(!QFile::exists(link));
    QVERIFY2(trace.contains(traceText), qPrintable(trace.all()));
}

QTEST_GUILESS_MAIN(tst_Shortcuts)
#include "tst_shortcuts.moc"
