// SPDX-License-Identifier: MIT
#include "system/copywalk.h"

#include <QFile>

#include <algorithm>
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
    const QByteArray encoded = QFile::encodeName(directory);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir)
        return entries;
    while (const dirent* d = ::readdir(dir)) {
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        Entry e;
        e.name = QFile::decodeName(name);
        if (d->d_type == DT_DIR) {
            e.isDirectory = true;
        } else if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
            struct stat st;
            const QByteArray path = encoded + '/' + name;
            e.isDirectory = ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.append(std::move(e));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int c = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return entries;
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
