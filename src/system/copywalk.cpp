// SPDX-License-Identifier: MIT
#include "system/copywalk.h"

#include <QFile>

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
    return !subdirectory.fileName().startsWith(QLatin1Char('.'));
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
