// SPDX-License-Identifier: MIT
#pragma once
// A small tmpfs mounted for the length of one test: a destination that fills up or cannot be
// written, real rather than simulated. Mounting needs root; tests skip when it fails.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

class ScratchMount {
public:
    // options: tmpfs options such as "size=1m"; readOnly mounts it read-only.
    ScratchMount(const QString& path, const char* options, bool readOnly = false) : m_path(QFile::encodeName(path))
    {
        QDir().mkpath(path);
        const unsigned long flags = MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
        if (::mount("tmpfs", m_path.constData(), "tmpfs", flags, options) == 0)
            m_mounted = true;
        else
            m_error = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~ScratchMount()
    {
        if (m_mounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool isMounted() const { return m_mounted; }
    QString skipReason() const
    {
        return QStringLiteral("cannot mount a tmpfs here (needs root and mount rights): ") + m_error;
    }

private:
    QByteArray m_path;
    bool m_mounted = false;
    QString m_error;
};

#define SCRATCH_MOUNT_OR_SKIP(var, path, options, readOnly)                                                 \
    ScratchMount var((path), (options), (readOnly));                                                     \
    if (!var.isMounted())                                                                                  \
        QSKIP(qPrintable(var.skipReason()))
