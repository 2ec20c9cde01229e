// SPDX-License-Identifier: MIT
#pragma once
// The jobs of the process states, on a worker thread: start a program (or find it running) and
// wait for it with a time-out, or stop a running program. Waits last whole seconds, each one a
// progress step, and end at once when the state is left; the program itself is never stopped
// because its state was left.
#include "actions/action.h"
#include "platform/process.h"
#include "system/standardpaths.h"

#include <atomic>
#include <memory>

class CProcess;

class CActionStartApp : public CThreadedAction, public IStandardPaths {
    Q_OBJECT
public:
    // Results of a job.
    enum { Finished = 0, Failed = 1, TimedOut = 2, NotAttached = 3 };

    CActionStartApp(QObject* parent, const char* name);
    CActionStartApp(QObject* parent, const char* name, const QDomNode& element);
    // The job uses the members of this class: it must have ended before they go.
    ~CActionStartApp() override;

    // Reads and expands the inputs on the event-loop thread, and makes a fresh CProcess.
    void reset() override;
    // Cuts a wait short; the program goes on running.
    void abort() override;
    // "timeout" when it is at least 1, else 5.
    int totalSteps() const override;

    // The exit code the last job read, if it read one.
    bool hasReturnCode() const { return m_hasReturnCode.load(std::memory_order_acquire); }
    quint32 returnCode() const { return m_returnCode.load(std::memory_order_relaxed); }

protected:
    struct Inputs {
        bool undo = false;
        QString command;
        QStringList arguments;
        int timeout = 0; // seconds; 0 no wait, negative no limit
        bool admin = false;
        QString attachProcess;
    };

    int doAction() override;
    const Inputs& inputs() const { return m_inputs; }

    // Starts the command, or opens the process of that file name when one runs already. The
    // handle belongs to the action; null when nothing could be started or opened.
    Platform::ProcessHandle* startProcess(const QString& command, const QStringList& arguments, bool admin);
    // Finished with the exit code in `code`, or TimedOut, or Failed when the job was stopped.
    int waitForProcess(Platform::ProcessHandle& process, int timeout, int* code);
    // SIGTERM to the process of that file name, then the wait; SIGKILL once the time-out passed.
    int stopProcess(const QString& command, int timeout, int* code);
    // Opens the first running process of that file name.
    bool openProcess(const QString& fileName, Platform::ProcessHandle& handle);
    // Sleeps unless the job is stopped meanwhile; false when it was.
    bool pause(int ms);
    void setReturnCode(int code);
    void traceStarted(const Platform::ProcessHandle& process);

private:
    void readInputs();

    Inputs m_inputs;
    CProcess* m_process = nullptr;
    std::unique_ptr<Platform::ProcessHandle> m_opened;
    Platform::WaitCanceller m_canceller;
    std::atomic<bool> m_hasReturnCode {false};
    std::atomic<quint32> m_returnCode {0};
};

// Starts a setup engine, waits for it, then waits for the second process it hands over to
// ("attachProcess", "instr.exe" when empty), looked for once a second, ten times at most.
class CActionStartInstallShield7 : public CActionStartApp {
    Q_OBJECT
public:
    CActionStartInstallShield7(QObject* parent, const char* name);
    CActionStartInstallShield7(QObject* parent, const char* name, const QDomNode& element);

    // "timeout" + 10 when "timeout" is at least 0, else 15.
    int totalSteps() const override;

protected:
    int doAction() override;
};
