// SPDX-License-Identifier: MIT
#include "actions/action.h"
#include "engine/state.h"

#include <QCoreApplication>
#include <QThread>
#include <thread>

// The worker thread of one job. A joined std::thread rather than a QThread: joining orders
// everything the job did before whatever follows in a way thread checkers can see, while the
// wait of a QThread synchronises inside Qt, out of their sight.
class CThreadedAction::Worker {
public:
    explicit Worker(CThreadedAction* action) : m_action(action) {}
    ~Worker() { wait(); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void start() { m_thread = std::thread([this] { m_action->runJob(); }); }
    bool isRunning() const { return m_thread.joinable(); }
    void wait()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    CThreadedAction* m_action;
    std::thread m_thread;
};

// The end (1001) or a progress change (1002) of a job. It names the job's generation, and a
// progress change carries its values, because by the time the event is delivered the job may
// have moved on or been abandoned.
class CThreadedAction::JobEvent : public QEvent {
public:
    JobEvent(QEvent::Type type, quint64 generation, int progress = 0, int totalSteps = 0)
        : QEvent(type), generation(generation), progress(progress), totalSteps(totalSteps)
    {
    }

    const quint64 generation;
    const int progress;
    const int totalSteps;
};

CThreadedAction::CThreadedAction(QObject* parent, const char* name)
    : CAsyncAction(parent, name)
    , m_worker(new Worker(this))
{
}

CThreadedAction::CThreadedAction(QObject* parent, const char* name, const QDomNode& element)
    : CAsyncAction(parent, name, element)
    , m_worker(new Worker(this))
{
}

CThreadedAction::~CThreadedAction()
{
    CThreadedAction::stopAndWait();
    delete m_worker;
}

void CThreadedAction::stopAndWait()
{
    if (!m_worker->isRunning())
        return;
    m_stop.store(true, std::memory_order_release);
    m_worker->wait();
}

void CThreadedAction::start()
{
    if (m_busy) {
        m_startPending = true;
        return;
    }
    startNow();
}

void CThreadedAction::startNow()
{
    m_startPending = false;
    m_stop.store(false, std::memory_order_release);
    m_jobGeneration = ++m_generation;
    m_postedPercent.store(-1, std::memory_order_relaxed);
    m_busy = true;
    m_worker->start();
}

void CThreadedAction::abort()
{
    m_startPending = false;
    if (m_busy)
        m_stop.store(true, std::memory_order_release);
    // Whatever the job still posts belongs to a closed generation from now on.
    ++m_generation;
}

bool CThreadedAction::isBusy() const
{
    return m_busy;
}

void CThreadedAction::whenIdle(std::function<void()> f)
{
    if (!m_busy) {
        m_whenIdle = nullptr;
        if (f)
            f();
        return;
    }
    m_whenIdle = std::move(f);
}

void CThreadedAction::setProgress(int p)
{
    const int value = storeProgress(p);
    const int total = totalSteps();
    // A job that steps once per small file would wake the event loop once per file; a state
    // shows whole percents, so a step that leaves the percentage unchanged is not posted.
    const int percent = total > 0 ? int(qint64(value) * 100 / total) : value;
    if (m_postedPercent.exchange(percent, std::memory_order_relaxed) == percent)
        return;
    post(new JobEvent(kActionProgressEvent, m_jobGeneration, value, total));
}

void CThreadedAction::post(QEvent* e)
{
    // Qt's event queue orders the hand-over, but out of sight of thread checkers; this release
    // and the acquire in event() state the order where they can see it.
    m_handOvers.fetch_add(1, std::memory_order_release);
    QCoreApplication::postEvent(this, e);
}

void CThreadedAction::runJob()
{
    const QString name = objectName();
    qDebug("%s", qPrintable(QStringLiteral("[THREAD] Action = %1.\n").arg(name)));
    qDebug("%s", qPrintable(QStringLiteral("[THREAD] ThreadId = %1.\n")
                                .arg(quintptr(QThread::currentThreadId()))));
    setResult(doAction());
    post(new JobEvent(kStateFinishedEvent, m_jobGeneration));
}

bool CThreadedAction::event(QEvent* e)
{
    m_handOvers.load(std::memory_order_acquire);
    if (e->type() == kStateFinishedEvent) {
        finishJob(static_cast<JobEvent*>(e)->generation);
        return true;
    }
    if (e->type() == kActionProgressEvent) {
        const auto* job = static_cast<JobEvent*>(e);
        if (job->generation == m_generation)
            emitProgress(job->progress, job->totalSteps);
        return true;
    }
    return CAsyncAction::event(e);
}

void CThreadedAction::finishJob(quint64 generation)
{
    // The job posts its end as its last step, so this wait is short.
    m_worker->wait();
    m_busy = false;
    if (generation == m_generation)
        emitFinished(result());
    if (m_busy)
        return; // a slot started the next job already
    if (m_startPending) {
        startNow();
        return;
    }
    if (m_whenIdle) {
        std::function<void()> f = std::move(m_whenIdle);
        m_whenIdle = nullptr;
        f();
    }
}
