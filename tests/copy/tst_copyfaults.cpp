// SPDX-License-Identifier: MIT
// Real faults under the copy and remove states: a destination that fills up or cannot be
// written, a source that vanishes, files that cannot be removed, a state left mid-copy.
#include "copyflow.h"
#include "copytestutil.h"
#include "scratchmount.h"
#include "system/copyfilesaction.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace CopyTest;

namespace {

// Three files around one that cannot fit on a 1 MiB file system.
void makeSourcesAroundBigOne(const QString& src)
{
    QVERIFY(writeFile(src + QStringLiteral("/1.bin"), 100 << 10, 1));
    QVERIFY(writeFile(src + QStringLiteral("/2.bin"), 3 << 20, 2));
    QVERIFY(writeFile(src + QStringLiteral("/3.bin"), 10 << 10, 3));
}

// Sets or clears the immutable flag, which keeps even root from removing the file.
bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

class tst_CopyFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fullDestination_data();
    void fullDestination();
    void readOnlyDestination_data();
    void readOnlyDestination();
    void sourceRemovedAfterListWasBuilt();
    void fileThatCannotBeRemoved();
    void stateLeftWhileCopying_data();
    void stateLeftWhileCopying();
};

void tst_CopyFaults::fullDestination_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("copied");
    QTest::addColumn<QString>("errorString");

    // copyFiles stops at the fatal code; copyDir goes on with the next file.
    QTest::newRow("copyFiles") << "copyFiles" << QStringList {"1.bin"} << "";
    QTest::newRow("copyDir") << "copyDir" << QStringList {"1.bin", "3.bin"}
                             << "Failed copying file {SRC}/2.bin. Errorcode: 7\n";
}

void tst_CopyFaults::fullDestination()
{
    QFETCH(QString, type);
    QFETCH(QStringList, copied);
    QFETCH(QString, errorString);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString dest = tmp.filePath(QStringLiteral("small"));
    SCRATCH_MOUNT_OR_SKIP(small, dest, "size=1m", false);
    makeSourcesAroundBigOne(src);

    TraceLines trace;
    Flow flow(singleStateFlow(type,
                              {{"srcDir", src}, {"destDir", dest}, {"copyFile1", QStringLiteral("%SRC%/*.bin::%DEST%")}},
                              {"success", "failed"}));
    QCOMPARE(flow.run(), QStringLiteral("failed"));
    QCOMPARE(filesBelow(dest), copied);
    for (const QString& file : copied)
        QVERIFY(sameContent(dest + QLatin1Char('/') + file, src + QLatin1Char('/') + file));
    if (type == QLatin1String("copyFiles"))
        QVERIFY(trace.contains(QStringLiteral("[actioncopyfiles     ]  Fatal error: 7")));
    QCOMPARE(flow.state()->property("errorString").toString(), errorString.replace(QLatin1String("{SRC}"), src));
}

void tst_CopyFaults::readOnlyDestination_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("subfolder"); // below the read-only mount
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QString>("errorString");
    QTest::addColumn<QString>("traced");

    QTest::newRow("copyFiles skips the files") << "copyFiles" << "" << "success" << ""
                                               << "[actioncopyfiles     ]  Non-fatal error: access denied.";
    QTest::newRow("copyFiles cannot create the folder")
        << "copyFiles" << "/sub" << "failed" << "" << "[actioncopyfiles     ]Copying from";
    QTest::newRow("copyDir reports each file")
        << "copyDir" << "" << "failed"
        << "Failed copying file {SRC}/1.bin. Errorcode: 1\nFailed copying file {SRC}/2.bin. Errorcode: 1\n"
        << "[actionCopyRecursive ]! failed !";
    QTest::newRow("copyDir cannot create the folder")
        << "copyDir" << "/sub" << "failed" << "Failed creating directory {DEST}/sub\n"
        << "[actionCopyRecursive ]! failed creating directory {DEST}/sub";
}

void tst_CopyFaults::readOnlyDestination()
{
    QFETCH(QString, type);
    QFETCH(QString, subfolder);
    QFETCH(QString, exit);
    QFETCH(QString, errorString);
    QFETCH(QString, traced);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString mountPoint = tmp.filePath(QStringLiteral("ro"));
    SCRATCH_MOUNT_OR_SKIP(ro, mountPoint, "size=64k", true);
    QVERIFY(writeFile(src + QStringLiteral("/1.bin"), 1000, 1));
    QVERIFY(writeFile(src + QStringLiteral("/2.bin"), 1000, 2));
    const QString dest = mountPoint + subfolder;

    TraceLines trace;
    Flow flow(singleStateFlow(type,
                              {{"srcDir", src}, {"destDir", dest}, {"copyFile1", QStringLiteral("%SRC%/*.bin::%DEST%")}},
                              {"success", "failed"}));
    QCOMPARE(flow.run(), exit);
    auto expand = [&](QString text) {
        return text.replace(QLatin1String("{SRC}"), src).replace(QLatin1String("{DEST}"), mountPoint);
    };
    QCOMPARE(flow.state()->property("errorString").toString(), expand(errorString));
    // A folder that cannot be created ends copyFiles before any file is tried.
    QCOMPARE(trace.contains(expand(traced)), !(type == QLatin1String("copyFiles") && !subfolder.isEmpty()));
    QCOMPARE(filesBelow(mountPoint), QStringList());
}

