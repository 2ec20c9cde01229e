// SPDX-License-Identifier: MIT
// Finding programs: in PATH before a start, and among the running processes through /proc.
#include "platform/process.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {
namespace {

bool isExecutableFile(const QByteArray& path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && access(path.constData(), X_OK) == 0;
}

// Why a path cannot be started, empty when it can.
QString unstartable(const QByteArray& path)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return QString::fromLocal8Bit(strerror(errno));
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("is a directory");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("is not a regular file");
    if (access(path.constData(), X_OK) != 0)
        return QString::fromLocal8Bit(strerror(errno));
    return QString();
}

// The file name of a process's executable: the target of /proc/PID/exe, whose path gains
// " (deleted)" when the file was removed or replaced while the program runs (an update).
// Null when the process has no executable or is gone; `denied` when it may not be read.
QByteArray executableName(int procFd, const char* pid, bool* denied)
{
    char link[32];
    std::snprintf(link, sizeof link, "%s/exe", pid);
    char target[4096];
    const ssize_t n = readlinkat(procFd, link, target, sizeof target);
    *denied = n < 0 && errno == EACCES;
    if (n <= 0)
        return QByteArray();
    QByteArray path(target, int(n));
    static const QByteArray deleted(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return path.mid(path.lastIndexOf('/') + 1);
}

// Calls `visit(pid, name, denied)` for every process but this one until it returns true.
template<typename Visit>
void forEachProcess(Visit visit)
{
    const int procFd = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0)
        return;
    DIR* dir = fdopendir(procFd);
    if (!dir) {
        close(procFd);
        return;
    }
    const qint64 self = getpid();
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        const qint64 pid = std::strtoll(entry->d_name, nullptr, 10);
        if (pid == self)
            continue;
        bool denied = false;
        const QByteArray name = executableName(procFd, entry->d_name, &denied);
        if ((!name.isEmpty() || denied) && visit(pid, name, denied))
            break;
    }
    closedir(dir);
}

} // namespace

QString findInPath(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    QByteArray path = qgetenv("PATH");
    if (path.isNull())
        path = "/usr/local/bin:/usr/bin:/bin";
    for (const QByteArray& dir : path.split(':')) {
        const QByteArray candidate = (dir.isEmpty() ? QByteArray(".") : dir) + '/' + QFile::encodeName(name);
        if (isExecutableFile(candidate))
            return QFile::decodeName(candidate);
    }
    return QString();
}

QString resolveProgram(const QString& command, QString* error)
{
    if (command.isEmpty()) {
        *error = QStringLiteral("empty command");
        return QString();
    }
    if (command.contains(QChar(0))) {
        *error = QStringLiteral("the command holds a NUL character");
        return QString();
    }
    if (!command.contains(QLatin1Char('/'))) {
        const QString found = findInPath(command);
        if (found.isEmpty())
            *error = QStringLiteral("%1: not found in PATH").arg(command.left(256));
        return found;
    }
    const QString reason = unstartable(QFile::encodeName(command));
    if (!reason.isEmpty()) {
        *error = command.left(256) + QStringLiteral(": ") + reason;
        return QString();
    }
    return command;
}

QList<ProcessEntry> runningProcesses()
{
    QList<ProcessEntry> entries;
    forEachProcess([&](qint64 pid, const QByteArray& name, bool denied) {
        entries.append({pid, denied ? QStringLiteral("N/A (security restriction)") : QFile::decodeName(name)});
        return false;
    });
    return entries;
}

qint64 findProcess(const QString& fileName)
{
    const QString wanted = fileName.toLower();
    if (wanted.isEmpty())
        return 0;
    // Most names differ in length already; comparing bytes first spares a conversion per process.
    const QByteArray wantedBytes = QFile::encodeName(wanted);
    qint64 found = 0;
    forEachProcess([&](qint64 pid, const QByteArray& name, bool denied) {
        if (denied || name.size() != wantedBytes.size())
            return false;
        if (qstricmp(name.constData(), wantedBytes.constData()) == 0 || QFile::decodeName(name).toLower() == wanted) {
            found = pid;
            return true;
        }
        return false;
    });
    return found;
}

} // namespace Platform
