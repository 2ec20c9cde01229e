// SPDX-License-Identifier: MIT
#include "platform/folders.h"
#include "platform/platform.h"

#include <QDir>
#include <QStandardPaths>

namespace Platform {
namespace {

QString writable(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location);
}

// Windows folders with a Linux counterpart; the others stay out of the macro table.
std::optional<QString> linuxFolder(const QString& name)
{
    QString path;
    if (name == QLatin1String("APPDATA"))
        path = writable(QStandardPaths::GenericConfigLocation);
    else if (name == QLatin1String("LOCAL_APPDATA"))
        path = writable(QStandardPaths::GenericDataLocation);
    else if (name == QLatin1String("DESKTOP"))
        path = writable(QStandardPaths::DesktopLocation);
    else if (name == QLatin1String("PROGRAMS"))
        path = writable(QStandardPaths::ApplicationsLocation);
    else if (name == QLatin1String("COMMON_PROGRAMS"))
        path = QStringLiteral("/usr/share/applications");
    else if (name == QLatin1String("STARTUP"))
        path = writable(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
    else if (name == QLatin1String("COMMON_STARTUP"))
        path = QStringLiteral("/etc/xdg/autostart");
    if (path.isEmpty() || path == QLatin1String("/autostart"))
        return std::nullopt;
    return path;
}

} // namespace

std::optional<QString> standardFolder(const QString& name)
{
    const QVariant overridden = profileValue(QStringLiteral("folders/") + name);
    // The INI format reads an unquoted value with commas as a list; a path wants it whole.
    if (overridden.userType() == QMetaType::QStringList)
        return overridden.toStringList().join(QLatin1Char(','));
    if (overridden.isValid())
        return overridden.toString();
    return linuxFolder(name);
}

} // namespace Platform
