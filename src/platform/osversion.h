#pragma once
// Which Windows version runs, and whether a script's operating-system pattern fits it.
#include <QString>

namespace OsVersion {

// "win2000", "winxp", "winxp64", "winvista", "win7", or "win" for any other version.
QString shortName();

// The version number (major * 65536 + minor) of a short name; 0 for an unknown name.
unsigned versionOf(const QString& shortName);

// Whether the current process is a 32-bit process on a 64-bit system.
bool isWow64();

// The pattern rule shared by "system" elements, the path macros and checkOSVersion:
// a short name, optionally "sp" and one digit, optionally "64", optionally "+"; or "wow64".
bool matches(const QString& pattern);

} // namespace OsVersion
