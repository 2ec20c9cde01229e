// SPDX-License-Identifier: MIT
#pragma once
// Free and total space of the file system that holds a path.
#include <QString>
#include <optional>

namespace Platform {

struct DiskSpace {
    quint64 availableBytes = 0; // what the calling user may still write (root's reserve left out)
    quint64 totalBytes = 0;
};

// Nothing when the path cannot be reached: missing, or behind a folder that cannot be searched.
std::optional<DiskSpace> diskSpace(const QString& path);

} // namespace Platform
