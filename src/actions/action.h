// SPDX-License-Identifier: MIT
#pragma once
// Actions carry out the long-running work of a state: at once (CAction), on timers or outside
// signals of the event loop (CAsyncAction), or on a worker thread (CThreadedAction). An action
// is a property object whose parent is the state that owns it; it reads its inputs through that
// parent. Its signals are always emitted on the event-loop thread.
#include "engine/object.h"

#include <QDomNode>
#include <atomic>
#include <functional>

class QTimer;
class QThread;

class CAction : public CPropertyObject {
    Q_OBJECT
public:
    CAction(QObject* parent, const char* name);
    CAction(QObject* parent, const char* name, const QDomNode& element);
    ~CAction() override;

    // Reads fall through to the owning state when the action has no such property; writes stay
    // on the action.
    QVariant property(const char* name) const override;
    CPropertyObject* objectProperty(const char* name) const override;
    bool hasProperty(const char* name) const override;
    bool hasValueProperty(const char* name) const override;
    bool hasObjectProperty(const char* name) const override;

    virtual void reset();
    virtual void start();
    virtual void abort();
    virtual void setResult(int result);
    virtual int result() const;
    virtual void setFinishEvent(const QString& event);
    virtual QString finishEvent() const;
    virtual void setTotalSteps(int steps);
    virtual void advance(int n);
    virtual void step();
    virtual int totalSteps() const;

    // The progress value last set (clamped to the total steps).
    int progress() const { return m_progress.load(std::memory_order_relaxed); }

    // Whether a job of an earlier start still runs or has not yet reported its end. A threaded
    // job that was asked to stop keeps its action busy until it has wound down.
    virtual bool isBusy() const;
    // Runs `f` on the event-loop thread once the action is no longer busy (at once when it is
    // idle). A later call replaces a waiting function; an empty function cancels it.
    virtual void whenIdle(std::function<void()> f);
    // Stops a job under way and waits for its end. Whoever destroys a running action calls it
    // first (a job may still use the members of the concrete class).
    virtual void stopAndWait();

public Q_SLOTS:
    void progressTimerSlot();

Q_SIGNALS:
    void actionFinished(int result);
    void actionProgress(int progress, int totalSteps);

public:
    // Applies the "property" elements under the node (directly, or inside a "system" element
    // for this system or "common"); returns 0.
    virtual int configure(const QDomNode& node);
    // A repeating one-second tick that steps the progress. Event-loop thread only.
    virtual void startProgressTimer();
    virtual void stopProgressTimer();
    // Sets the progress, clamped to the total steps (there is no lower clamp), and reports it.
    virtual void setProgress(int p);

protected:
    // The job. Its return value becomes the result.
    virtual int doAction() = 0;

    // Clamps p to the total steps, stores it and returns the stored value.
    int storeProgress(int p);
    void emitFinished(int result);
    void emitProgress(int progress, int totalSteps);

private:
    void construct();
    CPropertyObject* owner() const;

    QTimer* m_progressTimer = nullptr;
    // Written by a worker thread while the event-loop thread may read them.
    std::atomic<int> m_progress {0};
    std::atomic<int> m_totalSteps {5};
    std::atomic<int> m_result {0};
    QString m_finishEvent;
};

// An action whose job only begins in start(); it later sets its finish event and emits
// actionFinished itself, with the result it chooses.
class CAsyncAction : public CAction {
    Q_OBJECT
public:
    CAsyncAction(QObject* parent, const char* name);
    CAsyncAction(QObject* parent, const char* name, const QDomNode& element);

    void start() override;

protected:
    int doAction() override;
};

// An action whose job runs on a worker thread of its own, one thread per job. The job's end and
// progress reach the event-loop thread through posted events (1001, 1002), where the signals
// are emitted; the end is signalled only after the job's thread has been joined.
//
// Stopping: abort() never cuts a thread off (it may hold the trace lock or a half-written
// file); it raises a flag that doAction() polls through stopRequested(). Every start opens a
// new generation, and abort() closes it, so no end or progress of an abandoned job is ever
// signalled, even when the owning state has been entered again meanwhile. A new job only
// starts once the previous one has ended (see whenIdle()), so two jobs never share the action.
class CThreadedAction : public CAsyncAction {
    Q_OBJECT
public:
    CThreadedAction(QObject* parent, const char* name);
    CThreadedAction(QObject* parent, const char* name, const QDomNode& element);
    // Asks a running job to stop and waits for it: the job uses this object to its end.
    ~CThreadedAction() override;

    // Starts the job on the worker thread and returns at once. While an earlier job still
    // winds down, the start waits for its end (without blocking the event loop).
    void start() override;
    // Asks the job to stop and drops everything it still reports. Overrides must call it.
    void abort() override;
    bool isBusy() const override;
    void whenIdle(std::function<void()> f) override;
    void stopAndWait() override;

    // Polled by doAction(): the job should return soon when it becomes true.
    bool stopRequested() const { return m_stop.load(std::memory_order_acquire); }

    // Posts the progress to the event-loop thread instead of emitting it; callable from the job.
    void setProgress(int p) override;

protected:
    bool event(QEvent* e) override;

private:
    class Worker;
    friend class Worker;
    class JobEvent;

    void runJob();
    void post(QEvent* e);
    void finishJob(quint64 generation);
    void startNow();

    Worker* m_worker = nullptr;
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_postedPercent {-1}; // the percentage of the last posted progress
    std::atomic<quint64> m_handOvers {0};
    // Only the event-loop thread touches these.
    quint64 m_generation = 0;
    bool m_busy = false;
    bool m_startPending = false;
    std::function<void()> m_whenIdle;
    // The generation of the running job, fixed before its thread starts.
    quint64 m_jobGeneration = 0;
};