void tst_CopyFaults::sourceRemovedAfterListWasBuilt()
{
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString dest = tmp.filePath(QStringLiteral("dest"));
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        QVERIFY(writeFile(src + QLatin1Char('/') + QLatin1String(name), 100));
    SingleState single("copyFiles");
    CState* state = single.state();
    state->setProperty("srcDir", src);
    state->setProperty("destDir", dest);
    state->setProperty("copyFile1", QStringLiteral("%SRC%/*.txt::%DEST%"));
    auto* action = qobject_cast<CActionCopyFiles*>(single.action());
    QVERIFY(action);

    TraceLines trace;
    action->reset();
    QCOMPARE(action->copyList().size(), 3);
    QVERIFY(QFile::remove(src + QStringLiteral("/b.txt")));
    QSignalSpy finished(action, &CAction::actionFinished);
    action->start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().toInt(), 3);
    QCOMPARE(action->finishEvent(), QStringLiteral("failed"));
    QVERIFY(trace.contains(QStringLiteral("[actioncopyfiles     ]  Fatal error: 3")));
    QCOMPARE(filesBelow(dest), QStringList {"a.txt"});
}

void tst_CopyFaults::fileThatCannotBeRemoved()
{
    QTemporaryDir tmp;
    const QString root = tmp.filePath(QStringLiteral("root"));
    const QString stuck = root + QStringLiteral("/sub/stuck.tmp");
    QVERIFY(writeFile(stuck, 10));
    QVERIFY(writeFile(root + QStringLiteral("/a.tmp"), 10));
    if (!setImmutable(stuck, true))
        QSKIP("cannot make a file immutable here (needs root and a file system with the immutable flag)");
    struct Unstick {
        QString path;
        ~Unstick() { setImmutable(path, false); }
    } unstick {stuck};

    TraceLines trace;
    Flow flow(singleStateFlow(QStringLiteral("removeFiles"), {{"path", root}, {"fileFilter", "*"}},
                              {"success", "notFound", "failed"}));
    QCOMPARE(flow.run(), QStringLiteral("failed"));
    QCOMPARE(filesBelow(root), QStringList {"sub/stuck.tmp"});
    QVERIFY(trace.contains(stuck + QStringLiteral(" not deleted!")));
    QVERIFY(trace.contains(root + QStringLiteral("/sub not deleted!")));
    QVERIFY(trace.contains(QStringLiteral("[fileStates          ]--- State s: actionFinished - result = 3")));
}

void tst_CopyFaults::stateLeftWhileCopying_data()
{
    QTest::addColumn<QString>("type");
    QTest::newRow("copyFiles") << "copyFiles";
    QTest::newRow("copyDir") << "copyDir";
}

// Leaving aborts the job: it stops soon, leaves no half-written file, and nothing it still
// reports reaches the state, also when the state is entered again while the job winds down.
void tst_CopyFaults::stateLeftWhileCopying()
{
    QFETCH(QString, type);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString dest = tmp.filePath(QStringLiteral("dest"));
    constexpr int files = 48;
    for (int i = 0; i < files; ++i)
        QVERIFY(writeFile(src + QStringLiteral("/f%1.bin").arg(i, 2, 10, QLatin1Char('0')), 4 << 20, i));

    SingleState single(type.toLatin1().constData());
    CState* state = single.state();
    state->setProperty("srcDir", src);
    state->setProperty("destDir", dest);
    state->setProperty("copyFile1", QStringLiteral("%SRC%/*.bin::%DEST%"));
    CAction* action = single.action();

    QSignalSpy finished(state, &CState::finished);
    QSignalSpy progress(state, &CState::progress);
    bool leftWhileBusy = false;
    // Leave on the first progress, from inside its delivery, while the job is under way.
    QMetaObject::Connection once = connect(state, &CState::progress, this, [&] {
        QObject::disconnect(once);
        leftWhileBusy = action->isBusy();
        state->leave();
    });
    state->enter();
    QVERIFY(progress.wait(20000));
    QTRY_VERIFY_WITH_TIMEOUT(!action->isBusy(), 20000);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
    QCOMPARE(progress.count(), 1);
    if (!leftWhileBusy)
        QSKIP("the copy ended before the state could be left");
    const QStringList copied = filesBelow(dest);
    QVERIFY2(copied.size() < files, "the job went on after the state was left");
    for (const QString& file : copied)
        QVERIFY2(sameContent(dest + QLatin1Char('/') + file, src + QLatin1Char('/') + file), qPrintable(file));

    // Entered again and left at once while that job winds down, then entered for good: only
    // the last entry reports, once, and it copies everything.
    progress.clear();
    state->enter();
    QTRY_VERIFY(action->isBusy());
    state->leave();
    state->enter();
    QVERIFY(finished.wait(60000));
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(state->leaveEvent(), QStringLiteral("success"));
    QCOMPARE(filesBelow(dest).size(), files);
}

QTEST_GUILESS_MAIN(tst_CopyFaults)
#include "tst_copyfaults.moc"
