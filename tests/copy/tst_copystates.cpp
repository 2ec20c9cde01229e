// SPDX-License-Identifier: MIT
// Each copy, remove and count state type, run by the engine from a definition file.
#include "actions/action.h"
#include "copyflow.h"
#include "copytestutil.h"

#include <QTemporaryDir>

#include <sys/stat.h>

using namespace CopyTest;

namespace {

using Properties = QMap<QString, QString>;

Properties substituted(Properties properties, const QString& src, const QString& dest)
{
    for (QString& value : properties) {
        value.replace(QLatin1String("{SRC}"), src);
        value.replace(QLatin1String("{DEST}"), dest);
    }
    return properties;
}

// Source files shared by the copy rows; the content of each differs.
const char* const kSourceFiles[] = {"a.txt", "b.txt", "c.bin", ".hidden.txt", "one/x.txt", "two/y.txt", "two/z.dat",
                                    ".git/config", "deep/er/still/w.txt"};

void makeSources(const QString& root)
{
    int seed = 0;
    for (const char* name : kSourceFiles) {
        ++seed;
        QVERIFY(writeFile(root + QLatin1Char('/') + QLatin1String(name), 1000 + seed * 37, seed));
    }
}

} // namespace

class tst_CopyStates : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void copyFiles_data();
    void copyFiles();
    void copyDir_data();
    void copyDir();
    void removeFiles_data();
    void removeFiles();
    void countFiles_data();
    void countFiles();
};

void tst_CopyStates::copyFiles_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<Properties>("properties");
    QTest::addColumn<QString>("exit");
    // Each file expected in the destination as "destination<-source", relative paths.
    QTest::addColumn<QStringList>("expected");

    const Properties base {{"srcDir", "{SRC}"}, {"destDir", "{DEST}"}};
    auto with = [&base](Properties extra) {
        extra.insert(base);
        return extra;
    };
    QTest::newRow("mask into new folders") << "copyFiles" << with({{"copyFile1", "%SRC%/*.txt::%DEST%/sub/deeper"}})
                                           << "success"
                                           << QStringList {"sub/deeper/.hidden.txt<-.hidden.txt",
                                                           "sub/deeper/a.txt<-a.txt", "sub/deeper/b.txt<-b.txt"};
    QTest::newRow("source folder with a trailing slash")
        << "copyFiles"
        << Properties {{"srcDir", "{SRC}/"}, {"destDir", "{DEST}"}, {"copyFile1", "%SRC%/c.*::%DEST%"}} << "success"
        << QStringList {"c.bin<-c.bin"};
    QTest::newRow("two source folders") << "copyFiles" << with({{"copyFile1", "%SRC%/one|%SRC%/two/*.txt::%DEST%"}})
                                        << "success" << QStringList {"x.txt<-one/x.txt", "y.txt<-two/y.txt"};
    QTest::newRow("a gap ends the list")
        << "copyFiles" << with({{"copyFile1", "%SRC%/a.txt::%DEST%"}, {"copyFile3", "%SRC%/b.txt::%DEST%"}})
        << "success" << QStringList {"a.txt<-a.txt"};
    QTest::newRow("malformed entries are skipped")
        << "copyFiles"
        << with({{"copyFile1", "%SRC%/a.txt"},
                 {"copyFile2", "::%DEST%"},
                 {"copyFile3", "%SRC%/b.txt::"},
                 {"copyFile4", "%SRC%/c.bin::%DEST%"}})
        << "success" << QStringList {"c.bin<-c.bin"};
    QTest::newRow("a missing source folder only warns")
        << "copyFiles" << with({{"copyFile1", "%SRC%/none/*.txt::%DEST%"}, {"copyFile2", "%SRC%/a.txt::%DEST%"}})
        << "success" << QStringList {"a.txt<-a.txt"};
    QTest::newRow("no entries") << "copyFiles" << base << "success" << QStringList {};
    QTest::newRow("destination folder cannot be created")
        << "copyFiles" << with({{"copyFile1", "%SRC%/b.txt::%SRC%/a.txt/sub"}}) << "failed" << QStringList {};

    QTest::newRow("rename") << "copyRenameFiles" << with({{"copyFile1", "%SRC%/a.txt::%DEST%/new name.txt"}})
                            << "success" << QStringList {"new name.txt<-a.txt"};
    QTest::newRow("rename into new folders")
        << "copyRenameFiles" << with({{"copyFile1", "%SRC%/one/x.txt::%DEST%/n/m/x2.txt"}}) << "success"
        << QStringList {"n/m/x2.txt<-one/x.txt"};
    QTest::newRow("rename, later source wins")
        << "copyRenameFiles" << with({{"copyFile1", "%SRC%/a.txt|%SRC%/b.txt::%DEST%/one.txt"}}) << "success"
        << QStringList {"one.txt<-b.txt"};
    QTest::newRow("rename of a missing source fails")
        << "copyRenameFiles"
        << with({{"copyFile1", "%SRC%/nope.txt::%DEST%/x.txt"}, {"copyFile2", "%SRC%/a.txt::%DEST%/a.txt"}})
        << "failed" << QStringList {};
}

