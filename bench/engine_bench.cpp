// SPDX-License-Identifier: MIT
// Engine figures: state steps through the event loop, next to a bare postEvent loop, and the
// time and memory of loading long definition files.
#include "bench.h"
#include "engine/fsm.h"
#include "engine/statefactory.h"
#include "engine/transition.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <malloc.h>
#include <memory>

namespace {

constexpr int kRingSize = 10;

// Profiling runs (valgrind) shorten the figures through these variables.
long envNumber(const char* name, long fallback)
{
    bool ok = false;
    const long n = qEnvironmentVariable(name).toLong(&ok);
    return ok && n > 0 ? n : fallback;
}

const long kSteps = envNumber("SETUPFSM_BENCH_STEPS", 1000000);
const int kLoadRuns = int(envNumber("SETUPFSM_BENCH_RUNS", 5));

// Leaves as soon as it is entered: "next" until the run has made its steps, then "done".
// Chain states only know "next".
class CPlainState : public CState {
    Q_OBJECT
public:
    using CState::CState;

    void initialize() override
    {
        if (typeName() == QLatin1String("ring"))
            addEvents({next(), done()});
        else
            addEvents({next()});
    }

    void enter() override
    {
        setLeaveEvent(++s_entered > s_limit ? done() : next());
        leaveState();
    }

    static const QString& next()
    {
        static const QString e = QStringLiteral("next");
        return e;
    }
    static const QString& done()
    {
        static const QString e = QStringLiteral("done");
        return e;
    }

    static long s_entered;
    static long s_limit;
};

long CPlainState::s_entered = 0;
long CPlainState::s_limit = 0;

std::unique_ptr<CStateFactory> benchFactory()
{
    auto factory = std::make_unique<CStateFactory>(QStringLiteral("bench"));
    factory->addCreator(QStringLiteral("ring"), &createStateOf<CPlainState>);
    factory->addCreator(QStringLiteral("chain"), &createStateOf<CPlainState>);
    factory->addCreator(QStringLiteral("fsm"), &createFsmOf<CFsm>);
    return factory;
}

QByteArray ringDefinition()
{
    QByteArray states, transitions;
    for (int i = 0; i < kRingSize; ++i) {
        states += "<state name='s" + QByteArray::number(i) + "' type='ring'/>";
        transitions += "<transition fromstate='s" + QByteArray::number(i) + "' event='next' tostate='s"
                       + QByteArray::number((i + 1) % kRingSize) + "'/><transition fromstate='s" + QByteArray::number(i)
                       + "' event='done' toexit='done'/>";
    }
    return "<fsm><states>" + states + "</states><events><event name='done'/></events><transitions>"
           "<transition startstate='s0'/>" + transitions + "</transitions></fsm>";
}

QByteArray chainDefinition(int count)
{
    QByteArray out = "<?xml version='1.0'?>\n<fsm>\n <states>\n";
    for (int i = 0; i < count; ++i)
        out += "  <state name='s" + QByteArray::number(i) + "' type='chain'/>\n";
    out += " </states>\n <events><event name='done'/></events>\n <transitions>\n  <transition startstate='s0'/>\n";
    for (int i = 0; i < count; ++i) {
        out += "  <transition fromstate='s" + QByteArray::number(i) + "' event='next' ";
        out += i + 1 < count ? "tostate='s" + QByteArray::number(i + 1) + "'/>\n" : QByteArray("toexit='done'/>\n");
    }
    return out + " </transitions>\n</fsm>\n";
}

// Steps per second of the ring, from enter() to the root's finish.
double ringStepsPerSecond()
{
    auto factory = benchFactory();
    QDomDocument doc;
    doc.setContent(ringDefinition());
    std::unique_ptr<CState> root(factory->createState(QStringLiteral("fsm"), doc.documentElement(), nullptr,
                                                      QStringLiteral("ring")));
    auto* fsm = qobject_cast<CFsm*>(root.get());
    if (!fsm || !fsm->errors().isEmpty())
        qFatal("ring definition does not build");
    QEventLoop loop;
    QObject::connect(fsm, &CState::finished, &loop, [&loop, fsm](CState* s) {
        if (s == fsm)
            loop.quit();
    });
    CPlainState::s_entered = 0;
    CPlainState::s_limit = kSteps + 1; // entering the first state is no step
    const double t0 = Bench::now();
    fsm->enter();
    loop.exec();
    const double seconds = Bench::now() - t0;
    if (CPlainState::s_entered != kSteps + 2 || fsm->leaveEvent() != CPlainState::done())
        qFatal("ring ran %ld entries", CPlainState::s_entered);
    return double(kSteps) / seconds;
}

// One posted event per step and nothing else: the floor for an engine that posts one.
class CPostLoop : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (++count < kSteps)
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        else
            loop.quit();
        return true;
    }
    long count = 0;
    QEventLoop loop;
};

