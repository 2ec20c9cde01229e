// SPDX-License-Identifier: MIT
#pragma once
// Copies one file at a time in bounded chunks, so memory stays flat whatever the file size.
// The kernel copies between the two descriptors where it can (copy_file_range); otherwise a
// fixed buffer, allocated once per copier, carries the bytes. A stop flag is polled before
// every chunk. Whenever a copy does not complete, the partial destination is removed: a
// half-written file must never look like a copied one.
//
// One copier belongs to one thread at a time.
#include <QString>
#include <functional>
#include <memory>

class CFileCopier {
public:
    // The codes a copy ends with. 0, 1, 3 and 6 are the codes scripts know; the others are
    // failures that used to pass for a success and are fatal.
    enum Code {
        Copied = 0,
        DestinationNotWritable = 1, // the destination cannot be opened for writing
        SourceMissing = 3,
        SourceNotReadable = 6,      // cannot be opened, or a read failed part-way
        WriteFailed = 7,            // a write failed part-way: disk full, I/O error
        Stopped = 8                 // the stop flag was raised while the file was in hand
    };

    // Called after every chunk with the bytes copied so far and the source's size.
    using ChunkProgress = std::function<void(qint64 done, qint64 total)>;

    // Polled before every chunk; the copy ends with Stopped once it answers true.
    using StopQuery = std::function<bool()>;

    explicit CFileCopier(StopQuery stopRequested = nullptr);
    ~CFileCopier();
    CFileCopier(const CFileCopier&) = delete;
    CFileCopier& operator=(const CFileCopier&) = delete;

    // Copies source to destination, replacing an existing file. A new file takes the source's
    // permission bits less the umask, as cp does; an existing one keeps its own. Owner, time
    // stamps and the set-id bits are not copied. A destination that is the source itself is
    // left as it is.
    Code copy(const QString& source, const QString& destination);

    // Makes destination a symbolic link with the text of the link source, replacing a file or
    // link there. The link is never followed, so one that leads out of a copied tree (or
    // nowhere) stays what it was.
    Code copyLink(const QString& source, const QString& destination);

    void setChunkProgress(ChunkProgress progress) { m_chunkProgress = std::move(progress); }

    // Whether the kernel may copy (on by default); off, every byte goes through the buffer.
    void setKernelCopyEnabled(bool on) { m_kernelCopy = on; }

    // errno of the last failure, for trace lines.
    int lastError() const { return m_lastError; }

    bool stopRequested() const { return m_stop && m_stop(); }

    // Bytes moved by one chunk: bounds the time between two looks at the stop flag.
    static constexpr qint64 kKernelChunk = 8 << 20;
    static constexpr qint64 kBufferSize = 256 << 10;

private:
    enum class Step { Done, Fallback, ReadFailed, WriteFailed, Stopped };

    Step copyInKernel(int in, int out, qint64 size, qint64& done);
    Step copyThroughBuffer(int in, int out, qint64 size, qint64& done);

    StopQuery m_stop;
    ChunkProgress m_chunkProgress;
    bool m_kernelCopy = true;
    std::unique_ptr<char[]> m_buffer;
    int m_lastError = 0;
};
