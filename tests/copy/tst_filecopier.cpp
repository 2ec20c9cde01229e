// SPDX-License-Identifier: MIT
#include "copytestutil.h"
#include "scratchmount.h"
#include "system/filecopier.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using CopyTest::sameContent;
using CopyTest::writeFile;

namespace {

long statusKib(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Opens a pipe from both ends once a copy has had five seconds, so that a copy waiting for
// the other end returns (with the wrong code) instead of hanging the test.
class PipeWatchdog {
public:
    explicit PipeWatchdog(const QString& path) : m_path(QFile::encodeName(path)), m_thread([this] { run(); }) {}
    ~PipeWatchdog()
    {
        m_done = true;
        m_thread.join();
    }

private:
    void run()
    {
        for (int i = 0; i < 500 && !m_done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (m_done)
            return;
        const int fd = ::open(m_path.constData(), O_RDWR | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }

    const QByteArray m_path;
    std::atomic<bool> m_done {false};
    std::thread m_thread;
};

// Both ways of moving bytes must behave the same, so most tests run once per way.
void addCopyWays()
{
    QTest::addColumn<bool>("kernelCopy");
}

} // namespace

class tst_FileCopier : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void copiesContent_data();
    void copiesContent();
    void failureCodes_data();
    void failureCodes();
    void copyOntoItselfKeepsTheFile_data();
    void copyOntoItselfKeepsTheFile();
    void fullDiskFailsAndLeavesNothing_data();
    void fullDiskFailsAndLeavesNothing();
    void readOnlyDestinationIsNotWritable();
    void stopBetweenChunksRemovesPartialFile_data();
    void stopBetweenChunksRemovesPartialFile();
    void memoryStaysFlat_data();
    void memoryStaysFlat();
};

void tst_FileCopier::copiesContent_data()
{
    QTest::addColumn<bool>("kernelCopy");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("existing"); // size of a destination there before, -1 none

    const struct {
        const char* name;
        qint64 size;
        qint64 existing;
    } rows[] = {
        {"empty", 0, -1},
        {"one byte", 1, -1},
        {"one page", 4096, -1},
        {"buffer and one", CFileCopier::kBufferSize + 1, -1},
        {"two kernel chunks and a tail", 2 * CFileCopier::kKernelChunk + 123, -1},
        {"replaces a longer file", 1000, 70000},
        {"replaces with an empty file", 0, 5000},
    };
    for (bool kernel : {true, false})
        for (const auto& r : rows)
            QTest::addRow("%s, %s", kernel ? "kernel" : "buffer", r.name) << kernel << r.size << r.existing;
}

void tst_FileCopier::copiesContent()
{
    QFETCH(bool, kernelCopy);
    QFETCH(qint64, size);
    QFETCH(qint64, existing);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src.bin"));
    const QString dst = tmp.filePath(QStringLiteral("dst.bin"));
    QVERIFY(writeFile(src, size, 1));
    QVERIFY(::chmod(QFile::encodeName(src).constData(), 0750) == 0);
    if (existing >= 0)
        QVERIFY(writeFile(dst, existing, 2));

    CFileCopier copier;
    copier.setKernelCopyEnabled(kernelCopy);
    qint64 lastDone = 0;
    copier.setChunkProgress([&](qint64 done, qint64 total) {
        QCOMPARE_LE(lastDone, done);
        QCOMPARE(total, size);
        lastDone = done;
    });
    QCOMPARE(copier.copy(src, dst), CFileCopier::Copied);
    QVERIFY(sameContent(src, dst));
    QCOMPARE(lastDone, size);
    // A copied program still runs.
    QVERIFY(QFileInfo(dst).permissions() & QFileDevice::ExeOwner);
}

void tst_FileCopier::failureCodes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<int>("code");

    QTest::newRow("missing source") << "missing.txt" << "out.txt" << int(CFileCopier::SourceMissing);
    QTest::newRow("source under a file") << "plain.txt/x" << "out.txt" << int(CFileCopier::SourceMissing);
    QTest::newRow("source is a folder") << "folder" << "out.txt" << int(CFileCopier::SourceNotReadable);
    QTest::newRow("destination folder missing") << "plain.txt" << "nowhere/out.txt"
                                                << int(CFileCopier::DestinationNotWritable);
    QTest::newRow("destination is a folder") << "plain.txt" << "folder" << int(CFileCopier::DestinationNotWritable);
    QTest::newRow("source is a pipe") << "pipe" << "out.txt" << int(CFileCopier::SourceNotReadable);
    QTest::newRow("destination is a pipe") << "plain.txt" << "pipe" << int(CFileCopier::DestinationNotWritable);
}

void tst_FileCopier::failureCodes()
{
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QFETCH(int, code);
    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("plain.txt")), 10));
    QVERIFY(QDir(tmp.path()).mkdir(QStringLiteral("folder")));
    const QString pipe = tmp.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // A copy that writes into the pipe after the watchdog has gone gets EPIPE, not the signal.
    std::signal(SIGPIPE, SIG_IGN);

    CFileCopier copier;
    int result;
    {
        PipeWatchdog watchdog(pipe);
        result = int(copier.copy(tmp.filePath(source), tmp.filePath(destination)));
    }
    QCOMPARE(result, code);
    QVERIFY(copier.lastError() != 0);
    QVERIFY(!QFileInfo(tmp.filePath(QStringLiteral("out.txt"))).exists());
    QVERIFY(QFileInfo(tmp.filePath(QStringLiteral("folder"))).isDir());
}

