// SPDX-License-Identifier: MIT
#include "platform/profilekeys.h"

#include <QSet>
#include <QSettings>

namespace Platform {
namespace {

const QSet<QString>& knownKeys(const QString& group)
{
    static const QSet<QString> none;
    static const QSet<QString> os {
        QStringLiteral("major"), QStringLiteral("minor"), QStringLiteral("build"), QStringLiteral("platformId"),
        QStringLiteral("servicePackMajor"), QStringLiteral("servicePackMinor"), QStringLiteral("suiteMask"),
        QStringLiteral("productType"),
        QStringLiteral("wow64"), QStringLiteral("nativeArch"), QStringLiteral("serverR2"), QStringLiteral("name")};
    static const QSet<QString> folders {
        QStringLiteral("APP"), QStringLiteral("WINDIR"), QStringLiteral("WINSYSDIR"), QStringLiteral("WINDRIVE"),
        QStringLiteral("TEMP"), QStringLiteral("PROGRAM_FILES"), QStringLiteral("PROGRAM_FILES_X86"),
        QStringLiteral("APPDATA"), QStringLiteral("LOCAL_APPDATA"), QStringLiteral("COMMON_APPDATA"),
        QStringLiteral("PROGRAMS"), QStringLiteral("COMMON_PROGRAMS"), QStringLiteral("DESKTOP"),
        QStringLiteral("COMMON_DESKTOP"), QStringLiteral("STARTMENU"), QStringLiteral("COMMON_STARTMENU"),
        QStringLiteral("STARTUP"), QStringLiteral("COMMON_STARTUP")};
    static const QSet<QString> network {QStringLiteral("interfaces"), QStringLiteral("rebootRequired"),
                                        QStringLiteral("pingReply"), QStringLiteral("pingRtt")};
    static const QSet<QString> networkInterface {
        QStringLiteral("description"), QStringLiteral("type"), QStringLiteral("media"), QStringLiteral("dhcp"),
        QStringLiteral("addresses"), QStringLiteral("gateways"), QStringLiteral("nameServers"),
        QStringLiteral("renew"), QStringLiteral("renewAddresses"), QStringLiteral("upAfter")};
    if (group == QLatin1String("os"))
        return os;
    if (group == QLatin1String("folders"))
        return folders;
    if (group == QLatin1String("network"))
        return network;
    if (group.startsWith(QLatin1String("network.")))
        return networkInterface;
    return none;
}

// Interface groups are named after the ids that [network] lists; any other is a stray.
bool knownGroup(const QString& group, const QStringList& interfaces)
{
    if (group == QLatin1String("os") || group == QLatin1String("folders") || group == QLatin1String("network")
        || group == QLatin1String("network.hosts"))
        return true;
    return group.startsWith(QLatin1String("network.")) && interfaces.contains(group.mid(8));
}

QStringList listValue(const QVariant& v)
{
    QStringList items = v.toStringList();
    if (items.size() == 1)
        items = items.first().split(QLatin1Char(','));
    for (QString& item : items)
        item = item.trimmed();
    return items;
}

} // namespace

QStringList unknownProfileKeys(const QSettings& profile)
{
    const QString prefix = QStringLiteral("profile ") + profile.fileName() + QStringLiteral(": ");
    const QStringList interfaces = listValue(profile.value(QStringLiteral("network/interfaces")));
    QStringList lines;
    QSet<QString> reportedGroups;
    const QStringList keys = profile.allKeys();
    for (const QString& path : keys) {
        const qsizetype slash = path.indexOf(QLatin1Char('/'));
        const QString group = slash < 0 ? QString() : path.left(slash);
        const QString key = path.mid(slash + 1);
        if (!knownGroup(group, interfaces)) {
            if (!reportedGroups.contains(group))
                lines.append(prefix + QStringLiteral("unknown group [%1] ignored").arg(group.isEmpty() ? QStringLiteral("General") : group));
            reportedGroups.insert(group);
        } else if (group != QLatin1String("network.hosts") && !knownKeys(group).contains(key)) {
            lines.append(prefix + QStringLiteral("unknown key \"%1\" ignored").arg(path));
        }
    }
    return lines;
}

} // namespace Platform
