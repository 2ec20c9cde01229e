// SPDX-License-Identifier: MIT
#pragma once
// How checkOSVersion describes the running system. A Windows record (from an emulation
// profile) is named the way Windows names itself; a Linux record by its os-release fields.
#include <QString>

namespace Platform {
struct OsInfo;
}

namespace OsDescription {

// "winxpsp3", "win7sp164"; on Linux the os-release ID ("debian").
QString osName(const Platform::OsInfo& os);
// "Microsoft Windows XP", "Microsoft Windows R10.0"; on Linux the os-release PRETTY_NAME.
QString platformName(const Platform::OsInfo& os);
// "Home", "Professional", "Server", ...; empty on Linux and for unknown product types.
QString edition(const Platform::OsInfo& os);
// "major.minor.build".
QString versionText(const Platform::OsInfo& os);

} // namespace OsDescription
