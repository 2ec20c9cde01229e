// SPDX-License-Identifier: MIT
// The file content states, created by the "generic" factory and run by an FSM.
#include "systemflow.h"
#include "system/filecontent.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using SystemTest::Flow;
using SystemTest::Profile;
using SystemTest::singleStateFlow;
using SystemTest::TraceLines;
using Props = QMap<QString, QString>;

namespace {

const QStringList kReadEvents {"finished", "failed", "fileNotFound"};
const QStringList kWriteEvents {"finished", "failed"};
const QStringList kDirEvents {"finished", "failed", "pathNotFound"};

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every byte value, so that a text round trip or a truncation cannot go unnoticed.
QByteArray allBytes()
{
    QByteArray b;
    for (int i = 0; i < 512; ++i)
        b.append(char(i & 0xFF));
    return b;
}

bool isRoot()
{
    return geteuid() == 0;
}

} // namespace

class tst_FileStates : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void read_data();
    void read();
    void readFailures();
    void write_data();
    void write();
    void readThenWriteCopiesBytes();
    void appendToFile();
    void writesThatDoNotReachTheDiskFail_data();
    void writesThatDoNotReachTheDiskFail();
    void createDirectory_data();
    void createDirectory();
    void pathMacrosAreExpanded();

private:
    QTemporaryDir m_dir;
};

void tst_FileStates::initTestCase()
{
    QVERIFY(m_dir.isValid());
    Trace::setStderrEnabled(false);
}

void tst_FileStates::read_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<Props>("props");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("binary"); // the content is expected as raw bytes, else as text
    QTest::addColumn<QString>("text");
    const QString file = QStringLiteral("readFile");
    const QString text = QStringLiteral("readTextFile");
    const QString euro = QString::fromUtf8("\xe2\x82\xac 5");
    QTest::newRow("bin") << file << Props {{"type", "bin"}} << allBytes() << true << QString();
    QTest::newRow("BiN mixed case") << file << Props {{"type", "BiN"}} << QByteArray("a\0b", 3) << true << QString();
    QTest::newRow("empty file, bin") << file << Props {{"type", "bin"}} << QByteArray() << true << QString();
    QTest::newRow("empty type reads text") << file << Props {{"type", ""}} << euro.toUtf8() << false << euro;
    QTest::newRow("other type reads text") << file << Props {{"type", "binary"}} << QByteArray("a\r\nb") << false
                                           << QStringLiteral("a\r\nb");
    QTest::newRow("utf-16 byte order mark") << file << Props {{"type", "text"}} << QByteArray("\xff\xfeh\0i\0", 6)
                                            << false << QStringLiteral("hi");
    QTest::newRow("text, default utf-8") << text << Props() << euro.toUtf8() << false << euro;
    QTest::newRow("text, latin-9") << text << Props {{"codec", "ISO 8859-15"}} << QByteArray("\xa4 5") << false << euro;
    QTest::newRow("text, code page 850") << text << Props {{"codec", "IBM 850"}} << QByteArray("\x81" "ber") << false
                                         << QString::fromUtf8("\xc3\xbc" "ber");
    QTest::newRow("text, unknown codec") << text << Props {{"codec", "no-such-codec"}} << euro.toUtf8() << false
                                         << euro;
}

void tst_FileStates::read()
{
    QFETCH(QString, state);
    QFETCH(Props, props);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, binary);
    QFETCH(QString, text);
    const QString path = m_dir.filePath(QStringLiteral("read.dat"));
    QVERIFY(writeBytes(path, bytes));
    props.insert(QStringLiteral("path"), path);
    TraceLines trace;
    Flow flow(singleStateFlow(state, props, kReadEvents));
    QCOMPARE(flow.run(), QStringLiteral("finished"));
    QVERIFY(trace.has("fileStates", QStringLiteral("Open file: ") + path));
    if (state == QLatin1String("readTextFile")) {
        QCOMPARE(flow.state()->property("content").toString(), text);
        return;
    }
    auto* content = qobject_cast<CFileContent*>(flow.state()->objectProperty("content"));
    QVERIFY(content);
    QCOMPARE(content->property("fileName").toString(), path);
    QCOMPARE(content->objectName(), path);
    QCOMPARE(content->data(), binary ? bytes : QByteArray());
    QCOMPARE(content->text(), binary ? QString() : text);
}

