// SPDX-License-Identifier: MIT
// The file content states, created by the "generic" factory and run by an FSM.
#include "systemflow.h"
#include "system/filecontent.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
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
    void declarations_data();
    void declarations();
    void readFile_data();
    void readFile();
    void readFileFailures();
    void readTextFile_data();
    void readTextFile();
    void writeFile_data();
    void writeFile();
    void readThenWriteCopiesBytes();
    void writeTextFile_data();
    void writeTextFile();
    void appendToFile();
    void writesThatDoNotReachTheDiskFail_data();
    void writesThatDoNotReachTheDiskFail();
    void createDirectory_data();
    void createDirectory();
    void pathMacrosAreExpanded();
    void contentClone();

private:
    QTemporaryDir m_dir;
};

void tst_FileStates::initTestCase()
{
    QVERIFY(m_dir.isValid());
    Trace::setStderrEnabled(false);
}

void tst_FileStates::declarations_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("required");
    QTest::addColumn<QStringList>("announced");
    QTest::newRow("readFile") << "readFile" << kReadEvents << QStringList {"path", "type"} << QStringList {"content"};
    QTest::newRow("readTextFile") << "readTextFile" << kReadEvents << QStringList {"path"}
                                  << QStringList {"content"};
    QTest::newRow("writeFile") << "writeFile" << kWriteEvents << QStringList {"path", "content"} << QStringList();
    QTest::newRow("writeTextFile") << "writeTextFile" << kWriteEvents << QStringList {"path", "content"}
                                   << QStringList();
    QTest::newRow("appendToFile") << "appendToFile" << kWriteEvents << QStringList {"path", "content"}
                                  << QStringList();
    QTest::newRow("createDirectory") << "createDirectory" << kDirEvents << QStringList {"path", "directoryName"}
                                     << QStringList();
    QTest::newRow("getFileVersion") << "getFileVersion" << QStringList {"finished"} << QStringList {"path"}
                                    << QStringList {"major", "minor", "revision", "build", "version"};
}

void tst_FileStates::declarations()
{
    QFETCH(QString, type);
    QFETCH(QStringList, events);
    QFETCH(QStringList, required);
    QFETCH(QStringList, announced);
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    std::unique_ptr<CState> s(factory->createState(type, QDomNode(), nullptr, QStringLiteral("s")));
    QVERIFY(s);
    QCOMPARE(s->typeName(), type);
    QCOMPARE(s->events(), events);
    QCOMPARE(s->requiredProperties(), required);
    QCOMPARE(s->announcedProperties(), announced);
}

void tst_FileStates::readFile_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("binary");
    QTest::addColumn<QString>("text");
    QTest::newRow("bin") << "bin" << allBytes() << true << QString();
    QTest::newRow("BiN mixed case") << "BiN" << QByteArray("a\0b", 3) << true << QString();
    QTest::newRow("empty type reads text") << "" << QByteArray("gr\xc3\xbc\xc3\x9f") << false
                                           << QString::fromUtf8("gr\xc3\xbc\xc3\x9f");
    QTest::newRow("other type reads text") << "binary" << QByteArray("line\r\nnext") << false
                                           << QStringLiteral("line\r\nnext");
    QTest::newRow("utf-16 with byte order mark")
        << "text" << QByteArray("\xff\xfeh\0i\0", 6) << false << QStringLiteral("hi");
    QTest::newRow("empty file, bin") << "bin" << QByteArray() << true << QString();
}

void tst_FileStates::readFile()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, binary);
    QFETCH(QString, text);
    const QString path = m_dir.filePath(QStringLiteral("read.dat"));
    QVERIFY(writeBytes(path, bytes));
    TraceLines trace;
    Flow flow(singleStateFlow(QStringLiteral("readFile"), Props {{"path", path}, {"type", type}}, kReadEvents));
    QCOMPARE(flow.run(), QStringLiteral("finished"));
    QVERIFY(trace.has("fileStates", QStringLiteral("Open file: ") + path));
    auto* content = qobject_cast<CFileContent*>(flow.state()->objectProperty("content"));
    QVERIFY(content);
    QCOMPARE(content->fileName(), path);
    QCOMPARE(content->property("fileName").toString(), path);
    QCOMPARE(content->objectName(), path);
    if (binary) {
        QCOMPARE(content->data(), bytes);
        QVERIFY(content->text().isEmpty());
    } else {
        QCOMPARE(content->text(), text);
        QVERIFY(content->data().isEmpty());
    }
}

void tst_FileStates::readFileFailures()
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
    QStringList unreadable {m_dir.path()};
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

