// SPDX-License-Identifier: MIT
#include "platform/desktopopen.h"
#include "platform/process.h"

namespace Platform {

DesktopOpen openWithDesktop(const QString& target, int* error)
{
    const QString opener = findInPath(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return DesktopOpen::NoOpener;
    ProcessHandle process; // reaped in the background once it ends
    QString reason;
    if (!process.start(opener, {target}, &reason, error))
        return DesktopOpen::Failed;
    return DesktopOpen::Started;
}

} // namespace Platform