void tst_FileStates::readFailures()
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.txt"));
    for (const QString& type : {QStringLiteral("readFile"), QStringLiteral("readTextFile")}) {
        Flow flow(singleStateFlow(type, Props {{"path", missing}, {"type", "bin"}}, kReadEvents));
        flow.state()->setProperty("content", QStringLiteral("earlier"));
        QCOMPARE(flow.run(), QStringLiteral("fileNotFound"));
        QCOMPARE(flow.state()->property("content").toString(), QStringLiteral("earlier"));
    }
    // Something that exists but cannot be opened as a file: a folder, and (unless we are root,
    // whom permissions do not stop) a file without read permission.
    // A pipe would wait for a writer that never comes, and /dev/zero never ends.
    const QString pipe = m_dir.filePath(QStringLiteral("read-pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QStringList unreadable {m_dir.path(), pipe};
    if (QFileInfo::exists(QStringLiteral("/dev/zero")))
        unreadable.append(QStringLiteral("/dev/zero"));
    if (!isRoot()) {
        const QString locked = m_dir.filePath(QStringLiteral("locked.txt"));
        QVERIFY(writeBytes(locked, "secret"));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
        unreadable.append(locked);
    }
    for (const QString& path : std::as_const(unreadable)) {
        for (const QString& type : {QStringLiteral("readFile"), QStringLiteral("readTextFile")}) {
            TraceLines trace;
            Flow flow(singleStateFlow(type, Props {{"path", path}, {"type", "bin"}}, kReadEvents));
            QCOMPARE(flow.run(), QStringLiteral("failed"));
            QVERIFY(trace.has("fileStates", QStringLiteral("Failed opening file")));
            QVERIFY(!flow.state()->objectProperty("content"));
            QVERIFY(!flow.state()->property("content").isValid());
        }
    }
}

void tst_FileStates::write_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<Props>("props");   // writeFile: "text" and "data" of its content object
    QTest::addColumn<QByteArray>("written");
    const QString file = QStringLiteral("writeFile");
    const QString text = QStringLiteral("writeTextFile");
    const QString euro = QString::fromUtf8("\xe2\x82\xac");
    QTest::newRow("binary") << file << Props {{"data", QString::fromLatin1(allBytes())}} << allBytes();
    QTest::newRow("text wins over data") << file << Props {{"text", euro}, {"data", "ignored"}} << euro.toUtf8();
    QTest::newRow("both empty empties the file") << file << Props() << QByteArray();
    QTest::newRow("text, default utf-8") << text << Props {{"content", euro}} << euro.toUtf8();
    QTest::newRow("text, latin-9") << text << Props {{"content", euro}, {"codec", "ISO 8859-15"}} << QByteArray("\xa4");
    QTest::newRow("text, unknown codec") << text << Props {{"content", "x"}, {"codec", "nope"}} << QByteArray("x");
    QTest::newRow("text, empty") << text << Props {{"content", ""}} << QByteArray();
}

void tst_FileStates::write()
{
    QFETCH(QString, state);
    QFETCH(Props, props);
    QFETCH(QByteArray, written);
    const QString path = m_dir.filePath(QStringLiteral("written.dat"));
    QVERIFY(writeBytes(path, QByteArray(4096, 'x')));
    const bool object = state == QLatin1String("writeFile");
    Props stateProps = object ? Props() : props;
    stateProps.insert(QStringLiteral("path"), path);
    Flow flow(singleStateFlow(state, stateProps, kWriteEvents));
    QVERIFY(flow.state());
    if (object) {
        auto* content = new CFileContent(QStringLiteral("elsewhere"));
        content->setText(props.value(QStringLiteral("text")));
        content->setData(props.value(QStringLiteral("data")).toLatin1());
        flow.state()->setObjectProperty("content", content);
    }
    QCOMPARE(flow.run(), QStringLiteral("finished"));
    QCOMPARE(readBytes(path), written);
}