void tst_FileCopier::copyOntoItselfKeepsTheFile_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("same path") << false;
    QTest::newRow("link to the source") << true;
}

void tst_FileCopier::copyOntoItselfKeepsTheFile()
{
    QFETCH(bool, throughLink);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("a.bin"));
    const QString reference = tmp.filePath(QStringLiteral("reference.bin"));
    QVERIFY(writeFile(src, 300000, 7));
    QVERIFY(writeFile(reference, 300000, 7));
    QString dst = src;
    if (throughLink) {
        dst = tmp.filePath(QStringLiteral("link.bin"));
        QVERIFY(QFile::link(src, dst));
    }
    CFileCopier copier;
    QCOMPARE(copier.copy(src, dst), CFileCopier::Copied);
    QVERIFY(sameContent(src, reference));
}

void tst_FileCopier::fullDiskFailsAndLeavesNothing_data()
{
    addCopyWays();
    QTest::newRow("kernel") << true;
    QTest::newRow("buffer") << false;
}

void tst_FileCopier::fullDiskFailsAndLeavesNothing()
{
    QFETCH(bool, kernelCopy);
    QTemporaryDir tmp;
    const QString mountPoint = tmp.filePath(QStringLiteral("small"));
    SCRATCH_MOUNT_OR_SKIP(small, mountPoint, "size=1m", false);
    const QString big = tmp.filePath(QStringLiteral("big.bin"));
    const QString little = tmp.filePath(QStringLiteral("little.bin"));
    QVERIFY(writeFile(big, 3 << 20));
    QVERIFY(writeFile(little, 200 << 10));

    CFileCopier copier;
    copier.setKernelCopyEnabled(kernelCopy);
    const QString target = mountPoint + QStringLiteral("/big.bin");
    QCOMPARE(copier.copy(big, target), CFileCopier::WriteFailed);
    QCOMPARE(copier.lastError(), ENOSPC);
    QVERIFY(!QFileInfo::exists(target));
    // The partial file is gone, so its space is free again for the next file.
    QCOMPARE(copier.copy(little, mountPoint + QStringLiteral("/little.bin")), CFileCopier::Copied);
    QVERIFY(sameContent(little, mountPoint + QStringLiteral("/little.bin")));
}

void tst_FileCopier::readOnlyDestinationIsNotWritable()
{
    QTemporaryDir tmp;
    const QString mountPoint = tmp.filePath(QStringLiteral("ro"));
    SCRATCH_MOUNT_OR_SKIP(ro, mountPoint, "size=64k", true);
    const QString src = tmp.filePath(QStringLiteral("a.txt"));
    QVERIFY(writeFile(src, 100));
    CFileCopier copier;
    QCOMPARE(copier.copy(src, mountPoint + QStringLiteral("/a.txt")), CFileCopier::DestinationNotWritable);
    QCOMPARE(copier.lastError(), EROFS);
}

void tst_FileCopier::stopBetweenChunksRemovesPartialFile_data()
{
    addCopyWays();
    QTest::newRow("kernel") << true;
    QTest::newRow("buffer") << false;
}

void tst_FileCopier::stopBetweenChunksRemovesPartialFile()
{
    QFETCH(bool, kernelCopy);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src.bin"));
    const QString dst = tmp.filePath(QStringLiteral("dst.bin"));
    QVERIFY(writeFile(src, 3 * CFileCopier::kKernelChunk));

    std::atomic<bool> stop {false};
    CFileCopier copier([&stop] { return stop.load(); });
    copier.setKernelCopyEnabled(kernelCopy);
    int chunks = 0;
    copier.setChunkProgress([&](qint64, qint64) {
        ++chunks;
        stop = true;
    });
    QCOMPARE(copier.copy(src, dst), CFileCopier::Stopped);
    QCOMPARE(chunks, 1);
    QVERIFY(!QFileInfo::exists(dst));
}

void tst_FileCopier::memoryStaysFlat_data()
{
    addCopyWays();
    QTest::newRow("kernel") << true;
    QTest::newRow("buffer") << false;
}

void tst_FileCopier::memoryStaysFlat()
{
    QFETCH(bool, kernelCopy);
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("src.bin"));
    constexpr qint64 size = 96 << 20;
    QVERIFY(writeFile(src, size));

    // Writing "5" to clear_refs restarts the peak, so the peak below belongs to the copy alone.
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1)
        QSKIP("cannot reset the peak resident size of this process");
    clearRefs.close();
    const long before = statusKib("VmRSS:");
    QVERIFY(before > 0);

    CFileCopier copier;
    copier.setKernelCopyEnabled(kernelCopy);
    QCOMPARE(copier.copy(src, tmp.filePath(QStringLiteral("dst.bin"))), CFileCopier::Copied);
    const long growthKib = statusKib("VmHWM:") - before;
    QCOMPARE_LT(growthKib, 8 * 1024);
}

QTEST_GUILESS_MAIN(tst_FileCopier)
#include "tst_filecopier.moc"
