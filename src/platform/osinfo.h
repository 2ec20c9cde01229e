#pragma once
// The version record of the running system. On Linux without a profile the platform id is 0,
// so no Windows pattern matches; a profile's [os] group fills in a Windows record.
#include <QString>

namespace Platform {

struct OsInfo {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    unsigned platformId = 0;
    unsigned servicePackMajor = 0;
    unsigned servicePackMinor = 0;
    unsigned suiteMask = 0;
    unsigned productType = 0;
    bool wow64 = false;          // a 32-bit process on a 64-bit system
    unsigned nativeArch = 0;     // PROCESSOR_ARCHITECTURE_* of the native system
    bool serverR2 = false;
    QString osName;              // Linux: the os-release ID
    QString prettyName;          // Linux: the os-release PRETTY_NAME

    unsigned versionNumber() const { return major * 65536u + minor; }
};

// Read once (Linux backend, then the profile's [os] keys on top) and cached until
// reloadProfile().
const OsInfo& osInfo();

} // namespace Platform
