// SPDX-License-Identifier: MIT
#pragma once
// Files with known content for the copy tests, written and compared in bounded pieces so that
// the tests themselves keep memory flat.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace CopyTest {

// Content that differs at every offset and between seeds, so a shifted, truncated or mixed-up
// copy cannot compare equal.
inline QByteArray pattern(qint64 offset, int length, int seed)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i) {
        const quint64 x = quint64(offset + i) * 2654435761u + quint64(seed) * 40503u;
        bytes[i] = char((x >> 13) ^ (x >> 5));
    }
    return bytes;
}

inline bool writeFile(const QString& path, qint64 size, int seed = 1)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    constexpr int piece = 1 << 20;
    for (qint64 done = 0; done < size;) {
        const int n = int(qMin<qint64>(piece, size - done));
        if (f.write(pattern(done, n, seed)) != n)
            return false;
        done += n;
    }
    return true;
}

inline bool writeText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}

inline QByteArray readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool sameContent(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd())
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    return true;
}

} // namespace CopyTest
