// SPDX-License-Identifier: MIT
#include "checks/osdescription.h"
#include "platform/osinfo.h"
#include "platform/osversion.h"

namespace OsDescription {
namespace {

constexpr unsigned kPlatformWin32s = 0;
constexpr unsigned kPlatformWindows9x = 1;
constexpr unsigned kPlatformNt = 2;

constexpr unsigned kWorkstation = 1;
constexpr unsigned kDomainController = 2;
constexpr unsigned kServer = 3;

constexpr unsigned kSuiteEnterprise = 0x2;
constexpr unsigned kSuiteEmbeddedNt = 0x40;
constexpr unsigned kSuiteDataCenter = 0x80;
constexpr unsigned kSuitePersonal = 0x200;

constexpr unsigned kArchAmd64 = 9;

// Platform id 0 would be Win32s on Windows; here it is what the Linux backend reports.
bool isLinux(const Platform::OsInfo& os)
{
    return os.platformId == kPlatformWin32s;
}

QString ntName(const Platform::OsInfo& os)
{
    const bool workstation = os.productType == kWorkstation;
    switch (os.versionNumber()) {
    case 0x50000:
        return QStringLiteral("Microsoft Windows 2000");
    case 0x50001:
        return QStringLiteral("Microsoft Windows XP");
    case 0x50002:
        if (workstation && os.nativeArch == kArchAmd64)
            return QStringLiteral("Microsoft Windows XP x64");
        return os.serverR2 ? QStringLiteral("Microsoft Windows 2003 R2") : QStringLiteral("Microsoft Windows 2003");
    case 0x60000:
        return workstation ? QStringLiteral("Microsoft Windows Vista") : QStringLiteral("Microsoft Windows Server 2008");
    case 0x60001:
        return workstation ? QStringLiteral("Microsoft Windows 7") : QStringLiteral("Microsoft Windows Server 2008 R2");
    default:
        return QString();
    }
}

} // namespace

QString osName(const Platform::OsInfo& os)
{
    if (isLinux(os))
        return os.osName;
    QString name = OsVersion::shortName();
    if (os.servicePackMajor > 0)
        name += QStringLiteral("sp%1").arg(os.servicePackMajor);
    if (os.versionNumber() >= 0x60000 && os.wow64)
        name += QStringLiteral("64");
    return name;
}

QString platformName(const Platform::OsInfo& os)
{
    if (isLinux(os))
        return os.prettyName;
    if (os.platformId == kPlatformNt) {
        const QString name = ntName(os);
        if (!name.isEmpty())
            return name;
    }
    return QStringLiteral("Microsoft Windows R%1.%2").arg(os.major).arg(os.minor);
}

QString edition(const Platform::OsInfo& os)
{
    if (isLinux(os))
        return QString();
    switch (os.productType) {
    case kWorkstation:
        if (os.suiteMask & kSuitePersonal)
            return QStringLiteral("Home");
        if (os.suiteMask & kSuiteEmbeddedNt)
            return QStringLiteral("Embedded");
        return QStringLiteral("Professional");
    case kDomainController:
        return QStringLiteral("Domain Controller");
    case kServer:
        if (os.suiteMask & kSuiteDataCenter)
            return QStringLiteral("DataCenter Server");
        if (os.suiteMask & kSuiteEnterprise)
            return QStringLiteral("Enterprise");
        return QStringLiteral("Server");
    default:
        return QString();
    }
}

QString versionText(const Platform::OsInfo& os)
{
    // Windows 9x keeps the version in the high word of the build number.
    const unsigned build = os.platformId == kPlatformWindows9x ? (os.build & 0xffffu) : os.build;
    return QStringLiteral("%1.%2.%3").arg(os.major).arg(os.minor).arg(build);
}

} // namespace OsDescription
