// SPDX-License-Identifier: MIT
#pragma once
// Small concrete actions and an action state for the framework's tests.
#include "actions/action.h"
#include "actions/actionstate.h"
#include "engine/transition.h"

#include <QSemaphore>
#include <QThread>
#include <atomic>
#include <functional>
#include <sys/syscall.h>
#include <unistd.h>

// Finishes at once with a chosen result and event.
class CTestSyncAction : public CAction {
    Q_OBJECT
    Q_PROPERTY(int fixed READ fixed)
public:
    using CAction::CAction;
    int fixed() const { return 42; }
    int jobResult = 0;
    QString jobEvent;

protected:
    int doAction() override
    {
        setFinishEvent(jobEvent);
        return jobResult;
    }
};

// Runs a function on the worker thread; the function gets the action to poll and report on.
class CTestThreadedAction : public CThreadedAction {
    Q_OBJECT
public:
    using Job = std::function<int(CTestThreadedAction*)>;
    CTestThreadedAction(QObject* parent, const char* name, Job job)
        : CThreadedAction(parent, name), m_job(std::move(job))
    {
    }
    ~CTestThreadedAction() override { stopAndWait(); }

    // The kernel's id of the thread that ran the last job, and whether that was the thread
    // of the event loop.
    std::atomic<pid_t> jobThreadId {0};
    std::atomic<bool> jobOnEventLoopThread {false};

protected:
    int doAction() override
    {
        jobThreadId = pid_t(syscall(SYS_gettid));
        jobOnEventLoopThread = QThread::currentThread() == thread();
        return m_job(this);
    }

private:
    Job m_job;
};

// Leaves with the action's finish event; the events are those the tests use.
class CTestActionState : public CActionState {
    Q_OBJECT
public:
    CTestActionState(QObject* parent, const char* name)
        : CActionState(parent, name, QDomNode())
    {
        addEvents({QStringLiteral("success"), QStringLiteral("failed")});
    }

    int finishedCalls = 0;
    QList<int> results;
    bool finishedOnGuiThread = true;
    std::function<void(int)> onFinished;

    void slot_actionFinished(int result) override
    {
        if (onFinished)
            onFinished(result);
        ++finishedCalls;
        results.append(result);
        finishedOnGuiThread = finishedOnGuiThread && QThread::currentThread() == thread();
        CActionState::slot_actionFinished(result);
    }
};
