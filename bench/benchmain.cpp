#include "bench.h"
#include "engine/trace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace Bench {
namespace {

std::vector<std::pair<QString, Figure>>& figures()
{
    static std::vector<std::pair<QString, Figure>> all;
    return all;
}

} // namespace

Register::Register(const char* name, Figure figure)
{
    figures().emplace_back(QString::fromLatin1(name), std::move(figure));
}

void report(const QString& name, double value, const QString& unit)
{
    std::printf("%s %s %s\n", qPrintable(name), qPrintable(QString::number(value, 'g', 6)), qPrintable(unit));
    std::fflush(stdout);
}

double now()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return double(timer.nsecsElapsed()) / 1e9;
}

long peakRssKib()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long currentRssKib()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * 4 : 0;
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

bool restartPeakRss()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

} // namespace Bench

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Measuring with trace output would measure the terminal.
    Trace::setIncludeFilter(QStringLiteral("^$"));
    Trace::setStderrEnabled(false);
    const QStringList filters = app.arguments().mid(1);
    int ran = 0;
    for (const auto& [name, figure] : Bench::figures()) {
        bool selected = filters.isEmpty();
        for (const QString& f : filters)
            selected = selected || name.contains(f);
        if (!selected)
            continue;
        figure();
        ++ran;
    }
    if (ran == 0) {
        std::fprintf(stderr, "setupfsm-bench: no figure matches\n");
        return 64;
    }
    return 0;
}