void tst_CopyStates::copyFiles()
{
    QFETCH(QString, type);
    QFETCH(Properties, properties);
    QFETCH(QString, exit);
    QFETCH(QStringList, expected);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString dest = tmp.filePath(QStringLiteral("dest"));
    makeSources(src);

    Flow flow(singleStateFlow(type, substituted(properties, src, dest), {"success", "failed"}));
    QVERIFY(flow.fsm());
    QVERIFY2(flow.fsm()->errors().isEmpty(), qPrintable(flow.fsm()->errors()));
    auto* state = qobject_cast<CActionState*>(flow.state());
    QVERIFY(state);
    QSignalSpy progress(state->action(), &CAction::actionProgress);
    QCOMPARE(flow.run(), exit);

    QStringList destinations;
    for (const QString& pair : expected) {
        const QString to = pair.section(QStringLiteral("<-"), 0, 0);
        destinations << to;
        QVERIFY2(sameContent(dest + QLatin1Char('/') + to, src + QLatin1Char('/') + pair.section(QStringLiteral("<-"), 1)),
                 qPrintable(pair));
    }
    destinations.sort();
    QCOMPARE(filesBelow(dest), destinations);
    if (exit == QLatin1String("success") && !expected.isEmpty()) {
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toInt(), progress.last().at(1).toInt());
    }
}

void tst_CopyStates::copyDir_data()
{
    QTest::addColumn<QString>("srcDir");
    QTest::addColumn<QString>("destDir");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QString>("errorString");
    QTest::addColumn<QStringList>("expected");

    const QStringList tree {".hidden.txt", "a.txt", "b.txt", "c.bin", "deep/er/still/w.txt", "one/x.txt", "two/y.txt",
                            "two/z.dat"};
    QTest::newRow("whole tree, dot folders left out") << "{SRC}" << "{DEST}/copy" << "success" << "" << tree;
    QTest::newRow("macro in the source") << "%TEMP%/src" << "{DEST}" << "success" << "" << tree;
    QTest::newRow("destination inside the source") << "{SRC}" << "{SRC}/two/copy" << "success" << "" << tree;
    QTest::newRow("missing source") << "{SRC}/none" << "{DEST}" << "failed" << "" << QStringList {};
    QTest::newRow("destination cannot be created") << "{SRC}/one" << "{SRC}/a.txt/x" << "failed"
                                                   << "Failed creating directory {SRC}/a.txt/x\n" << QStringList {};
}

void tst_CopyStates::copyDir()
{
    QFETCH(QString, srcDir);
    QFETCH(QString, destDir);
    QFETCH(QString, exit);
    QFETCH(QString, errorString);
    QFETCH(QStringList, expected);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString dest = tmp.filePath(QStringLiteral("dest"));
    makeSources(src);
    qputenv("TEMP", QFile::encodeName(tmp.path()));

    const Properties properties = substituted({{"srcDir", srcDir}, {"destDir", destDir}}, src, dest);
    Flow flow(singleStateFlow(QStringLiteral("copyDir"), properties, {"success", "failed"}));
    QVERIFY(flow.fsm());
    auto* state = qobject_cast<CActionState*>(flow.state());
    QVERIFY(state);
    QSignalSpy progress(state->action(), &CAction::actionProgress);
    QCOMPARE(flow.run(), exit);
    QCOMPARE(state->property("errorString").toString(), substituted({{"e", errorString}}, src, dest).value("e"));

    const QString copyRoot = properties.value("destDir").replace(QLatin1String("%TEMP%"), tmp.path());
    QCOMPARE(filesBelow(copyRoot), expected);
    for (const QString& file : expected)
        QVERIFY2(sameContent(copyRoot + QLatin1Char('/') + file, src + QLatin1Char('/') + file), qPrintable(file));
    if (!expected.isEmpty()) {
        // Progress counts files, and the count must match what is copied to reach the end.
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toInt(), int(expected.size()));
        QCOMPARE(progress.last().at(1).toInt(), int(expected.size()));
    }
}

void tst_CopyStates::removeFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileFilter");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QStringList>("remaining");

    QTest::newRow("matching files and folders, read-only ones too")
        << "{ROOT}" << "*.tmp" << "success" << QStringList {"keep.txt", "keepdir/inner.tmp"};
    QTest::newRow("everything") << "{ROOT}" << "*" << "success" << QStringList {};
    QTest::newRow("several patterns") << "{ROOT}" << "keep.txt;*.TMP" << "success" << QStringList {"keepdir/inner.tmp"};
    QTest::newRow("missing folder") << "{ROOT}/none" << "*" << "notFound"
                                    << QStringList {".hidden.tmp", "a.tmp", "keep.txt", "keepdir/inner.tmp",
                                                    "readonly.tmp", "sub.tmp/.dot", "sub.tmp/deeper/ro",
                                                    "sub.tmp/inner.txt"};
}

