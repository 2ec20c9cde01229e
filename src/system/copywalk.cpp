// SPDX-License-Identifier: MIT
#include "system/copywalk.h"

#include <QFile>

#include <algorithm>
#include <numeric>
#include <dirent.h>
#include <sys/stat.h>

namespace CopyWalk {

QString join(const QString& directory, const QString& name)
{
    if (directory.endsWith(QLatin1Char('/')))
        return directory + name;
    return directory + QLatin1Char('/') + name;
}

QFileInfoList list(const QString& directory, const QString& nameFilter, QDir::Filters filters)
{
    QDir dir(directory);
    if (!nameFilter.isEmpty())
        dir.setNameFilters(QDir::nameFiltersFromString(nameFilter));
    dir.setFilter(filters | QDir::NoDotAndDotDot);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryInfoList();
}

bool mayEnter(const QFileInfo& subdirectory)
{
    return mayEnter(subdirectory.fileName());
}

bool mayEnter(const QString& subdirectoryName)
{
    return !subdirectoryName.startsWith(QLatin1Char('.'));
}

QList<Entry> treeEntries(const QString& directory)
{
    QList<Entry> entries;
    QList<QString> folded; // the sort keys, case folded once per name rather than per comparison
    const QByteArray encoded = QFile::encodeName(directory);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir)
        return entries;
    while (const dirent* d = ::readdir(dir)) {
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        Entry e;
        if (d->d_type == DT_DIR) {
            e.isDirectory = true;
        } else if (d->d_type == DT_LNK) {
            e.isLink = true;
        } else if (d->d_type == DT_UNKNOWN) {
            struct stat st;
            const QByteArray path = encoded + '/' + name;
            if (::lstat(path.constData(), &st) != 0)
                continue;
            e.isLink = S_ISLNK(st.st_mode);
            e.isDirectory = S_ISDIR(st.st_mode);
            if (!e.isLink && !e.isDirectory && !S_ISREG(st.st_mode))
                continue;
        } else if (d->d_type != DT_REG) {
            // Pipes, sockets and devices are system entries, no files: opening a pipe waits
            // for a writer forever, and a device such as /dev/zero never ends.
            continue;
        }
        e.name = QFile::decodeName(name);
        folded.append(e.name.toCaseFolded());
        entries.append(std::move(e));
    }
    ::closedir(dir);
    QList<qsizetype> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int c = folded.at(a).compare(folded.at(b));
        return c != 0 ? c < 0 : entries.at(a).name < entries.at(b).name;
    });
    QList<Entry> sorted;
    sorted.reserve(entries.size());
    for (qsizetype i : order)
        sorted.append(std::move(entries[i]));
    return sorted;
}

} // namespace CopyWalk

bool CDirTrail::enter(const QFileInfo& directory)
{
    struct stat st;
    if (::stat(QFile::encodeName(directory.absoluteFilePath()).constData(), &st) != 0)
        return false;
    const QPair<quint64, quint64> id(quint64(st.st_dev), quint64(st.st_ino));
    if (m_ids.contains(id))
        return false;
    m_ids.append(id);
    return true;
}

void CDirTrail::leave()
{
    m_ids.removeLast();
}
