// SPDX-License-Identifier: MIT
#include "ipkit/backend/emulatedbackend.h"
#include "ipkit/backend/linuxbackend.h"

#include <QFile>
#include <QSettings>

extern "C" Q_DECL_EXPORT IpKit::Backend* setupfsmIpkitBackend(int abi, const char* profilePath)
{
    if (abi != IpKit::kBackendAbi)
        return nullptr;
    if (profilePath && *profilePath) {
        QSettings profile(QFile::decodeName(profilePath), QSettings::IniFormat);
        if (profile.childGroups().contains(QStringLiteral("network")))
            return new EmulatedBackend(profile);
    }
    return new LinuxBackend;
}
