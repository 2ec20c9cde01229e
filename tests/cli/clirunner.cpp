#include "clirunner.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

CliResult runOnTerminal(const QStringList& arguments, const CliEnvironment& environment)
{
    // Everything the child needs is prepared before the fork: after it only exec-safe calls.
    QList<QByteArray> args {QByteArrayLiteral(SETUPFSM_CLI)};
    for (const QString& a : arguments)
        args << a.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QList<QByteArray> env;
    for (const QString& entry : QProcessEnvironment::systemEnvironment().toStringList()) {
        if (!environment.contains(entry.section(QLatin1Char('='), 0, 0)))
            env << entry.toLocal8Bit();
    }
    for (auto it = environment.begin(); it != environment.end(); ++it) {
        if (!it.value().isNull())
            env << (it.key() + QLatin1Char('=') + it.value()).toLocal8Bit();
    }
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    CliResult r;
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0)
        return r;
    if (pid == 0) {
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    QElapsedTimer clock;
    clock.start();
    char buffer[4096];
    for (;;) {
        pollfd fd {master, POLLIN, 0};
        const int left = int(60000 - clock.elapsed());
        if (left <= 0 || ::poll(&fd, 1, left) <= 0)
            break;
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0)
            r.out.append(buffer, int(n));
        else if (n == 0 || errno != EINTR)
            break; // EIO once the child has closed the terminal
    }
    int status = 0;
    if (clock.elapsed() >= 60000)
        ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    ::close(master);
    if (clock.elapsed() < 60000)
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    return r;
}