void tst_FileStates::readThenWriteCopiesBytes()
{
    const QString from = m_dir.filePath(QStringLiteral("source.bin"));
    const QString to = m_dir.filePath(QStringLiteral("copy.bin"));
    QVERIFY(writeBytes(from, allBytes()));
    const QString xml = QStringLiteral(
        "<fsm><states>"
        "<state name='read' type='readFile'><property key='path' value='%1'/><property key='type' value='Bin'/></state>"
        "<state name='write' type='writeFile'><property key='path' value='%2'/></state>"
        "</states><events><event name='done'/><event name='failed'/></events><transitions>"
        "<transition name='go' startstate='read'/>"
        "<transition name='pass' fromstate='read' event='finished' tostate='write'>"
        "<propertymap target='content' function='$content'/></transition>"
        "<transition name='r1' fromstate='read' event='failed|fileNotFound' toexit='failed'/>"
        "<transition name='w0' fromstate='write' event='finished' toexit='done'/>"
        "<transition name='w1' fromstate='write' event='failed' toexit='failed'/>"
        "</transitions></fsm>").arg(from, to);
    Flow flow(xml);
    QVERIFY2(flow.errors().isEmpty(), qPrintable(flow.errors()));
    QCOMPARE(flow.run(), QStringLiteral("done"));
    QCOMPARE(readBytes(to), allBytes());
}

void tst_FileStates::appendToFile()
{
    const QString path = m_dir.filePath(QStringLiteral("log/append.txt"));
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    // A codec property is not looked at: appending always uses the default encoding.
    for (const QString& piece : {QStringLiteral("first;"), QString::fromUtf8("zw\xc3\xb6lf;")}) {
        Flow flow(singleStateFlow(QStringLiteral("appendToFile"),
                                  Props {{"path", path}, {"content", piece}, {"codec", "ISO 8859-1"}}, kWriteEvents));
        QCOMPARE(flow.run(), QStringLiteral("finished"));
    }
    QCOMPARE(readBytes(path), QByteArray("first;zw\xc3\xb6lf;"));

    Flow intoMissingFolder(singleStateFlow(QStringLiteral("appendToFile"),
                                           Props {{"path", m_dir.filePath("nofolder/x.txt")}, {"content", "x"}},
                                           kWriteEvents));
    TraceLines trace;
    QCOMPARE(intoMissingFolder.run(), QStringLiteral("failed"));
    QVERIFY(trace.has("fileStates", QStringLiteral("Failed opening file")));
}

void tst_FileStates::writesThatDoNotReachTheDiskFail_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("trace");
    // /dev/full accepts the open and refuses every byte, as a full disk does.
    QTest::newRow("writeFile binary, disk full") << "writeFile" << "/dev/full" << "Error writing binary content";
    QTest::newRow("writeTextFile, disk full") << "writeTextFile" << "/dev/full" << "Error writing text content";
    QTest::newRow("appendToFile, disk full") << "appendToFile" << "/dev/full" << "Error writing text content";
    QTest::newRow("writeFile, no content") << "writeFile" << "%DIR%/out.bin" << "Empty content";
    QTest::newRow("writeFile, missing folder") << "writeFile" << "%DIR%/none/out.bin" << "Failed opening file";
    QTest::newRow("writeTextFile, missing folder") << "writeTextFile" << "%DIR%/none/out.txt"
                                                   << "Failed opening file";
    // Opening a pipe waits for a reader that never comes, on the event-loop thread.
    QTest::newRow("writeFile, pipe") << "writeFile" << "%DIR%/pipe" << "Failed opening file";
    QTest::newRow("writeTextFile, pipe") << "writeTextFile" << "%DIR%/pipe" << "Failed opening file";
    QTest::newRow("appendToFile, pipe") << "appendToFile" << "%DIR%/pipe" << "Failed opening file";
}

