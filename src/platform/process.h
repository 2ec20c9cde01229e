// SPDX-License-Identifier: MIT
#pragma once
// Processes on Linux: starting a program from an argument vector (never through a shell),
// finding running programs by the file name of their executable, waiting with a time-out that
// another thread can cut short, and signals to stop them.
//
// A handle refers to its process through a pidfd, so a signal or a wait never reaches another
// process that has taken over a recycled process id. A child whose handle goes without having
// been waited for is reaped in the background when it ends: a child is never killed because
// nobody waits for it any more, and it never stays behind as a zombie.
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <mutex>

namespace Platform {

// Wakes a wait of another thread and keeps every later wait from sleeping until rearm().
class WaitCanceller {
public:
    WaitCanceller();
    ~WaitCanceller();
    WaitCanceller(const WaitCanceller&) = delete;
    WaitCanceller& operator=(const WaitCanceller&) = delete;

    void cancel();
    void rearm();
    // Sleeps `ms` milliseconds; false when cancelled before or meanwhile.
    bool sleep(int ms) const;
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
};

enum class WaitResult { Ended, TimedOut, Cancelled };

// One process: a child this handle started, or a process found running and opened. Thread
// safe: one thread may wait while others ask whether it runs or send it signals.
class ProcessHandle {
public:
    ProcessHandle() = default;
    ~ProcessHandle();
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;

    // Starts `program` (a path, see resolveProgram) with `arguments` as argv[1...]. Standard
    // input is /dev/null, standard output goes to this process's standard error, no other
    // descriptor is passed on. False with the reason in `error` (and errno in `errorNumber`)
    // when it cannot start.
    [[nodiscard]] bool start(const QString& program, const QStringList& arguments, QString* error,
                             int* errorNumber = nullptr);
    // Opens a process that runs already; false with errno in `error` when it is gone or closed.
    [[nodiscard]] bool open(qint64 pid, int* error);

    bool isValid() const;
    qint64 pid() const;
    bool isChild() const;
    bool isRunning() const;

    // Waits until the process ends, `timeoutMs` passes (negative: no limit) or the canceller
    // fires. A child that ended is reaped here.
    WaitResult wait(int timeoutMs, const WaitCanceller* canceller = nullptr);
    // After an end: whether the exit code is known (only for children), the code (128 + the
    // signal number for a child that was killed) and whether the child exited by itself.
    bool exitCodeKnown() const;
    int exitCode() const;
    bool exitedNormally() const;

    // Sends a signal; false with errno in `error` when it could not be sent.
    bool sendSignal(int signal, int* error = nullptr);

private:
    void reap();

    mutable std::mutex m_mutex;
    qint64 m_pid = 0;
    int m_pidfd = -1;
    bool m_child = false;
    std::atomic<bool> m_ended {false};
    bool m_reaped = false;
    int m_exitCode = 0;
    bool m_normalExit = false;
};

// The program a command names: a command holding "/" as it stands, any other is looked up in
// PATH. Empty with the reason in `error` when it names nothing that can be started (missing,
// a folder, no execute permission, a name too long, empty).
QString resolveProgram(const QString& command, QString* error);
// The first executable file of that name in PATH, empty when there is none.
QString findInPath(const QString& name);

// Whether the process runs with the rights of the administrator (effective user id 0).
bool isAdministrator();

struct ProcessEntry {
    qint64 pid = 0;
    QString name; // the file name of the executable, or a note why it cannot be read
};

// Every running process but this one and those without an executable (kernel threads,
// zombies); a process whose executable may not be read is named "N/A (security restriction)".
QList<ProcessEntry> runningProcesses();
// The id of the first running process (not this one) whose executable has that file name,
// compared in lower case; 0 when none.
qint64 findProcess(const QString& fileName);

} // namespace Platform