void tst_CopyStates::removeFiles()
{
    QFETCH(QString, path);
    QFETCH(QString, fileFilter);
    QFETCH(QString, exit);
    QFETCH(QStringList, remaining);
    QTemporaryDir tmp;
    const QString root = tmp.filePath(QStringLiteral("root"));
    for (const char* name : {"keep.txt", "a.tmp", ".hidden.tmp", "readonly.tmp", "keepdir/inner.tmp", "sub.tmp/inner.txt",
                             "sub.tmp/.dot", "sub.tmp/deeper/ro"})
        QVERIFY(writeFile(root + QLatin1Char('/') + QLatin1String(name), 10));
    for (const char* name : {"readonly.tmp", "sub.tmp/deeper/ro"})
        QVERIFY(QFile::setPermissions(root + QLatin1Char('/') + QLatin1String(name), QFileDevice::ReadOwner));

    path.replace(QLatin1String("{ROOT}"), root);
    Flow flow(singleStateFlow(QStringLiteral("removeFiles"), {{"path", path}, {"fileFilter", fileFilter}},
                              {"success", "notFound", "failed"}));
    QVERIFY(flow.fsm());
    QCOMPARE(flow.run(), exit);
    QCOMPARE(filesBelow(root), remaining);
    QVERIFY(QFileInfo(root).isDir());
}

void tst_CopyStates::countFiles_data()
{
    QTest::addColumn<Properties>("properties");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QStringList>("names"); // expected "fileList" without the folder

    QTest::newRow("one match") << Properties {{"fileFilter", "c.log"}} << "singleFileFound" << QStringList {"c.log"};
    QTest::newRow("none") << Properties {{"fileFilter", "*.none"}} << "noFilesFound" << QStringList {};
    QTest::newRow("several, folders too, no hidden")
        << Properties {{"fileFilter", "*.txt"}} << "multipleFilesFound" << QStringList {"a.txt", "B.txt", "dir.txt"};
    QTest::newRow("everything, without . and ..")
        << Properties {{"fileFilter", "*"}} << "multipleFilesFound" << QStringList {"a.txt", "B.txt", "c.log", "dir.txt"};
    QTest::newRow("files and hidden") << Properties {{"fileFilter", "*.txt"}, {"filter", "files|hidden"}}
                                      << "multipleFilesFound" << QStringList {".hidden.txt", "a.txt", "B.txt"};
    QTest::newRow("a part that is no keyword adds nothing")
        << Properties {{"fileFilter", "*.txt"}, {"filter", "bogus|files||"}} << "multipleFilesFound"
        << QStringList {"a.txt", "B.txt"};
    QTest::newRow("keywords are case-sensitive")
        << Properties {{"fileFilter", "*.txt"}, {"filter", "Files|dirs"}} << "singleFileFound" << QStringList {"dir.txt"};
    QTest::newRow("sorted by name, reversed")
        << Properties {{"fileFilter", "*.txt"}, {"sort", "name|reversed|ignorecase"}} << "multipleFilesFound"
        << QStringList {"dir.txt", "B.txt", "a.txt"};
    QTest::newRow("missing folder") << Properties {{"fileFilter", "*"}, {"path", "{ROOT}/none"}} << "noFilesFound"
                                    << QStringList {};
}

void tst_CopyStates::countFiles()
{
    QFETCH(Properties, properties);
    QFETCH(QString, exit);
    QFETCH(QStringList, names);
    QTemporaryDir tmp;
    const QString root = tmp.filePath(QStringLiteral("root"));
    for (const char* name : {"a.txt", "B.txt", "c.log", ".hidden.txt", "dir.txt/inside.txt"})
        QVERIFY(writeFile(root + QLatin1Char('/') + QLatin1String(name), 10));
    QString path = properties.value(QStringLiteral("path"), root);
    properties.insert(QStringLiteral("path"), path.replace(QLatin1String("{ROOT}"), root));

    Flow flow(singleStateFlow(QStringLiteral("countFiles"), properties,
                              {"noFilesFound", "singleFileFound", "multipleFilesFound"}));
    QVERIFY(flow.fsm());
    QCOMPARE(flow.run(), exit);
    CState* state = flow.state();
    QStringList expected;
    for (const QString& name : names)
        expected << root + QLatin1Char('/') + name;
    QCOMPARE(state->property("fileList").toStringList(), expected);
    QCOMPARE(state->property("fileCount").toInt(), int(expected.size()));
    if (expected.size() == 1)
        QCOMPARE(state->property("fileName").toString(), expected.first());
}

QTEST_GUILESS_MAIN(tst_CopyStates)
#include "tst_copystates.moc"
