// SPDX-License-Identifier: MIT
#include "checks/checkosversionstate.h"
#include "checks/osdescription.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "platform/osinfo.h"
#include "platform/osversion.h"

CCheckOSVersionState::CCheckOSVersionState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CCheckOSVersionState::initialize()
{
    addEvents({QStringLiteral("true"), QStringLiteral("false")});
    addRequiredProperty(QStringLiteral("match"));
    for (const char* output : {"OSname", "version", "suite", "major", "minor", "build", "servicePackMajor",
                               "servicePackMinor", "platform"})
        addAnnouncedProperty(QLatin1String(output));
}

void CCheckOSVersionState::enter()
{
    const QString match = Qt3::toString(property("match"));
    const bool matches = OsVersion::matches(match);
    const Platform::OsInfo& os = Platform::osInfo();
    const QString name = OsDescription::osName(os);
    const QString version = OsDescription::versionText(os);
    setProperty("OSname", name);
    setProperty("version", version);
    setProperty("platform", OsDescription::platformName(os));
    setProperty("suite", OsDescription::edition(os));
    setProperty("major", qulonglong(os.major));
    setProperty("minor", qulonglong(os.minor));
    setProperty("build", qulonglong(os.build));
    setProperty("servicePackMajor", int(os.servicePackMajor));
    setProperty("servicePackMinor", int(os.servicePackMinor));
    SFSM_TRACE("systemStates", QStringLiteral("Check OS version: \"") + match + QStringLiteral("\" on ") + name
                                   + QLatin1Char(' ') + version + (matches ? QStringLiteral(": true")
                                                                           : QStringLiteral(": false")));
    setLeaveEvent(matches ? QStringLiteral("true") : QStringLiteral("false"));
    leaveState();
}
