// SPDX-License-Identifier: MIT
// The copy and remove actions on their own: folder creation, list building, links, and what
// a second entry of a state starts from.
#include "copyflow.h"
#include "copytestutil.h"
#include "system/copyfilesaction.h"
#include "system/copyrecursiveaction.h"
#include "system/countfilesstate.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace CopyTest;

namespace {

// The text of a link as stored, or "(no link)".
QString linkText(const QString& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof(buffer));
    return n < 0 ? QStringLiteral("(no link)") : QFile::decodeName(QByteArray(buffer, int(n)));
}

} // namespace

class tst_CopyActions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keywords_data();
    void keywords();
    void eachEntryStartsFresh_data();
    void eachEntryStartsFresh();
    void copyDirFailuresAreNotCarriedOver();
    void countFilesDoesNotKeepEarlierCounts();
    void linksInTheTree_data();
    void linksInTheTree();
    void permissionBits_data();
    void permissionBits();
    void systemEntriesAreNotCopied_data();
    void systemEntriesAreNotCopied();
    void removalStaysInsideTheTree();
};

void tst_CopyActions::keywords_data()
{
    QTest::addColumn<bool>("sort");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("bits");

    // Repeated parts or-ed once; Qt moved some bits since scripts were written (locale-aware
    // sorting used to be 0x20, which now means directories last).
    QTest::newRow("filter, repeated and empty parts") << false << "|dirs||dirs|" << int(QDir::Dirs);
    QTest::newRow("filter, no keyword at all") << false << "Files|file| files" << 0;
    QTest::newRow("sort, locale aware by meaning") << true << "localeaware" << int(QDir::LocaleAware);
}

void tst_CopyActions::keywords()
{
    QFETCH(bool, sort);
    QFETCH(QString, value);
    QFETCH(int, bits);
    const int got = sort ? int(CCountFilesState::sortFromKeywords(value)) : int(CCountFilesState::filterFromKeywords(value));
    QCOMPARE(got, bits);
}

void tst_CopyActions::eachEntryStartsFresh_data()
{
    QTest::addColumn<QString>("type");
    QTest::newRow("copyFiles") << "copyFiles";
    QTest::newRow("copyRenameFiles") << "copyRenameFiles";
}

// A second entry copies the list of its own entry once, numbered from 1, with progress from 0.
void tst_CopyActions::eachEntryStartsFresh()
{
    QFETCH(QString, type);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        QVERIFY(writeFile(src + QLatin1Char('/') + QLatin1String(name), 100));
    SingleState harness(type.toLatin1().constData());
    harness.state()->setProperty("srcDir", src);
    harness.state()->setProperty("destDir", tmp.filePath(QStringLiteral("dest")));
    harness.state()->setProperty("copyFile1", type == QLatin1String("copyFiles")
                                                  ? QStringLiteral("%SRC%/*.txt::%DEST%")
                                                  : QStringLiteral("%SRC%/a.txt|%SRC%/b.txt|%SRC%/c.txt::%DEST%/x"));
    auto* action = qobject_cast<CActionCopyFiles*>(harness.action());
    QVERIFY(action);

    for (int entry = 1; entry <= 2; ++entry) {
        TraceLines trace;
        QSignalSpy progress(action, &CAction::actionProgress);
        QCOMPARE(harness.run(), QStringLiteral("success"));
        QVERIFY(trace.contains(QStringLiteral("Add file #1 to list.")));
        QVERIFY(!trace.contains(QStringLiteral("Add file #4 ")));
        QCOMPARE(progress.count(), 3);
        QCOMPARE(progress.first(), (QVariantList {1, 3}));
        QCOMPARE(progress.last(), (QVariantList {3, 3}));
    }
}

void tst_CopyActions::copyDirFailuresAreNotCarriedOver()
{
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString dest = tmp.filePath(QStringLiteral("dest"));
    QVERIFY(writeFile(src + QStringLiteral("/a.txt"), 100));
    QVERIFY(writeFile(dest, 1)); // a file where the folder should go
    SingleState harness("copyDir");
    harness.state()->setProperty("srcDir", src);
    harness.state()->setProperty("destDir", dest);

    QCOMPARE(harness.run(), QStringLiteral("failed"));
    QCOMPARE(harness.state()->property("errorString").toString(), QStringLiteral("Failed creating directory %1\n").arg(dest));
    QVERIFY(QFile::remove(dest));
    QCOMPARE(harness.run(), QStringLiteral("success"));
    QCOMPARE(harness.state()->property("errorString").toString(), QString());
    QCOMPARE(filesBelow(dest), QStringList {"a.txt"});
}