double postLoopStepsPerSecond()
{
    CPostLoop p;
    const double t0 = Bench::now();
    QCoreApplication::postEvent(&p, new QEvent(QEvent::User));
    p.loop.exec();
    return double(kSteps) / (Bench::now() - t0);
}

// Loads and builds a definition file the way a host does; returns the FSM.
std::unique_ptr<CFsm> loadChain(CStateFactory* factory, const QString& dir, const QString& file, CFsm& host)
{
    CPropertyObject* app = host.applicationProperties();
    app->setProperty("applicationPath", dir);
    app->setProperty("xmlPath", QStringLiteral("."));
    return std::unique_ptr<CFsm>(host.createSubFsm(QStringLiteral("chain"), factory, file));
}

QString writeChain(const QTemporaryDir& dir, int count)
{
    const QString name = QStringLiteral("chain%1.xml").arg(count);
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(chainDefinition(count)) < 0)
        qFatal("cannot write the chain file");
    return name;
}

double loadMilliseconds(int count)
{
    QTemporaryDir dir;
    const QString file = writeChain(dir, count);
    auto factory = benchFactory();
    CPropertyObject app;
    CFsm host(nullptr, "host", nullptr, QDomNode());
    host.setApplicationProperties(&app);
    double best = 1e30;
    for (int run = 0; run < kLoadRuns; ++run) {
        const double t0 = Bench::now();
        std::unique_ptr<CFsm> fsm = loadChain(factory.get(), dir.path(), file, host);
        const double ms = (Bench::now() - t0) * 1000.0;
        if (!fsm || !fsm->errors().isEmpty() || fsm->stateNames().size() != count)
            qFatal("chain of %d states does not build", count);
        best = std::min(best, ms);
    }
    return best;
}

long statusKib(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Run in a fresh process (the figure below starts it), so that no memory freed by earlier
// figures is reused: the peak resident memory that loading the file adds, in KiB.
void loadRssChild()
{
    const QString path = qEnvironmentVariable("SETUPFSM_BENCH_LOAD_FILE");
    if (path.isEmpty())
        return;
    auto factory = benchFactory();
    CPropertyObject app;
    CFsm host(nullptr, "host", nullptr, QDomNode());
    host.setApplicationProperties(&app);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // resets the peak to the current resident size
    clear.close();
    const long before = statusKib("VmRSS:");
    const auto heapStart = mallinfo2();
    const size_t heapBefore = heapStart.uordblks + heapStart.hblkhd;
    const QFileInfo info(path);
    std::unique_ptr<CFsm> fsm = loadChain(factory.get(), info.absolutePath(), info.fileName(), host);
    if (!fsm || !fsm->errors().isEmpty())
        qFatal("chain does not build");
    Bench::report(QStringLiteral("engine.load_rss_child"), double(statusKib("VmHWM:") - before), QStringLiteral("KiB"));
    // The heap the built FSM holds once the document is gone; resident memory cannot show it,
    // because the document's freed blocks sit between the FSM's and are not returned.
    const auto heap = mallinfo2();
    Bench::report(QStringLiteral("engine.load_heap_child"), double(heap.uordblks + heap.hblkhd - heapBefore) / 1024.0,
                  QStringLiteral("KiB"));
}

double loadMemoryMiB(int count)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(writeChain(dir, count));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SETUPFSM_BENCH_LOAD_FILE"), file);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("engine.load_rss_child")});
    if (!child.waitForFinished(120000))
        qFatal("memory child did not finish");
    const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
    Bench::report(QStringLiteral("engine.load_heap_kept_mib_10000"), lines.value(1).split(' ').value(1).toDouble() / 1024.0,
                  QStringLiteral("MiB"));
    return lines.value(0).split(' ').value(1).toDouble() / 1024.0;
}

const Bench::Register steps("engine.steps_per_s", [] {
    const double floor = postLoopStepsPerSecond();
    const double ring = ringStepsPerSecond();
    Bench::report(QStringLiteral("engine.steps_per_s"), ring, QStringLiteral("1/s"));
    Bench::report(QStringLiteral("engine.postloop_steps_per_s"), floor, QStringLiteral("1/s"));
    Bench::report(QStringLiteral("engine.steps_ratio_postloop"), ring / floor, QStringLiteral("x"));
});

const Bench::Register load1000("engine.load_ms_1000", [] {
    Bench::report(QStringLiteral("engine.load_ms_1000"), loadMilliseconds(1000), QStringLiteral("ms"));
});

const Bench::Register load10000("engine.load_ms_10000", [] {
    Bench::report(QStringLiteral("engine.load_ms_10000"), loadMilliseconds(10000), QStringLiteral("ms"));
});

const Bench::Register loadRss("engine.load_rss_mib_10000", [] {
    Bench::report(QStringLiteral("engine.load_rss_mib_10000"), loadMemoryMiB(10000), QStringLiteral("MiB"));
});

// Only acts inside the child process that engine.load_rss_mib_10000 starts.
const Bench::Register loadRssChildFigure("engine.load_rss_child", [] { loadRssChild(); });

} // namespace

#include "engine_bench.moc"
