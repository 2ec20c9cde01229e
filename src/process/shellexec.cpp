// SPDX-License-Identifier: MIT
#include "process/shellexec.h"
#include "platform/desktopopen.h"
#include "platform/platform.h"

#include <QDir>
#include <cerrno>

int CShellExec::open(const QString& directory, const QString& file, const QString& parameters)
{
    Q_UNUSED(parameters)
    if (file.contains(QLatin1String("http://")) || file.contains(QLatin1String("www.")))
        return openInBrowser(file);
    QString target = file;
    if (Platform::fileKind(target) == Platform::FileKind::Missing) {
        if (directory.isEmpty() || QDir::isAbsolutePath(file))
            return FileNotFound;
        target = QDir(directory).filePath(file);
        if (Platform::fileKind(target) == Platform::FileKind::Missing)
            return FileNotFound;
    }
    return startOpener(target);
}

int CShellExec::openInBrowser(const QString& address)
{
    return startOpener(address.contains(QLatin1String("http://")) ? address : QStringLiteral("http://") + address);
}

int CShellExec::startOpener(const QString& target)
{
    int error = 0;
    switch (Platform::openWithDesktop(target, &error)) {
    case Platform::DesktopOpen::Started:
        return Success;
    case Platform::DesktopOpen::NoOpener:
        return NoAssociation;
    case Platform::DesktopOpen::Failed:
        break;
    }
    switch (error) {
    case ENOMEM:
    case EAGAIN:
        return OutOfResources;
    case EACCES:
    case EPERM:
        return AccessDenied;
    case ENOEXEC:
        return BadExecutable;
    default:
        return Undocumented;
    }
}

QString CShellExec::errorText(int error)
{
    switch (error) {
    case OutOfResources:
        return QStringLiteral("The operating system is out of memory or resources.");
    case FileNotFound:
        return QStringLiteral("The specified file was not found.");
    case PathNotFound:
        return QStringLiteral("The specified path was not found.");
    case BadExecutable:
        return QStringLiteral("The .exe file is invalid (non-Win32\u00AE .exe or error in .exe image).");
    case AccessDenied:
        return QStringLiteral("The operating system denied access to the specified file.");
    case IncompleteAssociation:
        return QStringLiteral("The file name association is incomplete or invalid.");
    case LibraryNotFound:
        return QStringLiteral("The specified dynamic-link library was not found.");
    case NoAssociation:
        return QStringLiteral("There is no application associated with the given file name extension.");
    default:
        return QStringLiteral("An undocumented error occurred.");
    }
}