void tst_CopyActions::countFilesDoesNotKeepEarlierCounts()
{
    QTemporaryDir tmp;
    for (const char* name : {"a.txt", "b.txt"})
        QVERIFY(writeFile(tmp.filePath(QLatin1String(name)), 1));
    SingleState harness("countFiles");
    harness.state()->setProperty("fileFilter", QStringLiteral("*.txt"));
    harness.state()->setProperty("path", tmp.path());
    QCOMPARE(harness.run(), QStringLiteral("multipleFilesFound"));
    QCOMPARE(harness.state()->property("fileCount").toInt(), 2);

    harness.state()->setProperty("path", tmp.filePath(QStringLiteral("gone")));
    QCOMPARE(harness.run(), QStringLiteral("noFilesFound"));
    QCOMPARE(harness.state()->property("fileCount").toInt(), 0);
    QCOMPARE(harness.state()->property("fileList").toStringList(), QStringList());
}

void tst_CopyActions::linksInTheTree_data()
{
    QTest::addColumn<QString>("link"); // {OUT} stands for a folder beside the tree
    QTest::newRow("back up the tree") << "..";
    QTest::newRow("folder outside") << "{OUT}";
    QTest::newRow("broken") << "{OUT}/nowhere";
    QTest::newRow("pipe") << "{OUT}/pipe";
}

// A tree copy reproduces a link as a link with the same text, wherever it points: following
// one that leads out of the tree would copy (or later delete) what the tree does not hold.
void tst_CopyActions::linksInTheTree()
{
    QFETCH(QString, link);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString outside = tmp.filePath(QStringLiteral("outside"));
    const QString dest = tmp.filePath(QStringLiteral("dest"));
    QVERIFY(writeFile(src + QStringLiteral("/a.txt"), 10));
    QVERIFY(writeFile(outside + QStringLiteral("/o.txt"), 10));
    QCOMPARE(::mkfifo(QFile::encodeName(outside + QStringLiteral("/pipe")).constData(), 0600), 0);
    const QString text = QString(link).replace(QLatin1String("{OUT}"), outside);
    QVERIFY(QDir().mkpath(src + QStringLiteral("/sub")));
    QCOMPARE(::symlink(QFile::encodeName(text).constData(), QFile::encodeName(src + QStringLiteral("/sub/l")).constData()), 0);

    SingleState harness("copyDir");
    harness.state()->setProperty("srcDir", src);
    harness.state()->setProperty("destDir", dest);
    QSignalSpy progress(harness.action(), &CAction::actionProgress);
    QCOMPARE(harness.run(5000), QStringLiteral("success"));
    QCOMPARE(linkText(dest + QStringLiteral("/sub/l")), text);
    QCOMPARE(progress.last(), (QVariantList {2, 2}));
    QCOMPARE(static_cast<CActionCopyRecursive*>(harness.action())->countAll(src), 2);

    // A second copy replaces the link it made.
    QCOMPARE(harness.run(5000), QStringLiteral("success"));
    QCOMPARE(linkText(dest + QStringLiteral("/sub/l")), text);
}

void tst_CopyActions::permissionBits_data()
{
    QTest::addColumn<uint>("mode");
    QTest::addColumn<uint>("umask");
    QTest::newRow("script") << 0755u << 022u;
    QTest::newRow("umask takes group and other") << 0775u << 077u;
    QTest::newRow("read-only") << 0444u << 022u;
}

