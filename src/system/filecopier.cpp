// SPDX-License-Identifier: MIT
#include "system/filecopier.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Errors with which the kernel declines to copy between these two descriptors (other file
// system types, not regular files, old kernels); plain reads and writes still work then.
bool kernelCopyDeclined(int error)
{
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP || error == EINVAL;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now and reports the outcome: a delayed write error may only show up here.
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

// Pipes and sockets have no content to copy, only a partner at the other end.
bool isPipe(const struct stat& st)
{
    return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode);
}

// Clears O_NONBLOCK again: a device read without it would fail at once instead of waiting.
// Regular files ignore the flag, and sparing them the two calls keeps small-file copies fast.
bool blocking(int fd, const struct stat& st)
{
    if (S_ISREG(st.st_mode))
        return true;
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Whether `done` bytes complete a file whose size was `size` when it was opened. Files that
// report no size (such as those of /proc) are read to their end instead.
constexpr qint64 kReadAheadHintFrom = 128 * 1024;

bool complete(qint64 done, qint64 size)
{
    return size > 0 && done >= size;
}

} // namespace

CFileCopier::CFileCopier(StopQuery stopRequested) : m_stop(std::move(stopRequested)) {}

CFileCopier::~CFileCopier() = default;

CFileCopier::Code CFileCopier::copy(const QString& source, const QString& destination)
{
    m_lastError = 0;
    const QByteArray src = QFile::encodeName(source);
    const QByteArray dst = QFile::encodeName(destination);

    // Both sides are opened without waiting: opening a pipe waits for its other end, which
    // may never come, and a job that waits there can neither finish nor be stopped.
    Descriptor in(::open(src.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.get() < 0) {
        m_lastError = errno;
        return (errno == ENOENT || errno == ENOTDIR) ? SourceMissing : SourceNotReadable;
    }
    struct stat inStat;
    if (::fstat(in.get(), &inStat) != 0) {
        m_lastError = errno;
        return SourceNotReadable;
    }
    if (S_ISDIR(inStat.st_mode) || isPipe(inStat)) {
        m_lastError = S_ISDIR(inStat.st_mode) ? EISDIR : ENXIO;
        return SourceNotReadable;
    }
    if (!blocking(in.get(), inStat)) {
        m_lastError = errno;
        return SourceNotReadable;
    }

    // Opened without truncation first: when the destination is the source itself (the same
    // folder on both sides, or a link to it), truncating would destroy the only copy.
    Descriptor out(::open(dst.constData(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, inStat.st_mode & 0777));
    if (out.get() < 0) {
        m_lastError = errno;
        return DestinationNotWritable;
    }
    struct stat outStat;
    if (::fstat(out.get(), &outStat) != 0) {
        m_lastError = errno;
        return DestinationNotWritable;
    }
    if (isPipe(outStat) || !blocking(out.get(), outStat)) {
        m_lastError = isPipe(outStat) ? ENXIO : errno;
        return DestinationNotWritable;
    }
    if (outStat.st_dev == inStat.st_dev && outStat.st_ino == inStat.st_ino)
        return Copied;
    if (outStat.st_size > 0 && ::ftruncate(out.get(), 0) != 0) {
        m_lastError = errno;
        return DestinationNotWritable;
    }

    const qint64 size = inStat.st_size;
    // The kernel reads this far ahead anyway; below it the hint is one more call per file.
    if (size > kReadAheadHintFrom)
        ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    qint64 done = 0;
    Step step = m_kernelCopy ? copyInKernel(in.get(), out.get(), size, done) : Step::Fallback;
    if (step == Step::Fallback)
        step = copyThroughBuffer(in.get(), out.get(), size, done);

    Code code = Copied;
    switch (step) {
    case Step::Done:
    case Step::Fallback:
        break;
    case Step::ReadFailed:
        code = SourceNotReadable;
        break;
    case Step::WriteFailed:
        code = WriteFailed;
        break;
    case Step::Stopped:
        code = Stopped;
        break;
    }
    // A program copied by an installer must still run: the source's execute bits carry over,
    // limited to whoever may read the copy (so the umask still applies).
    const mode_t exec = inStat.st_mode & ((outStat.st_mode & 0444) >> 2);
    if (code == Copied && exec && ::fchmod(out.get(), (outStat.st_mode & 07777) | exec) != 0) {
        m_lastError = errno;
        code = WriteFailed;
    }
    if (out.close() != 0 && code == Copied) {
        m_lastError = errno;
        code = WriteFailed;
    }
    if (code != Copied)
        ::unlink(dst.constData());
    return code;
}

CFileCopier::Code CFileCopier::copyLink(const QString& source, const QString& destination)
{
    m_lastError = 0;
    const QByteArray src = QFile::encodeName(source);
    const QByteArray dst = QFile::encodeName(destination);
    QByteArray text(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink(src.constData(), text.data(), size_t(text.size()));
    if (n < 0 || n >= text.size()) {
        m_lastError = n < 0 ? errno : ENAMETOOLONG;
        return (errno == ENOENT || errno == ENOTDIR) ? SourceMissing : SourceNotReadable;
    }
    text.truncate(n);
    struct stat st;
    if (::lstat(dst.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode) || ::unlink(dst.constData()) != 0) {
            m_lastError = S_ISDIR(st.st_mode) ? EISDIR : errno;
            return DestinationNotWritable;
        }
    }
    if (::symlink(text.constData(), dst.constData()) != 0) {
        m_lastError = errno;
        return DestinationNotWritable;
    }
    return Copied;
}

CFileCopier::Step CFileCopier::copyInKernel(int in, int out, qint64 size, qint64& done)
{
    while (!complete(done, size)) {
        if (stopRequested())
            return Step::Stopped;
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(kKernelChunk), 0);
        if (n > 0) {
            done += n;
            if (m_chunkProgress)
                m_chunkProgress(done, size);
            continue;
        }
        if (n == 0)
            // Some files claim to be empty to the kernel copy but are not; reading decides.
            return done == 0 ? Step::Fallback : Step::Done;
        if (errno == EINTR)
            continue;
        // Both file offsets have moved by what was copied, so reading on is seamless.
        if (kernelCopyDeclined(errno))
            return Step::Fallback;
        m_lastError = errno;
        return Step::WriteFailed;
    }
    return Step::Done;
}

CFileCopier::Step CFileCopier::copyThroughBuffer(int in, int out, qint64 size, qint64& done)
{
    if (!m_buffer)
        m_buffer.reset(new char[kBufferSize]);
    char* const buffer = m_buffer.get();
    while (!complete(done, size)) {
        if (stopRequested())
            return Step::Stopped;
        const ssize_t n = ::read(in, buffer, size_t(kBufferSize));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_lastError = errno;
            return Step::ReadFailed;
        }
        if (n == 0)
            return Step::Done;
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::write(out, buffer + written, size_t(n - written));
            if (w > 0) {
                written += w;
                continue;
            }
            if (w < 0 && errno == EINTR)
                continue;
            m_lastError = w < 0 ? errno : ENOSPC;
            return Step::WriteFailed;
        }
        done += n;
        if (m_chunkProgress)
            m_chunkProgress(done, size);
    }
    return Step::Done;
}