void tst_FileStates::readTextFile_data()
{
    QTest::addColumn<QString>("codec"); // null: no "codec" property
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("default is utf-8") << QString() << QByteArray("\xe2\x82\xac 5") << QString::fromUtf8("\xe2\x82\xac 5");
    QTest::newRow("latin-9") << "ISO 8859-15" << QByteArray("\xa4 5") << QString::fromUtf8("\xe2\x82\xac 5");
    QTest::newRow("code page 850") << "IBM 850" << QByteArray("\x81" "ber") << QString::fromUtf8("\xc3\xbc" "ber");
    QTest::newRow("unknown codec uses default") << "no-such-codec" << QByteArray("\xc3\xa9t\xc3\xa9")
                                                << QString::fromUtf8("\xc3\xa9t\xc3\xa9");
}

void tst_FileStates::readTextFile()
{
    QFETCH(QString, codec);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString path = m_dir.filePath(QStringLiteral("text.txt"));
    QVERIFY(writeBytes(path, bytes));
    Props props {{"path", path}};
    if (!codec.isNull())
        props.insert(QStringLiteral("codec"), codec);
    Flow flow(singleStateFlow(QStringLiteral("readTextFile"), props, kReadEvents));
    QCOMPARE(flow.run(), QStringLiteral("finished"));
    QCOMPARE(flow.state()->property("content").toString(), text);
}

void tst_FileStates::writeFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("binary") << QString() << allBytes() << allBytes();
    QTest::newRow("text wins over data") << QString::fromUtf8("\xc3\xa4") << QByteArray("ignored")
                                         << QByteArray("\xc3\xa4");
    QTest::newRow("both empty empties the file") << QString() << QByteArray() << QByteArray();
}

void tst_FileStates::writeFile()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, written);
    const QString path = m_dir.filePath(QStringLiteral("written.dat"));
    QVERIFY(writeBytes(path, QByteArray(4096, 'x')));
    Flow flow(singleStateFlow(QStringLiteral("writeFile"), Props {{"path", path}}, kWriteEvents));
    auto* content = new CFileContent(QStringLiteral("elsewhere"));
    content->setText(text);
    content->setData(data);
    flow.state()->setObjectProperty("content", content);
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
    TraceLines trace;
    const QString exit = flow.run();
    QVERIFY2(exit == QLatin1String("done"), qPrintable(trace.all()));
    QCOMPARE(readBytes(to), allBytes());
}

void tst_FileStates::writeTextFile_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("default utf-8") << QString() << QString::fromUtf8("\xe2\x82\xac") << QByteArray("\xe2\x82\xac");
    QTest::newRow("latin-9") << "ISO 8859-15" << QString::fromUtf8("\xe2\x82\xac") << QByteArray("\xa4");
    QTest::newRow("unknown codec") << "no-such-codec" << QStringLiteral("x") << QByteArray("x");
    QTest::newRow("empty content") << QString() << QString() << QByteArray();
}

void tst_FileStates::writeTextFile()
{
    QFETCH(QString, codec);
    QFETCH(QString, content);
    QFETCH(QByteArray, written);
    const QString path = m_dir.filePath(QStringLiteral("text-out.txt"));
    QVERIFY(writeBytes(path, QByteArray(100, 'o')));
    Props props {{"path", path}, {"content", content}};
    if (!codec.isNull())
        props.insert(QStringLiteral("codec"), codec);
    Flow flow(singleStateFlow(QStringLiteral("writeTextFile"), props, kWriteEvents));
    QCOMPARE(flow.run(), QStringLiteral("finished"));
    QCOMPARE(readBytes(path), written);
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
}

void tst_FileStates::writesThatDoNotReachTheDiskFail()
{
    QFETCH(QString, type);
    QFETCH(QString, path);
    QFETCH(QString, trace);
    path.replace(QLatin1String("%DIR%"), m_dir.path());
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

void tst_FileStates::contentClone()
{
    CFileContent original(QStringLiteral("/x/y"));
    original.setText(QStringLiteral("t"));
    original.setData("d");
    original.setProperty("extra", 5);
    std::unique_ptr<CPropertyObject> copy(original.clone());
    auto* content = qobject_cast<CFileContent*>(copy.get());
    QVERIFY(content);
    QCOMPARE(content->fileName(), QStringLiteral("/x/y"));
    QCOMPARE(content->objectName(), QStringLiteral("/x/y"));
    QCOMPARE(content->text(), QStringLiteral("t"));
    QCOMPARE(content->data(), QByteArray("d"));
    QCOMPARE(content->property("extra").toInt(), 5);
    QVERIFY(!content->setProperty("fileName", QStringLiteral("other")));
}

QTEST_GUILESS_MAIN(tst_FileStates)
#include "tst_filestates.moc"
