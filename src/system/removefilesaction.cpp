// SPDX-License-Identifier: MIT
#include "system/removefilesaction.h"
#include "engine/trace.h"
#include "engine/variantconv.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

bool CFileInfo::clearReadOnly()
{
    const QByteArray path = QFile::encodeName(absoluteFilePath());
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode) || (st.st_mode & S_IWUSR))
        return true;
    return ::chmod(path.constData(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

CActionRemoveFiles::CActionRemoveFiles(QObject* parent, const char* name) : CThreadedAction(parent, name) {}

CActionRemoveFiles::~CActionRemoveFiles()
{
    stopAndWait();
}

void CActionRemoveFiles::reset()
{
    CThreadedAction::reset();
    setTotalSteps(0);
    m_path = expandMacros(Qt3::toString(property("path")));
    m_filter = Qt3::toString(property("fileFilter"));
}

int CActionRemoveFiles::countMatching(const QString& directory, const QString& filter)
{
    CDirTrail trail;
    return countMatching(directory, filter, trail);
}

int CActionRemoveFiles::countMatching(const QString& directory, const QString& filter, CDirTrail& trail)
{
    const QFileInfo top(directory);
    CDirTrailStep inside(trail, top);
    if (!top.isDir() || !inside.entered())
        return 0;
    int count = 0;
    for (const QFileInfo& entry : CopyWalk::list(directory, filter, CopyWalk::kTreeEntries)) {
        if (entry.isDir() && !entry.isSymLink()) {
            if (CopyWalk::mayEnter(entry))
                count += countMatching(entry.filePath(), QStringLiteral("*"), trail);
        } else {
            ++count;
        }
    }
    return count;
}

int CActionRemoveFiles::doAction()
{
    setTotalSteps(countMatching(m_path, m_filter) + 1);
    SFSM_TRACE("actionRemoveFiles", QStringLiteral("Removing files from ") + m_path + QStringLiteral(" that match ")
                                        + m_filter);
    const int result = removeMatching(m_path, m_filter);
    setFinishEvent(result == 0 ? QStringLiteral("success") : QStringLiteral("failed"));
    return result;
}

int CActionRemoveFiles::removeMatching(const QString& directory, const QString& filter)
{
    const QFileInfo top(directory);
    if (!top.isDir()) {
        SFSM_TRACE("actionRemoveFiles", QStringLiteral("directory ") + directory + QStringLiteral(" not found!"));
        return 1;
    }
    CDirTrailStep inside(m_trail, top);
    if (!inside.entered())
        return 0;
    int result = 0;
    for (const QFileInfo& entry : CopyWalk::list(directory, filter, CopyWalk::kTreeEntries)) {
        if (stopRequested())
            return result;
        result |= removeEntry(entry);
        step();
    }
    return result;
}

int CActionRemoveFiles::removeEntry(const QFileInfo& entry)
{
    const QString path = entry.filePath();
    // A link to a folder is removed as the link: following it would empty a folder that lies
    // outside what was asked for.
    if (entry.isDir() && !entry.isSymLink()) {
        SFSM_TRACE("actionRemoveFiles", QStringLiteral("delete directory ") + path);
        int result = 0;
        if (CopyWalk::mayEnter(entry))
            result = removeMatching(path, QStringLiteral("*"));
        if (!QDir().rmdir(entry.absoluteFilePath())) {
            SFSM_TRACE("actionRemoveFiles", path + QStringLiteral(" not deleted!"));
            result |= 3;
        }
        return result;
    }
    CFileInfo file(path);
    if (!file.clearReadOnly())
        SFSM_TRACE("actionRemoveFiles", QStringLiteral(" Warning: couldn't clear readonly flag of ") + path);
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        SFSM_TRACE("actionRemoveFiles", path + QStringLiteral(" not deleted!"));
        return 2;
    }
    return 0;
}
