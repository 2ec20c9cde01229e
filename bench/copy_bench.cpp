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

namespace {

bool writeBytes(const QString& path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(i * 131 + (i >> 9));
    for (qint64 done = 0; done < size; done += block.size())
        if (f.write(block.constData(), qMin<qint64>(block.size(), size - done)) < 0)
            return false;
    return true;
}

// Seconds that one copyDir state takes from entering to finishing, or a negative value when
// it does not succeed.
double timeCopyDir(CStateFactory* factory, const QString& src, const QString& dest)
{
    std::unique_ptr<CState> state(factory->createState(QStringLiteral("copyDir"), QDomNode(), nullptr,
                                                       QStringLiteral("bench")));
    state->setProperty("srcDir", src);
    state->setProperty("destDir", dest);
    QEventLoop loop;
    QObject::connect(state.get(), &CState::finished, &loop, &QEventLoop::quit);
    const double start = Bench::now();
    state->enter();
    loop.exec();
    const double seconds = Bench::now() - start;
    return state->leaveEvent() == QLatin1String("success") ? seconds : -1.0;
}

double timeCp(const QString& src, const QString& dest)
{
    const double start = Bench::now();
    const int rc = QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), src, dest});
    const double seconds = Bench::now() - start;
    return rc == 0 ? seconds : -1.0;
}

// The best of a few alternating runs of each side, so that both meet the same cache state.
void compareWithCp(const QString& figure, const QString& src, const QString& work, int rounds)
{
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    double ours = 1e9, theirs = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const QString a = work + QStringLiteral("/ours"), b = work + QStringLiteral("/cp");
        const double o = timeCopyDir(factory.get(), src, a);
        const double c = timeCp(src, b);
        QDir(a).removeRecursively();
        QDir(b).removeRecursively();
        if (o < 0 || c < 0) {
            Bench::report(figure + QStringLiteral(".failed"), 1, QStringLiteral("x"));
            return;
        }
        ours = qMin(ours, o);
        theirs = qMin(theirs, c);
    }
    Bench::report(figure + QStringLiteral(".copydir_s"), ours, QStringLiteral("s"));
    Bench::report(figure + QStringLiteral(".cp_s"), theirs, QStringLiteral("s"));
    Bench::report(figure, ours / theirs, QStringLiteral("x"));
}

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
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1)
        return;
    clearRefs.close();
    const long before = statusKib("VmRSS:");
    if (timeCopyDir(factory.get(), src, work.filePath(QStringLiteral("ours"))) < 0)
        return;
    Bench::report(QStringLiteral("copy.big_peak_rss_mib"), double(statusKib("VmHWM:") - before) / 1024.0,
                  QStringLiteral("MiB"));
});

} // namespace
