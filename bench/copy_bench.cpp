// SPDX-License-Identifier: MIT
// copyDir against `cp -r` on the same data in the same run: a tree of many small files and a
// few big ones, and the memory the big copy needs.
#include "bench.h"
#include "engine/state.h"
#include "engine/transition.h"
#include "plugin/plugin.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <sys/resource.h>

namespace {

bool writeBytes(const QString& path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    static const QByteArray block = [] {
        QByteArray bytes(1 << 20, Qt::Uninitialized);
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 131 + (i >> 9));
        return bytes;
    }();
    for (qint64 done = 0; done < size; done += block.size())
        if (f.write(block.constData(), qMin<qint64>(block.size(), size - done)) < 0)
            return false;
    return true;
}

// Wall and processor seconds of one run; the processor time (user and system, all threads)
// varies less than the wall time on a busy machine.
struct Timing {
    double wall = -1.0;
    double cpu = 0.0;
};

double cpuSeconds(int who)
{
    struct rusage usage;
    getrusage(who, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One copyDir state from entering to finishing; a negative wall time when it does not succeed.
Timing timeCopyDir(CStateFactory* factory, const QString& src, const QString& dest)
{
    std::unique_ptr<CState> state(factory->createState(QStringLiteral("copyDir"), QDomNode(), nullptr,
                                                       QStringLiteral("bench")));
    state->setProperty("srcDir", src);
    state->setProperty("destDir", dest);
    QEventLoop loop;
    QObject::connect(state.get(), &CState::finished, &loop, &QEventLoop::quit);
    const double cpu = cpuSeconds(RUSAGE_SELF);
    const double start = Bench::now();
    state->enter();
    loop.exec();
    Timing t;
    t.wall = state->leaveEvent() == QLatin1String("success") ? Bench::now() - start : -1.0;
    t.cpu = cpuSeconds(RUSAGE_SELF) - cpu;
    return t;
}

Timing timeCp(const QString& src, const QString& dest)
{
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    const double start = Bench::now();
    const int rc = QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), src, dest});
    Timing t;
    t.wall = rc == 0 ? Bench::now() - start : -1.0;
    t.cpu = cpuSeconds(RUSAGE_CHILDREN) - cpu;
    return t;
}

// The best of a few runs of each side, taking turns at going first, since a file system that
// has just removed a tree creates files more slowly for a while.
void compareWithCp(const QString& figure, const QString& src, const QString& work, int rounds)
{
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    Timing ours {1e9, 1e9}, theirs {1e9, 1e9};
    for (int round = 0; round < rounds; ++round) {
        const QString a = work + QStringLiteral("/ours"), b = work + QStringLiteral("/cp");
        Timing o, c;
        if (round % 2 == 0) {
            o = timeCopyDir(factory.get(), src, a);
            c = timeCp(src, b);
        } else {
            c = timeCp(src, b);
            o = timeCopyDir(factory.get(), src, a);
        }
        QDir(a).removeRecursively();
        QDir(b).removeRecursively();
        if (o.wall < 0 || c.wall < 0) {
            Bench::report(figure + QStringLiteral(".failed"), 1, QStringLiteral("x"));
            return;
        }
        ours = {qMin(ours.wall, o.wall), qMin(ours.cpu, o.cpu)};
        theirs = {qMin(theirs.wall, c.wall), qMin(theirs.cpu, c.cpu)};
    }
    Bench::report(figure + QStringLiteral(".copydir_s"), ours.wall, QStringLiteral("s"));
    Bench::report(figure + QStringLiteral(".cp_s"), theirs.wall, QStringLiteral("s"));
    Bench::report(figure + QStringLiteral(".copydir_cpu_s"), ours.cpu, QStringLiteral("s"));
    Bench::report(figure + QStringLiteral(".cp_cpu_s"), theirs.cpu, QStringLiteral("s"));
    Bench::report(figure, ours.wall / theirs.wall, QStringLiteral("x"));
}

int rounds()
{
    return qMax(1, qEnvironmentVariableIntValue("COPY_BENCH_ROUNDS"));
}

// COPY_BENCH_BIG_MIB shrinks the big files for a quick check of the figure itself.
qint64 bigFileBytes()
{
    const int mib = qEnvironmentVariableIntValue("COPY_BENCH_BIG_MIB");
    return qint64(mib > 0 ? mib : 256) << 20;
}

const Bench::Register treeRatio("copy.tree_ratio", [] {
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/copy-bench-XXXXXX"));
    const QString src = work.filePath(QStringLiteral("src"));
    for (int d = 0; d < 200; ++d) {
        const QString folder = src + QStringLiteral("/d%1").arg(d, 3, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        for (int f = 0; f < 100; ++f)
            writeBytes(folder + QStringLiteral("/f%1.dat").arg(f, 3, 10, QLatin1Char('0')), 4096);
    }
    compareWithCp(QStringLiteral("copy.tree_ratio"), src, work.path(), rounds());
});

const Bench::Register bigRatio("copy.big_ratio", [] {
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/copy-bench-XXXXXX"));
    const QString src = work.filePath(QStringLiteral("src"));
    QDir().mkpath(src);
    for (int i = 0; i < 4; ++i)
        writeBytes(src + QStringLiteral("/big%1.bin").arg(i), bigFileBytes());
    compareWithCp(QStringLiteral("copy.big_ratio"), src, work.path(), rounds());

    // The growth of this process while it copies: the peak is restarted just before, so
    // neither the data written above nor earlier figures count.
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    if (!Bench::restartPeakRss())
        return;
    const long before = Bench::statusKib("VmRSS:");
    if (timeCopyDir(factory.get(), src, work.filePath(QStringLiteral("ours"))).wall < 0)
        return;
    const long peak = Bench::statusKib("VmHWM:");
    Bench::report(QStringLiteral("copy.big_peak_rss_mib"), double(peak - before) / 1024.0, QStringLiteral("MiB"));
    // For scale: the whole process at its peak, libraries and earlier figures included.
    Bench::report(QStringLiteral("copy.big_peak_rss_mib.process"), double(peak) / 1024.0, QStringLiteral("MiB"));
});

} // namespace
