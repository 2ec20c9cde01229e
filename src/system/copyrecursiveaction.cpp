// SPDX-License-Identifier: MIT
#include "system/copyrecursiveaction.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "platform/platform.h"

#include <QFile>

#include <sys/stat.h>

CActionCopyRecursive::CActionCopyRecursive(QObject* parent, const char* name) : CActionCopyFiles(parent, name) {}

CActionCopyRecursive::~CActionCopyRecursive()
{
    stopAndWait();
}

void CActionCopyRecursive::reset()
{
    clearList();
    CThreadedAction::reset();
    setFinishEvent(QString());
    setTotalSteps(0);
    m_source = expandMacros(Qt3::toString(property("srcDir")));
    m_destination = expandMacros(Qt3::toString(property("destDir")));
}

int CActionCopyRecursive::countAll(const QString& directory)
{
    CDirTrail trail;
    return countAll(directory, trail);
}

int CActionCopyRecursive::countAll(const QString& directory, CDirTrail& trail)
{
    const QFileInfo top(directory);
    CDirTrailStep inside(trail, top);
    if (!top.isDir() || !inside.entered())
        return 0;
    int count = 0;
    for (const CopyWalk::Entry& entry : CopyWalk::treeEntries(directory)) {
        if (!entry.isDirectory)
            ++count;
        else if (CopyWalk::mayEnter(entry.name))
            count += countAll(CopyWalk::join(directory, entry.name), trail);
    }
    return count;
}

int CActionCopyRecursive::doAction()
{
    setTotalSteps(countAll(m_source));
    SFSM_TRACE("actionCopyRecursive", QStringLiteral("Copying from ") + m_source + QStringLiteral(" to ") + m_destination);
    return copyDirectory(m_source, m_destination);
}

void CActionCopyRecursive::appendFailure(const QString& text)
{
    setFinishEvent(finishEvent() + text);
}

int CActionCopyRecursive::copyDirectory(const QString& source, const QString& destination)
{
    const QFileInfo top(source);
    if (!top.isDir()) {
        SFSM_TRACE("actionCopyRecursive", QStringLiteral("Source directory ") + source + QStringLiteral(" not found!"));
        return 1;
    }
    CDirTrailStep inside(m_trail, top);
    if (!inside.entered()) {
        SFSM_TRACE("actionCopyRecursive",
                   QStringLiteral(" ! Warning ! ") + source + QStringLiteral(" leads back into the tree; not copied again."));
        return 0;
    }
    const bool existed = QFileInfo(destination).isDir();
    if (!ensureDirectory(destination)) {
        SFSM_TRACE("actionCopyRecursive", QStringLiteral("! failed creating directory ") + destination);
        appendFailure(QStringLiteral("Failed creating directory %1\n").arg(destination));
        advance(countAll(source));
        return 2;
    }
    // A destination inside the source would turn up in the listing below and be copied into
    // itself again and again until the paths grow too long; on the trail it counts as a way
    // back into the tree and is left out.
    const CDirTrailStep destinationStep(m_trail, QFileInfo(destination));
    int result = 0;
    for (const CopyWalk::Entry& entry : CopyWalk::treeEntries(source)) {
        if (stopRequested())
            return result;
        const QString path = CopyWalk::join(source, entry.name);
        const QString target = CopyWalk::join(destination, entry.name);
        if (entry.isDirectory) {
            if (!CopyWalk::mayEnter(entry.name))
                continue;
            SFSM_TRACE("actionCopyRecursive", QStringLiteral("Copy directory ") + path);
            result |= copyDirectory(path, target);
            continue;
        }
        SFSM_TRACE("actionCopyRecursive", QStringLiteral("Copy file ") + path);
        const int code = entry.isLink ? copyLink(path, target) : copyFile(path, target);
        if (code == CFileCopier::Stopped && stopRequested())
            return result;
        if (code != CFileCopier::Copied) {
            SFSM_TRACE("actionCopyRecursive", QStringLiteral("! failed !"));
            appendFailure(QStringLiteral("Failed copying file %1. Errorcode: %2\n").arg(path).arg(code));
            result |= 4;
        }
        step();
    }
    if (!existed)
        takeMode(source, destination);
    return result;
}

int CActionCopyRecursive::copyLink(const QString& source, const QString& destination)
{
    return m_copier.copyLink(source, destination);
}

// A folder the copy creates takes its source's permission bits less the umask, as cp does. They
// are set once the folder is filled: a read-only source folder would otherwise refuse its files.
void CActionCopyRecursive::takeMode(const QString& source, const QString& destination)
{
    struct stat st;
    if (::stat(QFile::encodeName(source).constData(), &st) != 0)
        return;
    ::chmod(QFile::encodeName(destination).constData(), st.st_mode & 0777 & ~Platform::fileCreationMask());
}
