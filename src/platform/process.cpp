// SPDX-License-Identifier: MIT
#include "platform/process.h"

#include <QFile>
#include <QVarLengthArray>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
// glibc 2.36 declares the pidfd calls without C linkage for C++.
extern "C" {
#include <sys/pidfd.h>
}
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace Platform {
namespace {

int exitCodeOf(int status)
{
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// A child nobody waits for any more is reaped by a thread of its own once it ends; the thread
// only sleeps in waitpid, so it costs no work while the child runs.
void reapInBackground(pid_t pid, int pidfd)
{
    std::thread([pid, pidfd] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        close(pidfd);
    }).detach();
}

qint64 monotonicMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The file actions and attributes of a start: the child must not hold this process's
// descriptors (a pipe it kept open would keep the other end from ever seeing its end), nor its
// blocked signals or ignored SIGPIPE.
class SpawnSetup {
public:
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
        posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
        posix_spawnattr_init(&attributes);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

} // namespace

WaitCanceller::WaitCanceller() : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

WaitCanceller::~WaitCanceller()
{
    if (m_fd >= 0)
        close(m_fd);
}

void WaitCanceller::cancel()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_fd, &one, sizeof one);
}

void WaitCanceller::rearm()
{
    uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = read(m_fd, &value, sizeof value);
}

bool WaitCanceller::sleep(int ms) const
{
    pollfd p {m_fd, POLLIN, 0};
    const qint64 deadline = monotonicMs() + ms;
    for (;;) {
        const int n = poll(&p, 1, int(qMax<qint64>(0, deadline - monotonicMs())));
        if (n < 0 && errno == EINTR)
            continue;
        return n == 0;
    }
}

ProcessHandle::~ProcessHandle()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pidfd < 0)
        return;
    if (m_child && !m_reaped)
        reapInBackground(pid_t(m_pid), m_pidfd);
    else
        close(m_pidfd);
}

bool ProcessHandle::start(const QString& program, const QStringList& arguments, QString* error, int* errorNumber)
{
    int ignored = 0;
    if (!errorNumber)
        errorNumber = &ignored;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pidfd >= 0) {
        *error = QStringLiteral("the handle holds a process already");
        *errorNumber = EBUSY;
        return false;
    }
    QList<QByteArray> encoded;
    encoded.reserve(arguments.size() + 1);
    encoded.append(QFile::encodeName(program));
    for (const QString& a : arguments)
        encoded.append(a.toLocal8Bit());
    QVarLengthArray<char*, 16> argv;
    for (QByteArray& a : encoded)
        argv.append(a.data());
    argv.append(nullptr);

    SpawnSetup setup;
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, encoded.first().constData(), &setup.actions, &setup.attributes, argv.data(), environ);
    if (rc != 0) {
        *errorNumber = rc;
        *error = QString::fromLocal8Bit(strerror(rc));
        return false;
    }
    // Until it is reaped the child's id cannot be taken by another process, so this open is
    // safe from races.
    const int pidfd = pidfd_open(pid, 0);
    if (pidfd < 0) {
        const int e = errno;
        *errorNumber = e;
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        *error = QStringLiteral("cannot watch the process: ") + QString::fromLocal8Bit(strerror(e));
        return false;
    }
    m_pid = pid;
    m_pidfd = pidfd;
    m_child = true;
    return true;
}

bool ProcessHandle::open(qint64 pid, int* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const int pidfd = m_pidfd < 0 ? pidfd_open(pid_t(pid), 0) : -1;
    if (pidfd < 0) {
        *error = m_pidfd < 0 ? errno : EBUSY;
        return false;
    }
    m_pid = pid;
    m_pidfd = pidfd;
    m_child = false;
    return true;
}

bool ProcessHandle::isValid() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pidfd >= 0;
}

qint64 ProcessHandle::pid() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pid;
}

bool ProcessHandle::isChild() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_child;
}

bool ProcessHandle::isRunning() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pidfd < 0 || m_ended.load())
        return false;
    pollfd p {m_pidfd, POLLIN, 0};
    return poll(&p, 1, 0) == 0;
}

WaitResult ProcessHandle::wait(int timeoutMs, const WaitCanceller* canceller)
{
    int pidfd;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pidfd < 0 || m_ended.load())
            return WaitResult::Ended;
        pidfd = m_pidfd; // stays open while this handle lives
    }
    pollfd fds[2] = {{pidfd, POLLIN, 0}, {canceller ? canceller->fd() : -1, POLLIN, 0}};
    const qint64 deadline = timeoutMs < 0 ? -1 : monotonicMs() + timeoutMs;
    for (;;) {
        const int left = deadline < 0 ? -1 : int(qMax<qint64>(0, deadline - monotonicMs()));
        const int n = poll(fds, 2, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (fds[1].revents)
            return WaitResult::Cancelled;
        if (n > 0 && fds[0].revents) {
            std::lock_guard<std::mutex> lock(m_mutex);
            reap();
            return WaitResult::Ended;
        }
        if (n == 0 || n < 0)
            return WaitResult::TimedOut;
    }
}

void ProcessHandle::reap()
{
    if (m_child && !m_reaped) {
        int status = 0;
        pid_t r;
        while ((r = waitpid(pid_t(m_pid), &status, 0)) < 0 && errno == EINTR) {
        }
        m_reaped = true;
        if (r == pid_t(m_pid)) {
            m_exitCode = exitCodeOf(status);
            m_normalExit = WIFEXITED(status);
        }
    }
    m_ended.store(true);
}

bool ProcessHandle::exitCodeKnown() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_child && m_reaped;
}

int ProcessHandle::exitCode() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_exitCode;
}

bool ProcessHandle::exitedNormally() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_normalExit;
}

bool ProcessHandle::sendSignal(int signal, int* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pidfd < 0 || pidfd_send_signal(m_pidfd, signal, nullptr, 0) != 0) {
        if (error)
            *error = m_pidfd < 0 ? ESRCH : errno;
        return false;
    }
    return true;
}

bool isAdministrator()
{
    return geteuid() == 0;
}

} // namespace Platform