void tst_FileStates::writesThatDoNotReachTheDiskFail()
{
    QFETCH(QString, type);
    QFETCH(QString, path);
    QFETCH(QString, trace);
    path.replace(QLatin1String("%DIR%"), m_dir.path());
    if (path.endsWith(QLatin1String("/pipe")) && !QFileInfo::exists(path))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (path.startsWith(QLatin1String("/dev/full")) && !QFileInfo::exists(path))
        QSKIP("This system has no /dev/full");
    Flow flow(singleStateFlow(type, Props {{"path", path}, {"content", "some text"}}, kWriteEvents));
    if (CState* s = flow.state(); s && type == QLatin1String("writeFile") && !trace.startsWith("Empty")) {
        auto* content = new CFileContent(QStringLiteral("x"));
        content->setData(QByteArray(64 * 1024, 'd'));
        s->setObjectProperty("content", content);
    }
    TraceLines lines;
    if (type == QLatin1String("appendToFile") && path == QLatin1String("/dev/full"))
        QTest::ignoreMessage(QtWarningMsg,
                             "QIODevice::seek (QFile, \"/dev/full\"): Cannot call seek on a sequential device");
    QCOMPARE(flow.run(), QStringLiteral("failed"));
    QVERIFY2(lines.has("fileStates", trace), qPrintable(lines.all()));
}

void tst_FileStates::createDirectory_data()
{
    QTest::addColumn<QString>("path"); // relative to the test folder, which holds "existing/" and "file"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QString>("created"); // the folder that exists afterwards, or empty
    QTest::newRow("new folder") << "existing" << "new" << "finished" << "existing/new";
    QTest::newRow("folder exists") << "" << "existing" << "failed" << "";
    QTest::newRow("parent missing") << "missing" << "new" << "pathNotFound" << "";
    QTest::newRow("path is a file") << "file" << "new" << "pathNotFound" << "";
    QTest::newRow("no parents made") << "existing" << "a/b" << "failed" << "";
}

void tst_FileStates::createDirectory()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, exit);
    QFETCH(QString, created);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("existing")));
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("file")), "x"));
    const QString full = path.isEmpty() ? dir.path() : dir.filePath(path);
    TraceLines trace;
    Flow flow(singleStateFlow(QStringLiteral("createDirectory"), Props {{"path", full}, {"directoryName", name}},
                              kDirEvents));
    QCOMPARE(flow.run(), exit);
    QVERIFY(trace.has("dirStates", QStringLiteral("Create directory: ") + full + QLatin1Char('/') + name));
    if (!created.isEmpty())
        QVERIFY(QFileInfo(dir.filePath(created)).isDir());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("existing/a"))));
}

void tst_FileStates::pathMacrosAreExpanded()
{
    QTemporaryDir dir;
    Profile profile(QStringLiteral("[folders]\nAPPDATA=%1\n").arg(dir.path()));
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("settings.ini")), "[a]\n"));
    Flow read(singleStateFlow(QStringLiteral("readTextFile"), Props {{"path", "%APPDATA%/settings.ini"}},
                              kReadEvents));
    QCOMPARE(read.run(), QStringLiteral("finished"));
    QCOMPARE(read.state()->property("content").toString(), QStringLiteral("[a]\n"));

    // The folder name itself is taken literally.
    Flow mkdir(singleStateFlow(QStringLiteral("createDirectory"),
                               Props {{"path", "%APPDATA%"}, {"directoryName", "%APPDATA%"}}, kDirEvents));
    QCOMPARE(mkdir.run(), QStringLiteral("finished"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("%APPDATA%"))).isDir());
}

QTEST_GUILESS_MAIN(tst_FileStates)
#include "tst_filestates.moc"
