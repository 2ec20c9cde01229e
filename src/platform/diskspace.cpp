// SPDX-License-Identifier: MIT
#include "platform/diskspace.h"
#include "platform/platform.h"

#include <QStorageInfo>

namespace Platform {

std::optional<DiskSpace> diskSpace(const QString& path)
{
    // QStorageInfo walks up to the mount point of whatever it is given, so a missing path
    // would silently report the space of its nearest existing parent; ask for the path itself.
    if (path.isEmpty() || fileKind(path) == FileKind::Missing)
        return std::nullopt;
    const QStorageInfo info(path);
    if (!info.isValid() || !info.isReady())
        return std::nullopt;
    return DiskSpace {quint64(info.bytesAvailable()), quint64(info.bytesTotal())};
}

} // namespace Platform
