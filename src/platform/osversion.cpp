#include "platform/osversion.h"
#include "platform/osinfo.h"

namespace OsVersion {
namespace {

struct Named {
    const char* name;
    unsigned version;
};

constexpr Named kVersions[] = {
    {"win2000", 0x50000}, {"winxp", 0x50001}, {"winxp64", 0x50002}, {"winvista", 0x60000}, {"win7", 0x60001},
};

// Only a Windows record carries a Windows version: a Linux kernel's numbers would otherwise
// pass for one (kernel 6.1 has the number of Windows 7).
bool isWindows(const Platform::OsInfo& os)
{
    return os.platformId != 0;
}

} // namespace

QString shortName()
{
    const Platform::OsInfo& os = Platform::osInfo();
    if (!isWindows(os))
        return QStringLiteral("win");
    const unsigned running = os.versionNumber();
    for (const Named& n : kVersions) {
        if (n.version == running)
            return QLatin1String(n.name);
    }
    return QStringLiteral("win");
}

unsigned versionOf(const QString& name)
{
    for (const Named& n : kVersions) {
        if (name == QLatin1String(n.name))
            return n.version;
    }
    return 0;
}

bool isWow64()
{
    return Platform::osInfo().wow64;
}

bool matches(const QString& pattern)
{
    QString p = pattern.toLower();
    if (p == QLatin1String("wow64"))
        return isWow64();
    if (!p.startsWith(QLatin1String("win")))
        return false;

    const bool orLater = p.endsWith(QLatin1Char('+'));
    if (orLater)
        p.chop(1);

    bool needWow64 = false;
    if (p.endsWith(QLatin1String("64")) && !p.endsWith(QLatin1String("xp64"))) {
        p.chop(2);
        needWow64 = true;
    }

    int servicePack = -1;
    const int n = p.size();
    if (n >= 3 && p.at(n - 3) == QLatin1Char('s') && p.at(n - 2) == QLatin1Char('p') && p.at(n - 1).isDigit()
        && p.at(n - 1).unicode() < 128) {
        servicePack = p.at(n - 1).unicode() - '0';
        p.chop(3);
    }

    const unsigned wanted = versionOf(p);
    if (wanted == 0)
        return false;

    const Platform::OsInfo& os = Platform::osInfo();
    if (!isWindows(os))
        return false;
    const unsigned running = os.versionNumber();
    bool ok;
    if (orLater) {
        ok = running >= wanted;
        if (ok && servicePack >= 0 && running == wanted)
            ok = os.servicePackMajor >= unsigned(servicePack);
    } else {
        ok = running == wanted && (servicePack < 0 || os.servicePackMajor == unsigned(servicePack));
    }
    if (needWow64 && !os.wow64)
        return false;
    return ok;
}

} // namespace OsVersion