// New files and folders take the source's permission bits less the umask, as cp -r does; a
// read-only folder still receives its files.
void tst_CopyActions::permissionBits()
{
    QFETCH(uint, mode);
    QFETCH(uint, umask);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString dest = tmp.filePath(QStringLiteral("dest"));
    QVERIFY(writeFile(src + QStringLiteral("/dir/f"), 10));
    const QByteArray file = QFile::encodeName(src + QStringLiteral("/dir/f"));
    const QByteArray dir = QFile::encodeName(src + QStringLiteral("/dir"));
    QCOMPARE(::chmod(file.constData(), mode), 0);
    QCOMPARE(::chmod(dir.constData(), mode | 0500), 0);
    const mode_t previous = ::umask(umask);

    SingleState harness("copyDir");
    harness.state()->setProperty("srcDir", src);
    harness.state()->setProperty("destDir", dest);
    const QString event = harness.run(5000);
    ::umask(previous);
    QCOMPARE(event, QStringLiteral("success"));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(dest + QStringLiteral("/dir/f")).constData(), &st), 0);
    QCOMPARE(uint(st.st_mode & 07777), mode & ~umask);
    QCOMPARE(::stat(QFile::encodeName(dest + QStringLiteral("/dir")).constData(), &st), 0);
    QCOMPARE(uint(st.st_mode & 07777), (mode | 0500) & ~umask);
    ::chmod(QFile::encodeName(dest + QStringLiteral("/dir")).constData(), 0700);
    ::chmod(dir.constData(), 0700);
}

void tst_CopyActions::systemEntriesAreNotCopied_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("socket") << "socket";
}

// A tree copy takes files and folders only, like a listing without system entries: a pipe
// would hold the job until someone writes to it, and none of these has content to copy.
void tst_CopyActions::systemEntriesAreNotCopied()
{
    QFETCH(QString, kind);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString dest = tmp.filePath(QStringLiteral("dest"));
    QVERIFY(writeFile(src + QStringLiteral("/a.txt"), 10));
    QVERIFY(writeFile(src + QStringLiteral("/sub/b.txt"), 10));
    const QString special = src + QStringLiteral("/sub/special");
    const QByteArray pipe = QFile::encodeName(tmp.filePath(QStringLiteral("pipe")));
    int socketFd = -1;
    if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(special).constData(), 0600), 0);
    } else if (kind == QLatin1String("socket")) {
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(socketFd >= 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(special);
        QVERIFY(size_t(path.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        QCOMPARE(::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    }

    SingleState harness("copyDir");
    harness.state()->setProperty("srcDir", src);
    harness.state()->setProperty("destDir", dest);
    QSignalSpy progress(harness.action(), &CAction::actionProgress);
    const QString event = harness.run(5000);
    if (event.isEmpty()) {
        // The job waits for a writer of the pipe: give it one, so that the test ends.
        for (const QByteArray& fifo : {QFile::encodeName(special), pipe}) {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    }
    if (socketFd >= 0)
        ::close(socketFd);
    QCOMPARE(event, QStringLiteral("success"));
    QCOMPARE(harness.state()->property("errorString").toString(), QString());
    QCOMPARE(filesBelow(dest), (QStringList {"a.txt", "sub/b.txt"}));
    QCOMPARE(progress.last(), (QVariantList {2, 2}));
}

void tst_CopyActions::removalStaysInsideTheTree()
{
    QTemporaryDir tmp;
    const QString root = tmp.filePath(QStringLiteral("root"));
    const QString outside = tmp.filePath(QStringLiteral("outside"));
    QVERIFY(writeFile(outside + QStringLiteral("/keep.txt"), 10));
    QVERIFY(writeFile(outside + QStringLiteral("/locked.txt"), 10));
    QVERIFY(QFile::setPermissions(outside + QStringLiteral("/locked.txt"), QFileDevice::ReadOwner));
    QVERIFY(writeFile(root + QStringLiteral("/x.tmp"), 10));
    QVERIFY(QFile::link(outside, root + QStringLiteral("/folder.tmp")));
    QVERIFY(QFile::link(outside + QStringLiteral("/locked.txt"), root + QStringLiteral("/locked.tmp")));

    SingleState harness("removeFiles");
    harness.state()->setProperty("path", root);
    harness.state()->setProperty("fileFilter", QStringLiteral("*.tmp"));
    QCOMPARE(harness.run(), QStringLiteral("success"));
    QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(filesBelow(outside), (QStringList {"keep.txt", "locked.txt"}));
    QCOMPARE(QFile::permissions(outside + QStringLiteral("/locked.txt")) & QFileDevice::WriteOwner, QFileDevice::Permissions());
}

QTEST_GUILESS_MAIN(tst_CopyActions)
#include "tst_copyactions.moc"
