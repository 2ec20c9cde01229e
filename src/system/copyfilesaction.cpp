// SPDX-License-Identifier: MIT
#include "system/copyfilesaction.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "system/copywalk.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The folder part of a file path: up to its last "/", the current folder when there is none.
QString folderOf(const QString& filePath)
{
    const int slash = filePath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : filePath.left(slash);
}

} // namespace

CActionCopyFiles::CActionCopyFiles(QObject* parent, const char* name)
    : CThreadedAction(parent, name)
    , m_copier([this] { return stopRequested(); })
{
}

CActionCopyFiles::~CActionCopyFiles()
{
    stopAndWait();
}

void CActionCopyFiles::reset()
{
    clearList();
    CThreadedAction::reset();
    initStandardPaths();
    QString srcDir = Qt3::toString(property("srcDir"));
    if (srcDir.endsWith(QLatin1Char('/')))
        srcDir.chop(1);
    for (const char* macro : {"%SRC%", "%SOURCE%", "%SRCDIR%", "%SOURCEDIR%"})
        addMacro(QLatin1String(macro), srcDir);
    const QString destDir = Qt3::toString(property("destDir"));
    addMacro(QStringLiteral("%DEST%"), destDir);
    addMacro(QStringLiteral("%DESTDIR%"), destDir);

    const QString separator = QStringLiteral("::");
    for (int n = 1;; ++n) {
        const QByteArray key = "copyFile" + QByteArray::number(n);
        if (!hasProperty(key.constData()))
            break;
        const QStringList parts = Qt3::toString(property(key.constData())).split(separator);
        const QString source = parts.value(0);
        const QString destination = parts.value(1);
        if (!source.isEmpty() && !destination.isEmpty())
            addFile(source, destination);
    }
    setTotalSteps(int(copyList().size()));
}

void CActionCopyFiles::abort()
{
    clearList();
    CThreadedAction::abort();
}

void CActionCopyFiles::clearList()
{
    QMutexLocker lock(&m_listMutex);
    m_list.clear();
    m_nextNumber = 1;
}

CActionCopyFiles::CopyList CActionCopyFiles::copyList() const
{
    QMutexLocker lock(&m_listMutex);
    return m_list;
}

void CActionCopyFiles::addEntry(const QString& source, const QString& destination)
{
    uint number;
    {
        QMutexLocker lock(&m_listMutex);
        number = m_nextNumber++;
        m_list.insert(number, qMakePair(source, destination));
    }
    SFSM_TRACE("actioncopyfiles", QStringLiteral("Add file #") + QString::number(number)
                                      + QStringLiteral(" to list. From: ") + source + QStringLiteral(" - to: ")
                                      + destination);
}

void CActionCopyFiles::addFile(const QString& sourcePattern, const QString& destinationFolder)
{
    const QString source = expandMacros(sourcePattern);
    const QString destination = expandMacros(destinationFolder);
    const int slash = source.lastIndexOf(QLatin1Char('/'));
    const QString folders = slash < 0 ? QString() : source.left(slash);
    const QString mask = source.mid(slash + 1);
    if (folders.isEmpty() || mask.isEmpty()) {
        SFSM_TRACE("actioncopyfiles",
                   QStringLiteral(" ! Error ! addFile: Source directory or file name(mask) are empty."));
        return;
    }
    for (const QString& folder : folders.split(QLatin1Char('|'))) {
        if (!QFileInfo(folder).isDir()) {
            SFSM_TRACE("actioncopyfiles", QStringLiteral(" ! Warning ! addFile: Source directory doesn't exist."));
            continue;
        }
        const QFileInfoList files = CopyWalk::list(folder, mask, QDir::Files | QDir::Hidden);
        for (const QFileInfo& file : files)
            addEntry(CopyWalk::join(folder, file.fileName()), CopyWalk::join(destination, file.fileName()));
    }
}

bool CActionCopyFiles::ensureDirectory(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    // The parent ends at the last "/" before the final character, so "a/b/" has the parent "a".
    const int slash = path.lastIndexOf(QLatin1Char('/'), path.size() - 2);
    if (slash > 0 && !ensureDirectory(path.left(slash)))
        return false;
    return QDir().mkdir(QFileInfo(path).absoluteFilePath());
}

int CActionCopyFiles::copyFile(const QString& source, const QString& destination)
{
    return m_copier.copy(source, destination);
}

int CActionCopyFiles::doAction()
{
    const CopyList list = copyList();
    int status = 0;
    for (auto it = list.cbegin(); it != list.cend(); ++it) {
        if (stopRequested())
            return CFileCopier::Stopped;
        const QString& source = it->first;
        const QString& destination = it->second;
        if (!ensureDirectory(folderOf(destination))) {
            status = DirectoryNotCreated;
            break;
        }
        SFSM_TRACE("actioncopyfiles", QStringLiteral("Copying from ") + source + QStringLiteral(" to ") + destination);
        const int code = copyFile(source, destination);
        if (code == CFileCopier::Stopped && stopRequested())
            return code;
        if (code == CFileCopier::Copied) {
            step();
        } else if (code == CFileCopier::DestinationNotWritable) {
            SFSM_TRACE("actioncopyfiles", QStringLiteral("  Non-fatal error: access denied."));
            status = code;
            step();
        } else {
            SFSM_TRACE("actioncopyfiles", QStringLiteral("  Fatal error: ") + QString::number(code));
            status = code;
            break;
        }
    }
    setFinishEvent(status <= 1 ? QStringLiteral("success") : QStringLiteral("failed"));
    return status;
}

CActionCopyRenameFiles::CActionCopyRenameFiles(QObject* parent, const char* name) : CActionCopyFiles(parent, name) {}

void CActionCopyRenameFiles::addFile(const QString& sourcePattern, const QString& destinationFile)
{
    const QString destination = expandMacros(destinationFile);
    for (const QString& source : expandMacros(sourcePattern).split(QLatin1Char('|')))
        addEntry(source, destination);
}
