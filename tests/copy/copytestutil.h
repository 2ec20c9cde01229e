// SPDX-License-Identifier: MIT
#pragma once
// Files with known content for the copy tests, written and compared in bounded pieces so that
// the tests themselves keep memory flat.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstring>

namespace CopyTest {

// Content that differs at every 8-byte word and between seeds, so a shifted, truncated or
// mixed-up copy cannot compare equal. Offsets are multiples of 8.
inline QByteArray pattern(qint64 offset, int length, int seed)
{
    QByteArray bytes(length, Qt::Uninitialized);
    const quint64 first = quint64(offset) / 8;
    for (int i = 0; i < length; i += 8) {
        quint64 x = (first + quint64(i / 8)) * 0x9E3779B97F4A7C15ull + quint64(seed) * 0xBF58476D1CE4E5B9ull;
        x ^= x >> 29;
        std::memcpy(bytes.data() + i, &x, size_t(qMin(8, length - i)));
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

// Every file below the folder, hidden ones too, as sorted paths relative to it.
inline QStringList filesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace CopyTest
